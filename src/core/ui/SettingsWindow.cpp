#include "ui/SettingsWindow.h"

#include <optional>

#include "display/DisplayModes.h"
#include "display/ModeRules.h"
#include "launch/Shortcut.h"
#include "ports/CodePage.h"
#include "ports/DialogView.h"
#include "ports/FileDialog.h"
#include "ports/FileSystem.h"
#include "ports/ShortcutReader.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"
#include "store/AppStore.h"
#include "text/MbString.h"
#include "ui/Visibility.h"

namespace mirelka {

namespace {

constexpr int kCsidlDesktop = 0;
constexpr int kCsidlPrograms = 2;
constexpr int kCsidlCommonPrograms = 23;

// A TAB would split the record, an LF the line, and Ctrl-Z would end the file there.
bool HoldsRecordBreaker(const std::string& title) {
    return title.find_first_of("\t\n\x1A") != std::string::npos;
}

}  // namespace

bool SettingsWindow::ReadAppData(bool patient) {
    const FileStatus status = store_.LoadAppData(patient);
    if (status == FileStatus::CannotOpen) {
        // No file yet: an empty registry, silently.
        return false;
    }
    if (!ReportFile(status, store_.AppFile(), text::kCannotOpenAppData)) {
        return false;
    }
    FillTitleBox();
    return true;
}

int SettingsWindow::RestoreModeChecks() {
    const int matched = modes_.RestoreModeChecks(true);
    if (!modes_.ModeFileRead()) {
        ReportFile(FileStatus::ReadFailed, modes_.ModeFile(), text::kCannotOpenScreenMode);
    }
    return matched;
}

bool SettingsWindow::CatchUpAppData() {
    if (store_.Read()) {
        return true;
    }
    if (store_.LoadAppData() == FileStatus::ReadFailed) {
        return false;
    }
    // Emptying the box may empty its edit field too: what the user typed stays.
    const std::string typed = view_.Text(IDC_TITLE);
    FillTitleBox();
    view_.SetText(IDC_TITLE, typed);
    return true;
}

bool SettingsWindow::CatchUpScreenModes() {
    if (modes_.ModeFileRead()) {
        return true;
    }
    modes_.RestoreModeChecks();
    if (!modes_.ModeFileRead()) {
        return false;
    }
    FillModeSelector();
    return true;
}

bool SettingsWindow::WriteAppData() {
    if (!ReportFile(store_.SaveAppData(), store_.AppFile(), text::kCannotOpenAppData)) {
        return false;
    }
    view_.Beep();
    return true;
}

void SettingsWindow::WriteScreenModes() {
    if (!modes_.ModeFileRead()) {
        // The user's saved modes are shown first once they can be read; saving comes after.
        if (!CatchUpScreenModes()) {
            view_.ShowMessage(text::kCannotOpenScreenMode, MessageType::Error);
        }
        return;
    }
    const std::optional<FileStatus> status = modes_.SaveScreenModes();
    if (!status) {
        view_.ShowMessage(text::kTickOneToSave, MessageType::Error);
        return;
    }
    if (ReportFile(*status, modes_.ModeFile(), text::kCannotOpenScreenMode)) {
        view_.Beep();
    }
}

bool SettingsWindow::ReportFile(FileStatus status, const RecordFile& file,
                                const char* cannotOpenText) {
    switch (status) {
        case FileStatus::Done:
            return true;
        case FileStatus::CannotOpen:
            view_.ShowMessage(cannotOpenText, MessageType::Error);
            return false;
        case FileStatus::WriteFailed:
            view_.ShowMessage(ReplaceArg(text::kDiskFull, file.Path()), MessageType::Error);
            return false;
        case FileStatus::ReadFailed:
            view_.ShowMessage(ReplaceArg(text::kReadError, file.Path()), MessageType::Error);
            return false;
    }
    return false;
}

std::string SettingsWindow::Utf8(const std::string& ansi) const {
    return codePage_.ToUtf8(ansi);
}

void SettingsWindow::ShowTab(int tab) {
    static constexpr int kTabZero[] = {IDC_TITLE,
                                       IDC_MODE_SELECTOR,
                                       IDC_SHORTCUT,
                                       IDC_TARGET,
                                       IDC_WORKDIR,
                                       IDC_TITLE_LABEL,
                                       IDC_MODE_LABEL,
                                       IDC_SHORTCUT_LABEL,
                                       IDC_TARGET_LABEL,
                                       IDC_WORKDIR_LABEL,
                                       IDC_BROWSE_DESKTOP,
                                       IDC_BROWSE_STARTMENU,
                                       IDC_BROWSE_COMMON_STARTMENU,
                                       IDC_RESTORE};
    if (tab != 0 && tab != 1) {
        return;
    }
    const bool applications = tab == 0;
    for (const int id : kTabZero) {
        view_.ShowControl(id, applications);
    }
    view_.ShowControl(IDC_MODE_LIST, !applications);
    view_.ShowControl(IDC_REGISTER, true);
    view_.ShowControl(IDC_DELETE, applications);
}

void SettingsWindow::OnSettings() {
    CatchUpAppData();
    CatchUpScreenModes();
    visibility_.Request(true);
    const int tab = modes_.List().AnyTicked() ? 0 : 1;
    view_.TabSelect(IDC_TAB, tab);
    ShowTab(tab);
    view_.ShowNormal();
    // After a switch to a smaller mode the window may stand off the screen's edge.
    view_.KeepOnScreen();
    view_.SetForeground();
}

void SettingsWindow::FillModeSelector() {
    const ModeList& list = modes_.List();
    view_.ComboReset(IDC_MODE_SELECTOR);
    view_.ComboInsert(IDC_MODE_SELECTOR, 0, text::kNoMode);
    view_.ComboSetItemData(IDC_MODE_SELECTOR, 0, -1);
    int next = 1;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (list.IsTicked(i)) {
            const int index = view_.ComboInsert(IDC_MODE_SELECTOR, next++, ModeLabel(list.At(i)));
            view_.ComboSetItemData(IDC_MODE_SELECTOR, index, static_cast<std::intptr_t>(i));
        }
    }
    view_.ComboSelect(IDC_MODE_SELECTOR, 0);
}

