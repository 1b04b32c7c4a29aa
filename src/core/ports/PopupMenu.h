#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mirelka {

// The tray's popup menu, loaded from its template each time it opens. Menus are named by
// opaque handles; texts are UTF-8.
class PopupMenu {
public:
    using Menu = std::uintptr_t;  // 0: none

    virtual ~PopupMenu() = default;

    // Loads the template and returns its popup; 0 on failure.
    virtual Menu Load() = 0;
    virtual int ItemCount(Menu menu) = 0;
    // A submenu's id is -1.
    virtual int ItemId(Menu menu, int position) = 0;
    virtual std::string ItemText(Menu menu, int position) = 0;
    virtual Menu SubMenu(Menu menu, int position) = 0;
    virtual void Insert(Menu menu, int position, std::string_view text, int id) = 0;
    // Brings the owner to the foreground and shows the popup with its lower right corner at
    // (x, y); returns once it closed. The chosen item arrives afterwards as a command to the
    // dialog.
    virtual void Track(Menu menu, int x, int y) = 0;
    // Destroys what Load made.
    virtual void Destroy() = 0;
};

}  // namespace mirelka
