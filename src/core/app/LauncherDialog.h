#pragma once

#include <cstdint>
#include <string>

#include "display/DisplayMode.h"
#include "display/ModeList.h"
#include "ports/CodePage.h"
#include "ports/DialogView.h"
#include "ports/DisplayDriver.h"
#include "ports/FileDialog.h"
#include "ports/FileSystem.h"
#include "ports/PopupMenu.h"
#include "ports/ProcessRunner.h"
#include "ports/ShortcutReader.h"
#include "ports/TrayIcon.h"
#include "store/AppRegistry.h"
#include "store/RecordFile.h"

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
};

// The menu command that switches to mode-list item listIndex.
int ModeCommandId(std::size_t listIndex);

// The main dialog's state and handlers. The Win32 window procedure turns messages into
// calls here; nothing in this class knows about windows. The handlers live beside the
// subsystem they belong to (display/, store/, ...).
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

    enum class PaintAction { DrawIcon, Default };
    // Keeps the dialog hidden until something asked for it to be shown.
    PaintAction OnPaint();

    // The notification-area icon, its menu, and the window's standard keys.
    void OnTrayNotify(std::intptr_t mouseMessage);
    PopupMenu::Menu FindSubMenuByText(PopupMenu::Menu menu, std::string_view text);
    void OnTaskbarCreated();
    void OnOK();
    void OnCancel();
    void OnExit();
    void OnSettings();
    // The window is going: the icon goes with it.
    void OnDestroy();

    // Application registry and AppData.txt.
    bool LoadAppData();
    bool SaveAppData();
    void FillTitleBox();

    // Display modes and ScreenMode.txt.
    void FillModeList();
    int RestoreModeChecks();
    bool SaveScreenModes();
    bool CaptureRegistryMode(DisplayMode& mode);
    void ApplyMode(const DisplayMode& mode);
    void OnChangeResolution(int commandId);

    // Launching: blocks until the started program has ended.
    void OnLaunchApp(int commandId);
    bool LaunchEntry(const AppEntry& entry);

    // Settings window.
    void ShowTab(int tab);
    void OnSelchangeTab();
    // 0 lets the tab change, 1 refuses it.
    int OnSelchangingTab();
    void OnRegisterButton();
    void OnDeleteButton();
    void OnSelchangeTitle();
    void OnBrowseStartMenu();
    void OnBrowseCommonStartMenu();
    void OnBrowseDesktop();
    void FillModeSelector();
    void EntryFromControls(AppEntry& entry);
    bool ValidateEntry(const AppEntry& entry, bool forDelete);
    void RegisterApp();
    void DeleteApp();
    bool ShortcutToFields();
    void BrowseShortcut(int csidl);

    AppRegistry& Registry() { return registry_; }
    const ModeList& Modes() const { return modeList_; }
    const RecordFile& AppFile() const { return appFile_; }
    const RecordFile& ModeFile() const { return modeFile_; }
    const std::string& ExecutablePath() const { return executablePath_; }
    bool VisibilityFlag() const { return visible_ != 0; }
    bool StartupModeValid() const { return startupModeValid_ != 0; }
    const DisplayMode& StartupMode() const { return startupMode_; }

    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;

private:
    // Shows the message for a failed read or write of file; openFailedText for a file
    // that could not be created or replaced.
    void ReportFileError(const RecordFile& file, const char* openFailedText);
    std::string Utf8(const std::string& ansi) const { return ports_.codePage.ToUtf8(ansi); }
    // Rewrites file with what writeRecords writes (false when a write failed); reports a
    // failure with openFailedText or the file-error messages, beeps on success.
    template <typename WriteRecords>
    bool Rewrite(RecordFile& file, const char* openFailedText, WriteRecords writeRecords);
    // The data-text title for what the title box shows.
    std::string TitleFromBox(const std::string& shown);

    Ports ports_;
    ModeList modeList_;
    DisplayMode startupMode_;
    std::uint8_t startupModeValid_ = 0;
    RecordFile modeFile_;
    std::uint8_t visible_ = 0;
    AppRegistry registry_;
    RecordFile appFile_;
    std::string executablePath_;
};

template <typename WriteRecords>
bool LauncherDialog::Rewrite(RecordFile& file, const char* openFailedText,
                             WriteRecords writeRecords) {
    if (!file.Open(RecordFile::Mode::Write)) {
        ports_.view.ShowMessage(openFailedText, MessageType::Error);
        return false;
    }
    if (!writeRecords() || !file.Close()) {
        file.Abandon();
        ReportFileError(file, openFailedText);
        return false;
    }
    ports_.view.Beep();
    return true;
}

}  // namespace mirelka