void SettingsWindow::FillTitleBox() {
    view_.ComboReset(IDC_TITLE);
    store_.Registry().ForEach(
        [&](const AppEntry& entry) { view_.ComboAdd(IDC_TITLE, Utf8(entry.title)); });
}

void SettingsWindow::OnRegisterButton() {
    switch (view_.TabSelection(IDC_TAB)) {
        case 0:
            RegisterApp();
            break;
        case 1:
            WriteScreenModes();
            break;
        default:
            break;
    }
}

void SettingsWindow::OnDeleteButton() {
    DeleteApp();
}

void SettingsWindow::OnSelchangeTab() {
    ShowTab(view_.TabSelection(IDC_TAB));
}

int SettingsWindow::OnSelchangingTab() {
    const ModeList& list = modes_.List();
    if (view_.TabSelection(IDC_TAB) == 1 && list.Count() > 0) {
        if (!list.AnyTicked()) {
            view_.ShowMessage(text::kTickOneToLeave, MessageType::Error);
            return 1;
        }
        FillModeSelector();
    }
    return 0;
}

void SettingsWindow::TitleFromBox(Form& form) {
    const AppRegistry& registry = store_.Registry();
    const std::string& shown = form.shownTitle;
    // Picked from the box: the entry at its place, which holds the registry in order. Two
    // titles with bytes the code page doesn't define may look alike.
    const int picked = view_.ComboSelection(IDC_TITLE);
    if (picked >= 0 && picked < registry.Count() &&
        view_.ComboItemText(IDC_TITLE, picked) == shown &&
        Utf8(registry.At(picked).title) == shown) {
        form.entry.title = registry.At(picked).title;
        return;
    }
    // Typed. Code page 932 has characters with two codes; shown through the wide interface
    // and typed back, a registered title comes back with the other bytes. Its own bytes are
    // the ones the registry knows it by.
    int alike = 0;
    for (std::int32_t i = 0; i < registry.Count(); ++i) {
        if (Utf8(registry.At(i).title) == shown && alike++ == 0) {
            form.entry.title = registry.At(i).title;
        }
    }
    if (alike > 1) {
        form.entry.title.clear();
        form.title = Form::Title::LooksLikeTwo;
        return;
    }
    if (alike == 1) {
        return;
    }
    if (std::optional<std::string> ansi = codePage_.FromUtf8Exact(shown)) {
        form.entry.title = std::move(*ansi);
    } else {
        form.title = Form::Title::Unstorable;
    }
}

