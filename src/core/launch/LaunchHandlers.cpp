// LauncherDialog: launching a registered application under its display mode.
#include "app/LauncherDialog.h"
#include "resources/ResourceIds.h"
#include "launch/Spawn.h"

namespace mirelka {

void LauncherDialog::OnLaunchApp(int commandId) {
    const int index = commandId - ID_LAUNCH_FIRST;
    if (index < 0 || index >= registry_.Count()) {
        return;
    }
    const AppEntry entry = registry_.At(index);
    registry_.SetCursor(index);
    LaunchEntry(entry);
}

bool LauncherDialog::LaunchEntry(const AppEntry& entry) {
    DisplayMode saved;
    const bool savedValid = CaptureRegistryMode(saved);

    ShortcutReader& shortcuts = ports_.shortcuts;
    std::string workingDirectory;
    std::string target;
    if (!shortcuts.Load(entry.shortcut) || !shortcuts.WorkingDirectory(workingDirectory) ||
        !shortcuts.Target(target)) {
        return false;
    }

    // The whole list, ticked or not; a mode it doesn't hold launches without a change.
    const int listed = modeList_.Find(ModeOf(entry));
    if (listed >= 0) {
        ApplyMode(modeList_.At(static_cast<std::size_t>(listed)));
    }

    ProcessRunner& runner = ports_.processes;
    if (!workingDirectory.empty()) {
        // Stays changed afterwards: the next shortcut without a folder starts here.
        runner.ChangeDirectory(workingDirectory);
    }
    if (const auto program = ResolveProgram(ports_.codePage.Leads(), target, runner)) {
        runner.RunAndWait(*program, CommandLineFor(target));
    }

    if (entry.restoreOnExit != 0 && savedValid) {
        ApplyMode(saved);
    }
    return true;
}

}  // namespace mirelka
