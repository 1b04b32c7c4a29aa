// LauncherDialog: the notification-area icon, its popup menu, showing, hiding and ending.
#include "app/LauncherDialog.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"

namespace mirelka {

namespace {
constexpr std::intptr_t kRightButtonDown = 0x0204;  // WM_RBUTTONDOWN
}  // namespace

int ModeCommandId(std::size_t listIndex) {
    // From index 998 on, 33001 + i would run into the launch commands (34000 + p): such
    // items get an id nothing handles, so choosing one does nothing.
    if (listIndex >= static_cast<std::size_t>(ID_MODE_LAST - ID_MODE_FIRST + 1)) {
        return ID_MODE_UNHANDLED;
    }
    return ID_MODE_FIRST + static_cast<int>(listIndex);
}

void LauncherDialog::OnTrayNotify(std::intptr_t mouseMessage) {
    if (mouseMessage != kRightButtonDown) {
        return;
    }
    DialogView& view = ports_.view;
    PopupMenu& menus = ports_.menu;

    visible_ = 0;
    view.Hide();
    view.SetForeground();
    int x = 0;
    int y = 0;
    view.CursorPosition(x, y);

    const PopupMenu::Menu popup = menus.Load();
    if (popup == 0) {
        return;
    }
    int position = 0;
    registry_.ForEach([&](const AppEntry& entry) {
        menus.Insert(popup, position, Utf8(entry.title), ID_LAUNCH_FIRST + position);
        ++position;
    });
    if (const PopupMenu::Menu resolutions = FindSubMenuByText(popup, text::kMenuResolutions)) {
        int row = 0;
        for (std::size_t i = 0; i < modeList_.Count(); ++i) {
            if (modeList_.IsTicked(i)) {
                menus.Insert(resolutions, row++, ModeLabel(modeList_.At(i)), ModeCommandId(i));
            }
        }
    }
    menus.Track(popup, x, y);
    menus.Destroy();
}

PopupMenu::Menu LauncherDialog::FindSubMenuByText(PopupMenu::Menu menu, std::string_view text) {
    PopupMenu& menus = ports_.menu;
    const int count = menus.ItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (menus.ItemId(menu, position) == -1 && menus.ItemText(menu, position) == text) {
            return menus.SubMenu(menu, position);
        }
    }
    return 0;
}

void LauncherDialog::OnTaskbarCreated() {
    // The shell's task bar was made anew (Explorer restarted) and our icon went with it.
    ports_.tray.Add();
}

void LauncherDialog::OnOK() {
    ports_.view.FocusNextControl();
}

void LauncherDialog::OnCancel() {
    visible_ = 0;
    ports_.view.Hide();
}

void LauncherDialog::OnExit() {
    ports_.view.End(kIdCancel);
}

void LauncherDialog::OnDestroy() {
    ports_.tray.Remove();
    modeList_.Clear();
}

}  // namespace mirelka