SettingsWindow::Form SettingsWindow::EntryFromControls() {
    DialogView& view = view_;
    Form form;
    AppEntry& entry = form.entry;
    form.shownTitle = view.Text(IDC_TITLE);
    TitleFromBox(form);
    const int selection = view.ComboSelection(IDC_MODE_SELECTOR);
    if (selection >= 0) {
        const std::intptr_t index = view.ComboItemData(IDC_MODE_SELECTOR, selection);
        const ModeList& list = modes_.List();
        if (index >= 0 && static_cast<std::size_t>(index) < list.Count()) {
            const DisplayMode& mode = list.At(static_cast<std::size_t>(index));
            entry.width = static_cast<std::int32_t>(mode.width);
            entry.height = static_cast<std::int32_t>(mode.height);
            entry.bitsPerPixel = static_cast<std::int32_t>(mode.bitsPerPixel);
            entry.frequency = static_cast<std::int32_t>(mode.frequency);
        }
    }
    // The box shows UTF-8; AppData.txt keeps the code page's bytes, exactly or not at all.
    if (std::optional<std::string> shortcut = codePage_.FromUtf8Exact(view.Text(IDC_SHORTCUT))) {
        entry.shortcut = std::move(*shortcut);
    } else {
        form.shortcutStorable = false;
    }
    entry.restoreOnExit = view.Checked(IDC_RESTORE) ? 1 : 0;
    return form;
}

bool SettingsWindow::ValidateEntry(const Form& form, bool forDelete) {
    DialogView& view = view_;
    const AppEntry& entry = form.entry;
    const std::string& title = form.shownTitle;
    if (title.empty()) {
        view.ShowMessage(ReplaceArg(text::kTitleMissing,
                                    forDelete ? text::kDeleteAction : text::kRegisterAction),
                         MessageType::Error);
        return false;
    }
    if (form.title == Form::Title::LooksLikeTwo) {
        view.ShowMessage(text::kTitleNotStorable, MessageType::Error);
        return false;
    }
    if (forDelete) {
        // A title the code page can't hold was never registered.
        if (form.title != Form::Title::Exact || store_.Registry().Find(entry) == nullptr) {
            view.ShowMessage(ReplaceArg(text::kNotRegistered, title), MessageType::Error);
            return false;
        }
        return view.ShowMessage(ReplaceArg(text::kConfirmDelete, title), MessageType::Confirm) !=
               MessageAnswer::No;
    }
    if (HoldsRecordBreaker(title)) {
        view.ShowMessage(text::kTitleHasControl, MessageType::Error);
        return false;
    }
    if (form.title != Form::Title::Exact) {
        view.ShowMessage(text::kTitleNotStorable, MessageType::Error);
        return false;
    }
    if (form.shortcutStorable && entry.shortcut.empty()) {
        view.ShowMessage(text::kShortcutMissing, MessageType::Error);
        return false;
    }
    if (!form.shortcutStorable) {
        view.ShowMessage(text::kShortcutNotStorable, MessageType::Error);
        return false;
    }
    const std::optional<std::string> shortcut = codePage_.ToUtf8Exact(entry.shortcut);
    if (!shortcut || !files_.HasAttributes(*shortcut)) {
        view.ShowMessage(text::kShortcutInaccessible, MessageType::Error);
        return false;
    }
    if (store_.Registry().Find(entry) != nullptr) {
        return view.ShowMessage(ReplaceArg(text::kConfirmOverwrite, title), MessageType::Confirm) !=
               MessageAnswer::No;
    }
    return true;
}

void SettingsWindow::RegisterApp() {
    AppRegistry& registry = store_.Registry();
    if (!CatchUpAppData()) {
        view_.ShowMessage(text::kCannotOpenAppData, MessageType::Error);
        return;
    }
    const Form form = EntryFromControls();
    if (!ValidateEntry(form, false)) {
        return;
    }
    const AppEntry& entry = form.entry;
    const std::string& title = form.shownTitle;
    if (AppEntry* existing = registry.Find(entry)) {
        *existing = entry;
        view_.ShowMessage(ReplaceArg(text::kRegistered, title), MessageType::Notice);
    } else if (registry.Insert(entry)) {
        view_.ShowMessage(ReplaceArg(text::kRegistered, title), MessageType::Notice);
    } else {
        view_.ShowMessage(ReplaceArg(text::kRegisterFailed, title), MessageType::Error);
    }
    WriteAppData();
    FillTitleBox();
    // By position, as the box holds the registry in order: selecting by text would take
    // the first title merely beginning with this one, in any case ("Game 2", "game").
    for (std::int32_t i = 0; i < registry.Count(); ++i) {
        if (registry.Compare(registry.At(i), entry) == 0) {
            view_.ComboSelect(IDC_TITLE, static_cast<int>(i));
            break;
        }
    }
}

