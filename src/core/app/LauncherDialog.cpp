#include "app/LauncherDialog.h"

#include "resources/Commands.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"

namespace mirelka {

LauncherDialog::LauncherDialog(const Ports& ports, std::string executablePath)
    : ports_(ports),
      modes_(ports.display, ports.files, ports.codePage.Leads()),
      store_(ports.files, ports.codePage.Leads()),
      launcher_(ports.shortcuts, ports.processes, ports.codePage, store_.Registry(), modes_),
      trayMenu_(ports.view, ports.menu, ports.codePage, store_.Registry(), modes_, visibility_),
      settings_(ports.view, ports.files, ports.codePage, ports.shortcuts, ports.fileDialog,
                ports.modeAccess, store_, modes_, visibility_),
      executablePath_(std::move(executablePath)) {}

bool LauncherDialog::OnInitDialog() {
    ports_.view.SetIcons();

    modes_.PlaceBeside(executablePath_);
    store_.PlaceBeside(executablePath_);

    settings_.ReadAppData();
    modes_.CaptureStartupMode();
    ports_.shortcuts.Create();
    AddTrayIcon();

    ports_.view.TabInsert(IDC_TAB, 0, text::kTabApplications);
    ports_.view.TabInsert(IDC_TAB, 1, text::kTabBasic);

    if (settings_.FillModeList() > 0) {
        // Resident from here on: the first paint hides the window.
        settings_.FillModeSelector();
        return true;
    }
    // Nothing to offer yet: stay on screen on the mode tab until the user ticks a mode.
    settings_.ShowModeTab();
    visibility_.Request(true);
    return true;
}

bool LauncherDialog::OnCommand(int id, int notification) {
    if (busy_.Now()) {
        // Swallowed: handled by doing nothing.
        return true;
    }
    using Kind = Command::Kind;
    const Command command = CommandFor(id, notification);
    if (command.kind == Kind::None) {
        return false;
    }
    // The settings' message boxes and the file dialog run message loops as a launch does.
    const Busy::Scope busy(busy_);
    switch (command.kind) {
        case Kind::Launch:
            OnLaunchApp(id);
            break;
        case Kind::SwitchMode:
        case Kind::StartupMode:
            OnChangeResolution(id);
            break;
        case Kind::Settings:
            settings_.OnSettings();
            break;
        case Kind::Exit:
            OnExit();
            break;
        case Kind::Ok:
            OnOK();
            break;
        case Kind::Cancel:
            OnCancel();
            break;
        case Kind::Register:
            settings_.OnRegisterButton();
            break;
        case Kind::Delete:
            settings_.OnDeleteButton();
            break;
        case Kind::TitleChosen:
            settings_.OnSelchangeTitle();
            break;
        case Kind::BrowseStartMenu:
            settings_.OnBrowse(ShortcutPicker::Folder::StartMenu);
            break;
        case Kind::BrowseCommonStartMenu:
            settings_.OnBrowse(ShortcutPicker::Folder::CommonStartMenu);
            break;
        case Kind::BrowseDesktop:
            settings_.OnBrowse(ShortcutPicker::Folder::Desktop);
            break;
        case Kind::None:
            break;
    }
    return true;
}

void LauncherDialog::OnLaunchApp(int commandId) {
    // CommandFor gives any other id position 0.
    const Command command = CommandFor(commandId, 0);
    if (command.kind == Command::Kind::Launch) {
        launcher_.LaunchAt(command.index);
    }
}

void LauncherDialog::OnChangeResolution(int commandId) {
    const Command command = CommandFor(commandId, 0);
    if (command.kind == Command::Kind::StartupMode) {
        modes_.SwitchToStartupMode();
    } else if (command.kind == Command::Kind::SwitchMode) {
        modes_.SwitchTo(command.index);
    }
}

void LauncherDialog::OnToggleMode(std::size_t index) {
    if (!busy_.Now()) {
        settings_.OnToggleMode(index);
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

void LauncherDialog::OnTabChangeRefused() {
    settings_.KeepShownTab();
}

void LauncherDialog::OnTurnTab(bool forward) {
    if (busy_.Now()) {
        return;
    }
    const Busy::Scope busy(busy_);
    settings_.TurnTab(forward);
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
    ports_.view.End(IDCANCEL_COMMAND);
}

void LauncherDialog::OnDestroy() {
    ports_.tray.Remove();
    modes_.Clear();
    settings_.ClearModeList();
}

}  // namespace mirelka
