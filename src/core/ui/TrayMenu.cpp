#include "ui/TrayMenu.h"

#include "display/DisplayModes.h"
#include "display/ModeRules.h"
#include "ports/CodePage.h"
#include "ports/DialogView.h"
#include "resources/Commands.h"
#include "resources/Texts.h"
#include "store/AppRegistry.h"
#include "ui/Visibility.h"

namespace mirelka {

namespace {
constexpr std::intptr_t kRightButtonDown = 0x0204;  // WM_RBUTTONDOWN
}  // namespace

void TrayMenu::OnTrayNotify(std::intptr_t mouseMessage) {
    // The menu's loop delivers the icon's clicks too: a second menu would destroy this one.
    if (mouseMessage != kRightButtonDown || tracking_) {
        return;
    }
    visibility_.Request(false);
    view_.Hide();
    int x = 0;
    int y = 0;
    view_.CursorPosition(x, y);

    const PopupMenu::Menu popup = menus_.Load();
    if (popup == 0) {
        return;
    }
    int position = 0;
    registry_.ForEach([&](const AppEntry& entry) {
        menus_.Insert(popup, position, codePage_.ToUtf8(entry.title),
                      LaunchCommandId(static_cast<std::size_t>(position)));
        ++position;
    });
    if (const PopupMenu::Menu resolutions = FindSubMenuByText(popup, text::kMenuResolutions)) {
        const ModeList& list = modes_.List();
        int row = 0;
        for (std::size_t i = 0; i < list.Count(); ++i) {
            if (list.IsTicked(i)) {
                menus_.Insert(resolutions, row++, ModeLabel(list.At(i)), ModeCommandId(i));
            }
        }
    }
    // The chosen command arrives as a posted WM_COMMAND once the menu is gone.
    tracking_ = true;
    menus_.Track(popup, x, y);
    tracking_ = false;
    menus_.Destroy();
}

PopupMenu::Menu TrayMenu::FindSubMenuByText(PopupMenu::Menu menu, std::string_view text) {
    const int count = menus_.ItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (menus_.ItemId(menu, position) == -1 && menus_.ItemText(menu, position) == text) {
            return menus_.SubMenu(menu, position);
        }
    }
    return 0;
}

}  // namespace mirelka
