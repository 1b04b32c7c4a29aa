#include "launch/Launcher.h"

#include "display/DisplayModes.h"
#include "display/ModeRules.h"
#include "launch/Spawn.h"
#include "ports/ProcessRunner.h"
#include "ports/ShortcutReader.h"
#include "resources/ResourceIds.h"
#include "store/AppRegistry.h"

namespace mirelka {

void Launcher::OnLaunchApp(int commandId) {
    const int index = commandId - ID_LAUNCH_FIRST;
    if (index < 0 || index >= registry_.Count()) {
        return;
    }
    const AppEntry entry = registry_.At(index);
    registry_.SetCursor(index);
    LaunchEntry(entry);
}

bool Launcher::LaunchEntry(const AppEntry& entry) {
    DisplayMode saved;
    const bool savedValid = modes_.CaptureRegistryMode(saved);

    std::string workingDirectory;
    std::string target;
    if (!shortcuts_.Load(entry.shortcut) || !shortcuts_.WorkingDirectory(workingDirectory) ||
        !shortcuts_.Target(target)) {
        return false;
    }

    // The whole list, ticked or not; a mode it doesn't hold launches without a change.
    const ModeList& list = modes_.List();
    const int listed = list.Find(ModeOf(entry));
    if (listed >= 0) {
        modes_.ApplyMode(list.At(static_cast<std::size_t>(listed)));
    }

    if (!workingDirectory.empty()) {
        // Stays changed afterwards: the next shortcut without a folder starts here.
        processes_.ChangeDirectory(workingDirectory);
    }
    if (entry.restoreOnExit != 0 && savedValid) {
        switchBackTo_ = saved;
    }
    if (const auto program = ResolveProgram(leads_, target, processes_)) {
        processes_.RunAndWait(*program, CommandLineFor(target));
    }
    switchBackTo_.reset();

    if (entry.restoreOnExit != 0 && savedValid) {
        modes_.ApplyMode(saved);
    }
    return true;
}

void Launcher::OnEndSession() {
    if (switchBackTo_) {
        modes_.StoreForNextStart(*switchBackTo_);
    }
}

}  // namespace mirelka
