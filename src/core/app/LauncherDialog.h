#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "display/DisplayModes.h"
#include "launch/LaunchSequence.h"
#include "ports/CodePage.h"
#include "ports/DialogView.h"
#include "ports/DisplayDriver.h"
#include "ports/FileDialog.h"
#include "ports/FileSystem.h"
#include "ports/ModeListAccess.h"
#include "ports/PopupMenu.h"
#include "ports/ProcessRunner.h"
#include "ports/ShortcutReader.h"
#include "ports/TrayIcon.h"
#include "store/AppStore.h"
#include "ui/Busy.h"
#include "ui/SettingsWindow.h"
#include "ui/TrayMenu.h"
#include "ui/Visibility.h"

namespace mirelka {

// What the main dialog talks to the world through.
struct Ports {
    DialogView& view;
    FileSystem& files;
    const CodePage& codePage;
    DisplayDriver& display;
    ShortcutReader& shortcuts;
    ProcessRunner& processes;
    TrayIcon& tray;
    PopupMenu& menu;
    FileDialog& fileDialog;
    ModeListAccess& modeAccess;
};

// The main dialog: owns the program's components, starts them in their fixed order and
// routes every window message and command to the one that handles it. The Win32 window
// procedure turns messages into calls here; nothing in this class knows about windows.
// Not copyable, and nothing to say about the rest: every member cleans up after itself.
// NOLINTNEXTLINE(cppcoreguidelines-special-member-functions)
class LauncherDialog {
public:
    LauncherDialog(const Ports& ports, std::string executablePath);
    LauncherDialog(const LauncherDialog&) = delete;
    LauncherDialog& operator=(const LauncherDialog&) = delete;

    // Start-up, in its fixed order. True: focus is left to the system.
    bool OnInitDialog();
    // A command from a control (with its notification code) or a menu; false when
    // nothing handles it.
    bool OnCommand(int id, int notification = 0);
    // The launch and mode commands of the tray menu.
    void OnLaunchApp(int commandId);
    void OnChangeResolution(int commandId);
    // The user's click in a mode's box, or the space bar on it; nothing while busy.
    void OnToggleMode(std::size_t index);
    // What the mode list draws for item index.
    bool IsModeTicked(std::size_t index) const { return modes_.List().IsTicked(index); }
    // The notification icon's mouse events.
    void OnTrayNotify(std::intptr_t mouseMessage);
    // The tab control's notifications; OnSelchangingTab's 1 refuses the change.
    int OnSelchangingTab();
    void OnSelchangeTab();
    // After a refused change, once the tab control is done with it: the strip goes back to
    // the tab shown, whatever the control made of the refusal.
    void OnTabChangeRefused();
    // Ctrl+Tab and its kin from any control: the next or previous tab, as a click on it
    // would ask for it; the focus goes to the strip. Nothing while busy.
    void OnTurnTab(bool forward);

    enum class PaintAction { DrawIcon, Default };
    // Keeps the dialog hidden until something asked for it to be shown.
    PaintAction OnPaint();

    void OnTaskbarCreated();
    void OnTimer(int id);
    // The session may end: yes, at once, even while a launched program runs. The Restart
    // Manager (closeApp: an installer needs a file of ours) hears no during a launch.
    bool OnQueryEndSession(bool closeApp = false) const {
        return !closeApp || !launcher_.Running();
    }
    // True when the program must end at once (the Restart Manager closes it); the icon has
    // gone then.
    bool OnEndSession(bool ending, bool closeApp = false);
    void OnOK();
    void OnCancel();
    void OnExit();
    // The window is going: the icon goes with it.
    void OnDestroy();

    AppRegistry& Registry() { return store_.Registry(); }
    const ModeList& Modes() const { return modes_.List(); }
    const RecordFile& AppFile() const { return store_.AppFile(); }
    const RecordFile& ModeFile() const { return modes_.ModeFile(); }
    bool VisibilityFlag() const { return visibility_.Requested(); }
    bool StartupModeValid() const { return modes_.StartupModeValid(); }
    const DisplayMode& StartupMode() const { return modes_.StartupMode(); }

    // While the icon is missing it is tried again every 5 s for 5 minutes (as at logon,
    // when the shell may not be ready yet); no timer runs otherwise.
    static constexpr int kIconTimer = 1;
    static constexpr unsigned kIconRetryMs = 5000;
    static constexpr int kIconRetries = 60;

private:
    void AddTrayIcon();

    Ports ports_;
    Visibility visibility_;
    Busy busy_;
    int iconRetriesLeft_ = 0;
    DisplayModes modes_;
    AppStore store_;
    LaunchSequence launcher_;
    TrayMenu trayMenu_;
    SettingsWindow settings_;
    std::string executablePath_;
};

}  // namespace mirelka
