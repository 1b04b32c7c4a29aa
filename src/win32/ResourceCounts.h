#pragma once

// A read-only figure for leak tests driving the program from another process.

#include <windows.h>

namespace mirelka {

// Registered message the main dialog answers with UserObjectCount(); wParam and lParam unused.
inline constexpr wchar_t kUserObjectCountMessage[] = L"MirelkaUserObjectCount";

// The USER objects (windows, menus, ...) this process holds. Another process can ask the
// system for this figure on Windows, but not under Wine, which answers 0 even here.
DWORD UserObjectCount();

}  // namespace mirelka
