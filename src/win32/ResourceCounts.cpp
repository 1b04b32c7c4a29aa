#include "ResourceCounts.h"

namespace mirelka {

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
    DWORD owner = 0;
    if (GetWindowThreadProcessId(window, &owner) != 0 && owner == GetCurrentProcessId()) {
        CountChild(window, count);
        EnumChildWindows(window, CountChild, count);
    }
    return TRUE;
}

}  // namespace

DWORD UserObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (reported != 0) {
        return reported;
    }
    // Wine answers 0 above. Count its windows, hidden and message-only ones too, and menus.
    DWORD count = 0;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
        CountOwnWindow(window, reinterpret_cast<LPARAM>(&count));
    }
    // Nothing lists menus: ask each slot of the handle table. A handle's low word names its
    // slot (even numbers there), and IsMenu takes that word alone. Icons are left out: no
    // call looks at one without making bitmaps, and their bitmaps count as GDI objects.
    for (UINT_PTR slot = 2; slot <= 0xFFFF; slot += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(slot))) {
            ++count;
        }
    }
    return count;
}

}  // namespace mirelka
