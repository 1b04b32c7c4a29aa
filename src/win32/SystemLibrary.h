#pragma once

#include "UniqueHandle.h"

namespace mirelka {

// Loads a DLL from the system folder by its full path, never from the program's folder or
// the search path. A full path works on every Windows version, where
// LOAD_LIBRARY_SEARCH_SYSTEM32 needs Windows 8 or an update of Windows 7.
UniqueModule LoadSystemLibrary(const wchar_t* name);

// The address of an export, typed as the function it is; null when it is missing.
template <typename Function>
Function* SystemProc(const UniqueModule& library, const char* name) {
    if (!library) {
        return nullptr;
    }
    return reinterpret_cast<Function*>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
}

}  // namespace mirelka
