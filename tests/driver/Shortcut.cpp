#include "Driver.h"

#include <objbase.h>
#include <shlobj.h>

#include <array>
#include <stdexcept>
#include <string>

#include "ComPtr.h"

namespace mirelka::driver {

namespace {

class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        // Only a successful call (S_FALSE included) is ours to balance.
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

void Check(HRESULT result, const char* what, const std::wstring& link) {
    if (FAILED(result)) {
        throw std::runtime_error(std::string(what) + " failed with " +
                                 std::to_string(static_cast<unsigned long>(result)) + ": " +
                                 Utf8(link));
    }
}

ComPtr<IShellLinkW> NewShellLink(const std::wstring& link) {
    ComPtr<IShellLinkW> shellLink;
    Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                           shellLink.PutVoid()),
          "CoCreateInstance(CLSID_ShellLink)", link);
    return shellLink;
}

ComPtr<IPersistFile> PersistFileOf(const ComPtr<IShellLinkW>& shellLink, const std::wstring& link) {
    ComPtr<IPersistFile> file;
    Check(shellLink->QueryInterface(IID_IPersistFile, file.PutVoid()),
          "QueryInterface(IPersistFile)", link);
    return file;
}

}  // namespace

void MakeShortcut(const std::wstring& link, const std::wstring& target,
                  const std::wstring& workingFolder, const std::wstring& arguments) {
    const ComScope com;
    {
        const ComPtr<IShellLinkW> shellLink = NewShellLink(link);
        Check(shellLink->SetPath(target.c_str()), "IShellLinkW::SetPath", link);
        if (!workingFolder.empty()) {
            Check(shellLink->SetWorkingDirectory(workingFolder.c_str()),
                  "IShellLinkW::SetWorkingDirectory", link);
        }
        Check(shellLink->SetArguments(arguments.c_str()), "IShellLinkW::SetArguments", link);
        Check(PersistFileOf(shellLink, link)->Save(link.c_str(), TRUE), "IPersistFile::Save", link);
    }

    const ComPtr<IShellLinkW> readBack = NewShellLink(link);
    Check(PersistFileOf(readBack, link)->Load(link.c_str(), STGM_READ), "IPersistFile::Load", link);
    std::array<wchar_t, MAX_PATH> path{};
    std::array<wchar_t, MAX_PATH> folder{};
    std::array<wchar_t, 1024> stored{};
    Check(readBack->GetPath(path.data(), MAX_PATH, nullptr, SLGP_RAWPATH), "IShellLinkW::GetPath",
          link);
    Check(readBack->GetWorkingDirectory(folder.data(), MAX_PATH),
          "IShellLinkW::GetWorkingDirectory", link);
    Check(readBack->GetArguments(stored.data(), static_cast<int>(stored.size())),
          "IShellLinkW::GetArguments", link);
    if (path.data() != target || folder.data() != workingFolder || stored.data() != arguments) {
        throw std::runtime_error("the shortcut " + Utf8(link) + " holds '" + Utf8(path.data()) +
                                 "' in '" + Utf8(folder.data()) + "', not '" + Utf8(target) +
                                 "' in '" + Utf8(workingFolder) + "'");
    }
}

}  // namespace mirelka::driver
