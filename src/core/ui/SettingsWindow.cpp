#include "ui/SettingsWindow.h"

#include <optional>

#include "display/DisplayModes.h"
#include "ports/CodePage.h"
#include "ports/DialogView.h"
#include "ports/FileSystem.h"
#include "ports/ShortcutReader.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"
#include "store/AppStore.h"
#include "text/MbString.h"
#include "ui/FormCheck.h"
#include "ui/Visibility.h"

namespace mirelka {

SettingsWindow::SettingsWindow(DialogView& view, FileSystem& files, const CodePage& codePage,
                               ShortcutReader& shortcuts, FileDialog& fileDialog,
                               ModeListAccess& modeAccess, AppStore& store, DisplayModes& modes,
                               Visibility& visibility)
    : view_(view),
      files_(files),
      codePage_(codePage),
      shortcuts_(shortcuts),
      store_(store),
      modes_(modes),
      visibility_(visibility),
      form_(view, codePage),
      picker_(view, shortcuts, fileDialog),
      modeView_(view, modeAccess) {}

void SettingsWindow::ReadAppData() {
    const FileStatus status = store_.LoadAppData(true);
    // No file yet: an empty registry, silently.
    if (status != FileStatus::CannotOpen &&
        ReportFile(status, store_.AppFile(), text::kCannotOpenAppData)) {
        form_.FillTitleBox(store_.Registry());
    }
}

int SettingsWindow::FillModeList() {
    modes_.FillModeList();
    const int matched = modes_.RestoreModeChecks(true);
    modeView_.Show(modes_.List());
    if (!modes_.ModeFileRead()) {
        ReportFile(FileStatus::ReadFailed, modes_.ModeFile(), text::kCannotOpenScreenMode);
    }
    return matched;
}

void SettingsWindow::ClearModeList() {
    modeView_.TicksChanged(modes_.List());
}

void SettingsWindow::ShowModeTab() {
    view_.TabSelect(IDC_TAB, static_cast<int>(Tab::Modes));
    ShowTab(Tab::Modes);
}

void SettingsWindow::FillModeSelector() {
    form_.FillModeSelector(modes_.List());
}

bool SettingsWindow::CatchUpAppData() {
    // A sync tool or an editor may have changed the file meanwhile: the user's one change
    // goes onto what it holds now, not over it.
    if (!store_.Stale()) {
        return true;
    }
    if (store_.LoadAppData() == FileStatus::ReadFailed) {
        return false;
    }
    form_.RefillTitleBox(store_.Registry());
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
    modeView_.TicksChanged(modes_.List());
    FillModeSelector();
    return true;
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

void SettingsWindow::WriteAppData() {
    if (ReportFile(store_.SaveAppData(), store_.AppFile(), text::kCannotOpenAppData)) {
        view_.Beep();
    }
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

void SettingsWindow::ShowTab(Tab tab) {
    // clang-format off
    static constexpr int kApplicationControls[] = {
        IDC_TITLE, IDC_MODE_SELECTOR, IDC_SHORTCUT, IDC_TARGET, IDC_WORKDIR, IDC_TITLE_LABEL,
        IDC_MODE_LABEL, IDC_SHORTCUT_LABEL, IDC_TARGET_LABEL, IDC_WORKDIR_LABEL,
        IDC_BROWSE_DESKTOP, IDC_BROWSE_STARTMENU, IDC_BROWSE_COMMON_STARTMENU, IDC_RESTORE};
    // clang-format on
    const bool applications = tab == Tab::Applications;
    for (const int id : kApplicationControls) {
        view_.ShowControl(id, applications);
    }
    view_.ShowControl(IDC_MODE_LIST, !applications);
    view_.ShowControl(IDC_REGISTER, true);
    view_.ShowControl(IDC_DELETE, applications);
    shown_ = tab;
}

void SettingsWindow::OnSettings() {
    CatchUpAppData();
    CatchUpScreenModes();
    visibility_.Request(true);
    const Tab tab = modes_.List().AnyTicked() ? Tab::Applications : Tab::Modes;
    view_.TabSelect(IDC_TAB, static_cast<int>(tab));
    ShowTab(tab);
    view_.ShowNormal();
    // After a switch to a smaller mode the window may stand off the screen's edge.
    view_.KeepOnScreen();
    view_.SetForeground();
}

void SettingsWindow::OnSelchangeTab() {
    const int selected = view_.TabSelection(IDC_TAB);
    if (selected == static_cast<int>(Tab::Applications) ||
        selected == static_cast<int>(Tab::Modes)) {
        ShowTab(static_cast<Tab>(selected));
    }
}

void SettingsWindow::KeepShownTab() {
    if (view_.TabSelection(IDC_TAB) != static_cast<int>(shown_)) {
        view_.TabSelect(IDC_TAB, static_cast<int>(shown_));
    }
}

void SettingsWindow::TurnTab(bool forward) {
    constexpr int kTabs = 2;
    const int next = (view_.TabSelection(IDC_TAB) + (forward ? 1 : -1) + kTabs) % kTabs;
    // Refused: the message was shown, and the focus stays where the user has to tick.
    if (OnSelchangingTab() != 0) {
        return;
    }
    view_.TabSelect(IDC_TAB, next);
    OnSelchangeTab();
    view_.FocusControl(IDC_TAB);
}

int SettingsWindow::OnSelchangingTab() {
    const ModeList& list = modes_.List();
    if (view_.TabSelection(IDC_TAB) == static_cast<int>(Tab::Modes) && list.Count() > 0) {
        if (!list.AnyTicked()) {
            view_.ShowMessage(text::kTickOneToLeave, MessageType::Error);
            return 1;
        }
        FillModeSelector();
    }
    return 0;
}

void SettingsWindow::OnToggleMode(std::size_t index) {
    if (modes_.ToggleMode(index)) {
        modeView_.Toggled(modes_.List(), index);
    }
}

void SettingsWindow::OnRegisterButton() {
    switch (view_.TabSelection(IDC_TAB)) {
        case static_cast<int>(Tab::Applications):
            RegisterApp();
            break;
        case static_cast<int>(Tab::Modes):
            WriteScreenModes();
            break;
        default:
            break;
    }
}

void SettingsWindow::OnDeleteButton() {
    DeleteApp();
}

bool SettingsWindow::Confirmed(const Verdict& verdict) {
    switch (verdict.kind) {
        case Verdict::Kind::Go:
            return true;
        case Verdict::Kind::Refuse:
            view_.ShowMessage(verdict.text, MessageType::Error);
            return false;
        case Verdict::Kind::Ask:
            return view_.ShowMessage(verdict.text, MessageType::Confirm) != MessageAnswer::No;
    }
    return false;
}

void SettingsWindow::RegisterApp() {
    AppRegistry& registry = store_.Registry();
    if (!CatchUpAppData()) {
        view_.ShowMessage(text::kCannotOpenAppData, MessageType::Error);
        return;
    }
    const Form form = form_.Read(registry, modes_.List());
    const AppEntry& entry = form.entry;
    const std::optional<std::string> path = codePage_.ToUtf8Exact(entry.shortcut);
    const auto reachable = [&] { return path && files_.HasAttributes(*path); };
    const auto loads = [&] { return path && shortcuts_.Load(*path); };
    if (!Confirmed(CheckRegister(form, registry, reachable, loads))) {
        return;
    }
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
    form_.FillTitleBox(registry);
    form_.SelectTitle(registry, entry);
}

void SettingsWindow::DeleteApp() {
    if (!CatchUpAppData()) {
        view_.ShowMessage(text::kCannotOpenAppData, MessageType::Error);
        return;
    }
    const Form form = form_.Read(store_.Registry(), modes_.List());
    if (!Confirmed(CheckDelete(form, store_.Registry()))) {
        return;
    }
    const std::string& title = form.shownTitle;
    if (store_.Registry().Remove(form.entry)) {
        view_.ShowMessage(ReplaceArg(text::kDeleted, title), MessageType::Notice);
    } else {
        view_.ShowMessage(ReplaceArg(text::kDeleteFailed, title), MessageType::Error);
    }
    WriteAppData();
    form_.FillTitleBox(store_.Registry());
}

void SettingsWindow::OnSelchangeTitle() {
    if (form_.ShowChosenTitle(store_.Registry())) {
        picker_.ShortcutToFields();
    }
}

}  // namespace mirelka
