#include "SystemLibrary.h"

#include <string>

namespace mirelka {

UniqueModule LoadSystemLibrary(const wchar_t* name) {
    std::wstring path(MAX_PATH + 1, L'\0');
    const UINT length = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
    if (length == 0 || length >= path.size()) {
        return UniqueModule();
    }
    path.resize(length);
    path += L'\\';
    path += name;
    // An absolute path is loaded from there alone; the altered search order makes the DLL's
    // own dependencies come from its folder too.
    return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace mirelka
