#pragma once

#include <cstddef>

#include "store/RecordFile.h"
#include "ui/ApplicationForm.h"
#include "ui/ModeListView.h"
#include "ui/ShortcutPicker.h"

namespace mirelka {

class AppStore;
class CodePage;
class DialogView;
class DisplayModes;
class FileDialog;
class FileSystem;
class ModeListAccess;
class ShortcutReader;
class Visibility;
struct Verdict;

// The settings window: its two tabs, the mode list and the application tab. It catches up
// on a data file it could not read before acting on it, and says what became of every file
// it had written.
class SettingsWindow {
public:
    enum class Tab { Applications = 0, Modes = 1 };

    SettingsWindow(DialogView& view, FileSystem& files, const CodePage& codePage,
                   ShortcutReader& shortcuts, FileDialog& fileDialog, ModeListAccess& modeAccess,
                   AppStore& store, DisplayModes& modes, Visibility& visibility);

    // Start-up: AppData.txt into the registry and the title box, patiently (a file held
    // for a moment is tried again); a read error is reported.
    void ReadAppData();
    // Start-up: the modes into the list, their ticks from ScreenMode.txt, patiently; a read
    // error is reported. How many lines matched.
    int FillModeList();
    // Start-up without a ticked mode: the mode tab, shown.
    void ShowModeTab();
    // Start-up with one: the selector offers the ticked modes.
    void FillModeSelector();

    void OnSettings();
    // 0 lets the tab change, 1 refuses it.
    int OnSelchangingTab();
    void OnSelchangeTab();
    // The strip on the tab shown again, where a refused change moved it all the same.
    void KeepShownTab();
    // The next or previous tab (wrapping) by the rules of a click; the focus to the strip.
    void TurnTab(bool forward);
    // The list emptied as the window goes: a screen reader is told so.
    void ClearModeList();
    // The user's click in an item's box or space bar on it.
    void OnToggleMode(std::size_t index);

    void OnRegisterButton();
    void OnDeleteButton();
    void OnSelchangeTitle();
    void OnBrowse(ShortcutPicker::Folder folder) { picker_.Browse(folder); }

private:
    void ShowTab(Tab tab);
    // A data file not read whole yet, or AppData.txt changed by another program since, is
    // read before anything acts on it: the registry and the title box, or the ticks and the
    // mode selector, then stand for it. False while it still can't be.
    bool CatchUpAppData();
    bool CatchUpScreenModes();
    // Tells the user what went wrong with file; true when nothing did.
    bool ReportFile(FileStatus status, const RecordFile& file, const char* cannotOpenText);
    // Shows a refusal or asks; true to go ahead.
    bool Confirmed(const Verdict& verdict);
    void RegisterApp();
    void DeleteApp();
    // The registry into AppData.txt: a beep when saved, a message when not.
    void WriteAppData();
    // The ticked modes into ScreenMode.txt.
    void WriteScreenModes();

    DialogView& view_;
    FileSystem& files_;
    const CodePage& codePage_;
    ShortcutReader& shortcuts_;
    AppStore& store_;
    DisplayModes& modes_;
    Visibility& visibility_;
    ApplicationForm form_;
    ShortcutPicker picker_;
    ModeListView modeView_;
    // The tab whose controls are shown; the strip's selection can differ from it for a
    // moment (a refused change under Wine).
    Tab shown_ = Tab::Applications;
};

}  // namespace mirelka
