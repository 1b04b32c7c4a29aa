#pragma once

#include <cstdint>
#include <string_view>

#include "ports/PopupMenu.h"

namespace mirelka {

class AppRegistry;
class CodePage;
class DialogView;
class DisplayModes;
class Visibility;

// The notification icon's popup menu: the registered titles, then the ticked modes under
// 解像度変更. Built anew each time it opens; the chosen command comes back to the dialog.
class TrayMenu {
public:
    TrayMenu(DialogView& view, PopupMenu& menus, const CodePage& codePage, AppRegistry& registry,
             const DisplayModes& modes, Visibility& visibility)
        : view_(view),
          menus_(menus),
          codePage_(codePage),
          registry_(registry),
          modes_(modes),
          visibility_(visibility) {}

    void OnTrayNotify(std::intptr_t mouseMessage);
    PopupMenu::Menu FindSubMenuByText(PopupMenu::Menu menu, std::string_view text);

private:
    DialogView& view_;
    PopupMenu& menus_;
    const CodePage& codePage_;
    AppRegistry& registry_;
    const DisplayModes& modes_;
    Visibility& visibility_;
    bool tracking_ = false;
};

}  // namespace mirelka
