#include "app/LauncherDialog.h"

#include "resources/ResourceIds.h"
#include "resources/Texts.h"
#include "text/MbString.h"

namespace mirelka {

LauncherDialog::LauncherDialog(const Ports& ports, std::string executablePath)
    : ports_(ports),
      modeList_(ports.view, IDC_MODE_LIST),
      modeFile_(ports.files, ports.codePage.Leads()),
      registry_(ports.codePage.Leads()),
      appFile_(ports.files, ports.codePage.Leads()),
      executablePath_(std::move(executablePath)) {}

bool LauncherDialog::OnInitDialog() {
    ports_.view.SetIcons();

    // Beside the executable, whatever the current directory is.
    modeFile_.SetBasePath(executablePath_.c_str());
    modeFile_.SetFileName("ScreenMode.txt");
    appFile_.SetBasePath(executablePath_.c_str());
    appFile_.SetFileName("AppData.txt");

    LoadAppData();
    startupModeValid_ = CaptureRegistryMode(startupMode_) ? 1 : 0;
    ports_.shortcuts.Create();
    ports_.tray.Add();

    ports_.view.TabInsert(IDC_TAB, 0, text::kTabApplications);
    ports_.view.TabInsert(IDC_TAB, 1, text::kTabBasic);
    FillModeList();

    if (RestoreModeChecks() > 0) {
        // Resident from here on: the first paint hides the window.
        FillModeSelector();
        return true;
    }
    // Nothing to offer yet: stay on screen on the mode tab until the user ticks a mode.
    ports_.view.TabSelect(IDC_TAB, 1);
    ShowTab(1);
    visible_ = 1;
    return true;
}

bool LauncherDialog::OnCommand(int id, int notification) {
    constexpr int kClicked = 0;    // BN_CLICKED, and every menu command
    constexpr int kSelchange = 1;  // CBN_SELCHANGE
    if (id == IDC_TITLE) {
        if (notification == kSelchange) {
            OnSelchangeTitle();
            return true;
        }
        return false;
    }
    if (notification != kClicked) {
        return false;
    }
    if (id >= ID_LAUNCH_FIRST && id <= ID_LAUNCH_LAST) {
        OnLaunchApp(id);
        return true;
    }
    if (id >= ID_MODE_STARTUP && id <= ID_MODE_LAST) {
        OnChangeResolution(id);
        return true;
    }
    switch (id) {
        case IDC_REGISTER:
            OnRegisterButton();
            return true;
        case kIdOk:
            OnOK();
            return true;
        case kIdCancel:
            OnCancel();
            return true;
        case ID_TRAY_EXIT:
            OnExit();
            return true;
        case ID_TRAY_SETTINGS:
            OnSettings();
            return true;
        case IDC_DELETE:
            OnDeleteButton();
            return true;
        case IDC_BROWSE_STARTMENU:
            OnBrowseStartMenu();
            return true;
        case IDC_BROWSE_COMMON_STARTMENU:
            OnBrowseCommonStartMenu();
            return true;
        case IDC_BROWSE_DESKTOP:
            OnBrowseDesktop();
            return true;
        default:
            return false;
    }
}

LauncherDialog::PaintAction LauncherDialog::OnPaint() {
    if (ports_.view.IsMinimized()) {
        return PaintAction::DrawIcon;
    }
    if (visible_ == 0 && ports_.view.IsVisible()) {
        ports_.view.Hide();
    }
    return PaintAction::Default;
}

void LauncherDialog::ShowTab(int tab) {
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
        ports_.view.ShowControl(id, applications);
    }
    ports_.view.ShowControl(IDC_MODE_LIST, !applications);
    ports_.view.ShowControl(IDC_REGISTER, true);
    ports_.view.ShowControl(IDC_DELETE, applications);
}

void LauncherDialog::OnSettings() {
    visible_ = 1;
    const int tab = modeList_.AnyTicked() ? 0 : 1;
    ports_.view.TabSelect(IDC_TAB, tab);
    ShowTab(tab);
    ports_.view.ShowNormal();
    ports_.view.SetForeground();
}

void LauncherDialog::OnRegisterButton() {
    switch (ports_.view.TabSelection(IDC_TAB)) {
        case 0:
            RegisterApp();
            break;
        case 1:
            SaveScreenModes();
            break;
        default:
            break;
    }
}

void LauncherDialog::OnDeleteButton() {
    DeleteApp();
}

void LauncherDialog::ReportFileError(const RecordFile& file, const char* openFailedText) {
    switch (file.LastError()) {
        case RecordFile::Error::None:
            return;
        case RecordFile::Error::Replace:
            ports_.view.ShowMessage(openFailedText, MessageType::Error);
            return;
        case RecordFile::Error::Write:
            ports_.view.ShowMessage(ReplaceArg(text::kDiskFull, Utf8(file.Path())),
                                    MessageType::Error);
            return;
        case RecordFile::Error::Read:
            ports_.view.ShowMessage(ReplaceArg(text::kReadError, Utf8(file.Path())),
                                    MessageType::Error);
            return;
    }
}

}  // namespace mirelka
