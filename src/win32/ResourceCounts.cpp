#include "ResourceCounts.h"

namespace mirelka {

DWORD UserObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (reported != 0) {
        return reported;
    }
    // Wine: ask each slot of the handle table. A handle's low word names its slot (even
    // numbers there) and these calls take that word alone. Icons are left out: no call
    // looks at one without making bitmaps, and their bitmaps show among the GDI objects.
    const DWORD self = GetCurrentProcessId();
    DWORD count = 0;
    for (UINT_PTR slot = 2; slot <= 0xFFFF; slot += 2) {
        const auto handle = reinterpret_cast<HANDLE>(slot);
        if (IsMenu(static_cast<HMENU>(handle))) {
            ++count;
            continue;
        }
        DWORD owner = 0;
        const auto window = static_cast<HWND>(handle);
        if (IsWindow(window) && GetWindowThreadProcessId(window, &owner) != 0 && owner == self) {
            ++count;
        }
    }
    return count;
}

}  // namespace mirelka
