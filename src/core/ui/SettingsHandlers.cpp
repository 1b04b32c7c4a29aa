// LauncherDialog: the settings window's tabs and its application tab.
#include "app/LauncherDialog.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"
#include "text/MbString.h"

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

void LauncherDialog::OnSelchangeTab() {
    ShowTab(ports_.view.TabSelection(IDC_TAB));
}

int LauncherDialog::OnSelchangingTab() {
    if (ports_.view.TabSelection(IDC_TAB) == 1 && modeList_.Count() > 0) {
        if (!modeList_.AnyTicked()) {
            ports_.view.ShowMessage(text::kTickOneToLeave, MessageType::Error);
            return 1;
        }
        FillModeSelector();
    }
    return 0;
}

std::string LauncherDialog::TitleFromBox(const std::string& shown) {
    // Code page 932 has characters with two codes; shown through the wide interface and
    // read back, a registered title may come back with the other bytes. Its own bytes
    // are the ones the registry knows it by.
    std::string found;
    bool matched = false;
    registry_.ForEach([&](const AppEntry& entry) {
        if (!matched && Utf8(entry.title) == shown) {
            found = entry.title;
            matched = true;
        }
    });
    return matched ? found : ports_.codePage.FromUtf8(shown);
}

void LauncherDialog::EntryFromControls(AppEntry& entry) {
    DialogView& view = ports_.view;
    entry.Reset();
    entry.title = TitleFromBox(view.Text(IDC_TITLE));
    const int selection = view.ComboSelection(IDC_MODE_SELECTOR);
    if (selection >= 0) {
        const std::intptr_t index = view.ComboItemData(IDC_MODE_SELECTOR, selection);
        if (index >= 0 && static_cast<std::size_t>(index) < modeList_.Count()) {
            const DisplayMode& mode = modeList_.At(static_cast<std::size_t>(index));
            entry.width = static_cast<std::int32_t>(mode.width);
            entry.height = static_cast<std::int32_t>(mode.height);
            entry.bitsPerPixel = static_cast<std::int32_t>(mode.bitsPerPixel);
            entry.frequency = static_cast<std::int32_t>(mode.frequency);
        }
    }
    entry.shortcut = ports_.codePage.FromUtf8(view.Text(IDC_SHORTCUT));
    entry.restoreOnExit = view.Checked(IDC_RESTORE) ? 1 : 0;
}

bool LauncherDialog::ValidateEntry(const AppEntry& entry, bool forDelete) {
    DialogView& view = ports_.view;
    const std::string title = Utf8(entry.title);
    if (entry.title.empty()) {
        view.ShowMessage(ReplaceArg(text::kTitleMissing,
                                    forDelete ? text::kDeleteAction : text::kRegisterAction),
                         MessageType::Error);
        return false;
    }
    if (forDelete) {
        if (registry_.Find(entry) == nullptr) {
            view.ShowMessage(ReplaceArg(text::kNotRegistered, title), MessageType::Error);
            return false;
        }
        return view.ShowMessage(ReplaceArg(text::kConfirmDelete, title), MessageType::Confirm) !=
               MessageAnswer::No;
    }
    if (HoldsRecordBreaker(entry.title)) {
        view.ShowMessage(text::kTitleHasControl, MessageType::Error);
        return false;
    }
    if (entry.shortcut.empty()) {
        view.ShowMessage(text::kShortcutMissing, MessageType::Error);
        return false;
    }
    if (!ports_.files.HasAttributes(entry.shortcut)) {
        view.ShowMessage(text::kShortcutInaccessible, MessageType::Error);
        return false;
    }
    if (registry_.Find(entry) != nullptr) {
        return view.ShowMessage(ReplaceArg(text::kConfirmOverwrite, title), MessageType::Confirm) !=
               MessageAnswer::No;
    }
    return true;
}

