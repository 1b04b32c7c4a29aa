#include "app/LauncherDialog.h"

#include "resources/ResourceIds.h"
#include "resources/Texts.h"

namespace mirelka {

LauncherDialog::LauncherDialog(const Ports& ports, std::string executablePath)
    : ports_(ports),
      modes_(ports.display, ports.view, ports.files, ports.codePage.Leads()),
      store_(ports.files, ports.codePage.Leads()),
      launcher_(ports.shortcuts, ports.processes, ports.codePage, store_.Registry(), modes_),
      trayMenu_(ports.view, ports.menu, ports.codePage, store_.Registry(), modes_, visibility_),
      settings_(ports.view, ports.files, ports.codePage, ports.shortcuts, ports.fileDialog, store_,
                modes_, visibility_),
      executablePath_(std::move(executablePath)) {}

bool LauncherDialog::OnInitDialog() {
    ports_.view.SetIcons();

    modes_.PlaceBeside(executablePath_);
    store_.PlaceBeside(executablePath_);

    settings_.ReadAppData(true);
    modes_.CaptureStartupMode();
    ports_.shortcuts.Create();
    AddTrayIcon();

    ports_.view.TabInsert(IDC_TAB, 0, text::kTabApplications);
    ports_.view.TabInsert(IDC_TAB, 1, text::kTabBasic);
    modes_.FillModeList();

    if (settings_.RestoreModeChecks() > 0) {
        // Resident from here on: the first paint hides the window.
        settings_.FillModeSelector();
        return true;
    }
    // Nothing to offer yet: stay on screen on the mode tab until the user ticks a mode.
    ports_.view.TabSelect(IDC_TAB, 1);
    settings_.ShowTab(1);
    visibility_.Request(true);
    return true;
}

bool LauncherDialog::OnCommand(int id, int notification) {
    if (busy_.Now()) {
        // Swallowed: handled by doing nothing.
        return true;
    }
    // The settings' message boxes and the file dialog run message loops as a launch does.
    const Busy::Scope busy(busy_);
    constexpr int kClicked = 0;    // BN_CLICKED, and every menu command
    constexpr int kSelchange = 1;  // CBN_SELCHANGE
    if (id == IDC_TITLE) {
        if (notification == kSelchange) {
            settings_.OnSelchangeTitle();
            return true;
        }
        return false;
    }
    if (notification != kClicked) {
        return false;
    }
    if (id >= ID_LAUNCH_FIRST && id <= ID_LAUNCH_LAST) {
        launcher_.OnLaunchApp(id);
        return true;
    }
    if (id >= ID_MODE_STARTUP && id <= ID_MODE_LAST) {
        modes_.OnChangeResolution(id);
        return true;
    }
    switch (id) {
        case IDC_REGISTER:
            settings_.OnRegisterButton();
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
            settings_.OnSettings();
            return true;
        case IDC_DELETE:
            settings_.OnDeleteButton();
            return true;
        case IDC_BROWSE_STARTMENU:
            settings_.OnBrowseStartMenu();
            return true;
        case IDC_BROWSE_COMMON_STARTMENU:
            settings_.OnBrowseCommonStartMenu();
            return true;
        case IDC_BROWSE_DESKTOP:
            settings_.OnBrowseDesktop();
            return true;
        default:
            return false;
    }
}

void LauncherDialog::OnTrayNotify(std::intptr_t mouseMessage) {
    if (busy_.Now()) {
        return;
    }
    trayMenu_.OnTrayNotify(mouseMessage);
}

int LauncherDialog::OnSelchangingTab() {
    if (busy_.Now()) {
        return 1;
    }
    const Busy::Scope busy(busy_);
    return settings_.OnSelchangingTab();
}

void LauncherDialog::OnSelchangeTab() {
    if (busy_.Now()) {
        return;
    }
    const Busy::Scope busy(busy_);
    settings_.OnSelchangeTab();
}

LauncherDialog::PaintAction LauncherDialog::OnPaint() {
    if (ports_.view.IsMinimized()) {
        return PaintAction::DrawIcon;
    }
    if (!visibility_.Requested() && ports_.view.IsVisible()) {
        ports_.view.Hide();
    }
    return PaintAction::Default;
}

void LauncherDialog::OnTaskbarCreated() {
    // The shell's task bar was made anew (Explorer restarted) and our icon went with it.
    AddTrayIcon();
}

void LauncherDialog::AddTrayIcon() {
    if (ports_.tray.Add()) {
        if (iconRetriesLeft_ > 0) {
            iconRetriesLeft_ = 0;
            ports_.view.StopTimer(kIconTimer);
        }
        return;
    }
    // Without the icon a hidden Mirelka can be neither reached nor started again.
    if (iconRetriesLeft_ == 0) {
        ports_.view.StartTimer(kIconTimer, kIconRetryMs);
    }
    iconRetriesLeft_ = kIconRetries;
}

void LauncherDialog::OnTimer(int id) {
    if (id != kIconTimer || iconRetriesLeft_ == 0) {
        return;
    }
    if (ports_.tray.Add() || --iconRetriesLeft_ == 0) {
        iconRetriesLeft_ = 0;
        ports_.view.StopTimer(kIconTimer);
    }
}

bool LauncherDialog::OnEndSession(bool ending, bool closeApp) {
    if (!ending) {
        return false;
    }
    launcher_.OnEndSession();
    if (closeApp) {
        OnDestroy();
    }
    return closeApp;
}

void LauncherDialog::OnOK() {
    ports_.view.FocusNextControl();
}

void LauncherDialog::OnCancel() {
    visibility_.Request(false);
    ports_.view.Hide();
}

void LauncherDialog::OnExit() {
    ports_.view.End(kIdCancel);
}

void LauncherDialog::OnDestroy() {
    ports_.tray.Remove();
    modes_.Clear();
}

}  // namespace mirelka
