// What each id the main dialog receives means: the one place that turns menu positions and
// list items into command ids and back. The menu builds ids with the first two functions;
// the dialog reads every id it is sent with CommandFor.
#pragma once

#include <cstddef>

#include "resources/ResourceIds.h"

namespace mirelka {

// Launches registry position p. From 1000 on the id leaves the handled range, so the item is
// shown and does nothing.
constexpr int LaunchCommandId(std::size_t position) {
    return ID_LAUNCH_FIRST + static_cast<int>(position);
}

// Switches to mode-list item i. From 998 on, 33001 + i would run into the launch commands:
// such items get an id nothing handles.
constexpr int ModeCommandId(std::size_t listIndex) {
    return listIndex >= static_cast<std::size_t>(ID_MODE_LAST - ID_MODE_FIRST + 1)
               ? ID_MODE_UNHANDLED
               : ID_MODE_FIRST + static_cast<int>(listIndex);
}

struct Command {
    enum class Kind {
        None,  // nothing handles it
        Launch,
        SwitchMode,
        StartupMode,
        Settings,
        Exit,
        Ok,      // Enter
        Cancel,  // Esc, the close box, the ｷｬﾝｾﾙ button and menu item
        Register,
        Delete,
        TitleChosen,
        BrowseStartMenu,
        BrowseCommonStartMenu,
        BrowseDesktop,
    };
    Kind kind = Kind::None;
    std::size_t index = 0;  // Launch: registry position; SwitchMode: mode-list item
};

// id with its notification code (0 for a click and every menu command, 1 for a combo
// box's selection change).
constexpr Command CommandFor(int id, int notification) {
    using Kind = Command::Kind;
    constexpr int kClicked = 0;    // BN_CLICKED
    constexpr int kSelchange = 1;  // CBN_SELCHANGE
    if (id == IDC_TITLE) {
        return {notification == kSelchange ? Kind::TitleChosen : Kind::None};
    }
    if (notification != kClicked) {
        return {};
    }
    if (id >= ID_LAUNCH_FIRST && id <= ID_LAUNCH_LAST) {
        return {Kind::Launch, static_cast<std::size_t>(id - ID_LAUNCH_FIRST)};
    }
    if (id >= ID_MODE_FIRST && id <= ID_MODE_LAST) {
        return {Kind::SwitchMode, static_cast<std::size_t>(id - ID_MODE_FIRST)};
    }
    switch (id) {
        case ID_MODE_STARTUP:
            return {Kind::StartupMode};
        case ID_TRAY_SETTINGS:
            return {Kind::Settings};
        case ID_TRAY_EXIT:
            return {Kind::Exit};
        case IDOK_COMMAND:
            return {Kind::Ok};
        case IDCANCEL_COMMAND:
            return {Kind::Cancel};
        case IDC_REGISTER:
            return {Kind::Register};
        case IDC_DELETE:
            return {Kind::Delete};
        case IDC_BROWSE_STARTMENU:
            return {Kind::BrowseStartMenu};
        case IDC_BROWSE_COMMON_STARTMENU:
            return {Kind::BrowseCommonStartMenu};
        case IDC_BROWSE_DESKTOP:
            return {Kind::BrowseDesktop};
        default:
            return {};
    }
}

}  // namespace mirelka