void LauncherDialog::RegisterApp() {
    AppEntry entry;
    EntryFromControls(entry);
    if (!ValidateEntry(entry, false)) {
        return;
    }
    const std::string title = Utf8(entry.title);
    if (AppEntry* existing = registry_.Find(entry)) {
        *existing = entry;
        ports_.view.ShowMessage(ReplaceArg(text::kRegistered, title), MessageType::Notice);
    } else if (registry_.Insert(entry)) {
        ports_.view.ShowMessage(ReplaceArg(text::kRegistered, title), MessageType::Notice);
    } else {
        ports_.view.ShowMessage(ReplaceArg(text::kRegisterFailed, title), MessageType::Error);
    }
    SaveAppData();
    FillTitleBox();
    // By position, as the box holds the registry in order: selecting by text would take
    // the first title merely beginning with this one, in any case ("Game 2", "game").
    for (std::int32_t i = 0; i < registry_.Count(); ++i) {
        if (registry_.Compare(registry_.At(i), entry) == 0) {
            ports_.view.ComboSelect(IDC_TITLE, static_cast<int>(i));
            break;
        }
    }
}

void LauncherDialog::DeleteApp() {
    AppEntry entry;
    EntryFromControls(entry);
    if (!ValidateEntry(entry, true)) {
        return;
    }
    const std::string title = Utf8(entry.title);
    if (registry_.Remove(entry)) {
        ports_.view.ShowMessage(ReplaceArg(text::kDeleted, title), MessageType::Notice);
    } else {
        ports_.view.ShowMessage(ReplaceArg(text::kDeleteFailed, title), MessageType::Error);
    }
    SaveAppData();
    FillTitleBox();
}

void LauncherDialog::OnSelchangeTitle() {
    DialogView& view = ports_.view;
    const int selection = view.ComboSelection(IDC_TITLE);
    if (selection < 0) {
        return;
    }
    AppEntry key;
    key.title = TitleFromBox(view.ComboItemText(IDC_TITLE, selection));
    const AppEntry* found = registry_.Find(key);
    if (found == nullptr) {
        return;
    }
    const AppEntry entry = *found;
    // A mode no longer ticked is not in the selector: the entry then shows "未設定".
    if (view.ComboSelectString(IDC_MODE_SELECTOR, 0, ModeLabel(ModeOf(entry))) < 0) {
        view.ComboSelect(IDC_MODE_SELECTOR, 0);
    }
    view.SetText(IDC_SHORTCUT, Utf8(entry.shortcut));
    ShortcutToFields();
    view.SetChecked(IDC_RESTORE, entry.restoreOnExit != 0);
}

bool LauncherDialog::ShortcutToFields() {
    DialogView& view = ports_.view;
    view.SetText(IDC_TARGET, "");
    view.SetText(IDC_WORKDIR, "");
    // Trimmed for the look-up only: the control keeps what it shows.
    const std::string path(Trim(ports_.codePage.FromUtf8(view.Text(IDC_SHORTCUT))));
    if (path.empty() || !ports_.shortcuts.Load(path)) {
        return false;
    }
    std::string value;
    if (ports_.shortcuts.Target(value)) {
        view.SetText(IDC_TARGET, Utf8(value));
    }
    if (ports_.shortcuts.WorkingDirectory(value)) {
        view.SetText(IDC_WORKDIR, Utf8(value));
    }
    return true;
}

void LauncherDialog::BrowseShortcut(int csidl) {
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
    if (const auto folder = ports_.fileDialog.SpecialFolder(csidl)) {
        request.initialFolder = *folder;
    }
    const auto chosen = ports_.fileDialog.ChooseFile(request);
    if (!chosen) {
        return;
    }
    ports_.view.SetText(IDC_SHORTCUT, Utf8(*chosen));
    ShortcutToFields();
}

void LauncherDialog::OnBrowseStartMenu() {
    BrowseShortcut(kCsidlPrograms);
}

void LauncherDialog::OnBrowseCommonStartMenu() {
    BrowseShortcut(kCsidlCommonPrograms);
}

void LauncherDialog::OnBrowseDesktop() {
    BrowseShortcut(kCsidlDesktop);
}

}  // namespace mirelka
