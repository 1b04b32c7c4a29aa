// LauncherDialog: launching a registered application under its display mode.
#include "app/LauncherDialog.h"
#include "app/ResourceIds.h"
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
    const std::size_t modeCount = modeList_.Count();
    DisplayMode saved;
    const bool savedValid = CaptureRegistryMode(saved);

    ShortcutReader& shortcuts = ports_.shortcuts;
    std::string workingDirectory;
    std::string target;
    if (!shortcuts.Load(entry.shortcut) || !shortcuts.WorkingDirectory(workingDirectory) ||
        !shortcuts.Target(target)) {
        return false;
    }

    DisplayMode wanted;
    wanted.width = static_cast<std::uint32_t>(entry.width);
    wanted.height = static_cast<std::uint32_t>(entry.height);
    wanted.bitsPerPixel = static_cast<std::uint32_t>(entry.bitsPerPixel);
    wanted.frequency = static_cast<std::uint32_t>(entry.frequency);
    for (std::size_t i = 0; i < modeCount; ++i) {
        if (modeList_.At(i).SameModeAs(wanted)) {
            ApplyMode(modeList_.At(i));
            break;
        }
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