void SettingsWindow::DeleteApp() {
    if (!CatchUpAppData()) {
        view_.ShowMessage(text::kCannotOpenAppData, MessageType::Error);
        return;
    }
    const Form form = EntryFromControls();
    if (!ValidateEntry(form, true)) {
        return;
    }
    const std::string& title = form.shownTitle;
    if (store_.Registry().Remove(form.entry)) {
        view_.ShowMessage(ReplaceArg(text::kDeleted, title), MessageType::Notice);
    } else {
        view_.ShowMessage(ReplaceArg(text::kDeleteFailed, title), MessageType::Error);
    }
    WriteAppData();
    FillTitleBox();
}

void SettingsWindow::OnSelchangeTitle() {
    DialogView& view = view_;
    const int selection = view.ComboSelection(IDC_TITLE);
    if (selection < 0) {
        return;
    }
    // By its place: the box holds the registry in order, and two titles may look alike.
    const AppRegistry& registry = store_.Registry();
    if (selection >= registry.Count()) {
        return;
    }
    const AppEntry entry = registry.At(selection);
    // A mode no longer ticked is not in the selector: the entry then shows "未設定".
    if (view.ComboSelectString(IDC_MODE_SELECTOR, 0, ModeLabel(ModeOf(entry))) < 0) {
        view.ComboSelect(IDC_MODE_SELECTOR, 0);
    }
    view.SetText(IDC_SHORTCUT, Utf8(entry.shortcut));
    ShortcutToFields();
    view.SetChecked(IDC_RESTORE, entry.restoreOnExit != 0);
}

bool SettingsWindow::ShortcutToFields() {
    DialogView& view = view_;
    view.SetText(IDC_TARGET, "");
    view.SetText(IDC_WORKDIR, "");
    // Trimmed for the look-up only: the control keeps what it shows. The box, the reader
    // and the two fields all speak UTF-8, so any path reads and shows exactly.
    const std::string path(Trim(view.Text(IDC_SHORTCUT)));
    if (path.empty() || !shortcuts_.Load(path)) {
        return false;
    }
    std::string value;
    if (ShortcutProgram(shortcuts_, path, value)) {
        view.SetText(IDC_TARGET, value);
    }
    if (shortcuts_.WorkingDirectory(value)) {
        view.SetText(IDC_WORKDIR, value);
    }
    return true;
}

void SettingsWindow::BrowseShortcut(int csidl) {
    FileDialog::Request request;
    request.title = text::kShortcutDialogTitle;
    request.defaultExtension = text::kShortcutExtension;
    // "description|pattern|...||": pairs up to the empty description that ends the list.
    // The filter is UTF-8, where no byte of a multibyte character can be a '|'.
    const LeadBytes utf8 = LeadBytes::None();
    std::string_view rest = text::kShortcutFilter;
    for (;;) {
        const std::string_view description = MbsNextToken(utf8, rest, '|');
        const std::string_view pattern = MbsNextToken(utf8, rest, '|');
        if (description.empty()) {
            break;
        }
        request.filters.push_back({std::string(description), std::string(pattern)});
    }
    if (const auto folder = fileDialog_.SpecialFolder(csidl)) {
        request.initialFolder = *folder;
    }
    const auto chosen = fileDialog_.ChooseFile(request);
    if (!chosen) {
        return;
    }
    view_.SetText(IDC_SHORTCUT, *chosen);
    ShortcutToFields();
}

void SettingsWindow::OnBrowseStartMenu() {
    BrowseShortcut(kCsidlPrograms);
}

void SettingsWindow::OnBrowseCommonStartMenu() {
    BrowseShortcut(kCsidlCommonPrograms);
}

void SettingsWindow::OnBrowseDesktop() {
    BrowseShortcut(kCsidlDesktop);
}

}  // namespace mirelka
