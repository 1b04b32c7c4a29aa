#pragma once

#include <string>

#include "store/AppEntry.h"
#include "store/RecordFile.h"

namespace mirelka {

class AppStore;
class CodePage;
class DialogView;
class DisplayModes;
class FileDialog;
class FileSystem;
class ShortcutReader;
class Visibility;

// The settings window: its two tabs, the mode selector, and the application tab that
// registers and deletes applications. It says what became of every file it had written.
class SettingsWindow {
public:
    SettingsWindow(DialogView& view, FileSystem& files, const CodePage& codePage,
                   ShortcutReader& shortcuts, FileDialog& fileDialog, AppStore& store,
                   DisplayModes& modes, Visibility& visibility)
        : view_(view),
          files_(files),
          codePage_(codePage),
          shortcuts_(shortcuts),
          fileDialog_(fileDialog),
          store_(store),
          modes_(modes),
          visibility_(visibility) {}

    // AppData.txt into the registry and the title box; a read error is reported. Patient
    // at start-up: a file held for a moment is tried again.
    bool ReadAppData(bool patient = false);
    // Start-up: ticks from ScreenMode.txt, patiently; a read error is reported. How many
    // lines matched.
    int RestoreModeChecks();
    // The registry into AppData.txt: a beep when saved, a message when not.
    bool WriteAppData();

    void ShowTab(int tab);
    void OnSelchangeTab();
    // 0 lets the tab change, 1 refuses it.
    int OnSelchangingTab();
    void OnSettings();
    void FillModeSelector();
    void FillTitleBox();

    void OnRegisterButton();
    void OnDeleteButton();
    void OnSelchangeTitle();
    void OnBrowseStartMenu();
    void OnBrowseCommonStartMenu();
    void OnBrowseDesktop();

    // What the application tab's controls stand for: the entry in data text, and what of
    // it has no exact data text (left out of the entry).
    struct Form {
        enum class Title {
            Exact,
            Unstorable,    // a character the code page can't hold exactly
            LooksLikeTwo,  // typed, and shown alike by two registered titles
        };
        AppEntry entry;
        std::string shownTitle;  // UTF-8, as the box shows it: what messages name
        Title title = Title::Exact;
        bool shortcutStorable = true;
    };

    Form EntryFromControls();
    bool ValidateEntry(const Form& form, bool forDelete);
    void RegisterApp();
    void DeleteApp();
    bool ShortcutToFields();
    void BrowseShortcut(int csidl);

private:
    // A data file not read whole yet is read before anything acts on it: the registry and
    // the title box, or the ticks and the mode selector, then stand for it. False while it
    // still can't be.
    bool CatchUpAppData();
    bool CatchUpScreenModes();
    // Tells the user what went wrong with file; true when nothing did.
    bool ReportFile(FileStatus status, const RecordFile& file, const char* cannotOpenText);
    // The ticked modes into ScreenMode.txt.
    void WriteScreenModes();
    // The data-text title for what the title box shows, into form.
    void TitleFromBox(Form& form);
    // Data text for showing only.
    std::string Utf8(const std::string& ansi) const;

    DialogView& view_;
    FileSystem& files_;
    const CodePage& codePage_;
    ShortcutReader& shortcuts_;
    FileDialog& fileDialog_;
    AppStore& store_;
    DisplayModes& modes_;
    Visibility& visibility_;
};

}  // namespace mirelka
