#include "launch/LaunchSequence.h"

#include <utility>

#include "display/DisplayModes.h"
#include "display/ModeRules.h"
#include "launch/Shortcut.h"
#include "launch/Spawn.h"
#include "ports/CodePage.h"
#include "ports/ProcessRunner.h"
#include "ports/ShortcutReader.h"
#include "store/AppRegistry.h"

namespace mirelka {

void LaunchSequence::LaunchAt(std::size_t position) {
    if (position >= static_cast<std::size_t>(registry_.Count())) {
        return;
    }
    const auto index = static_cast<std::int32_t>(position);
    const AppEntry entry = registry_.At(index);
    registry_.SetCursor(index);
    LaunchEntry(entry);
}

bool LaunchSequence::LaunchEntry(const AppEntry& entry) {
    DisplayMode saved;
    const bool savedValid = modes_.CaptureRegistryMode(saved);

    const std::optional<Shortcut> shortcut = ReadShortcut(entry.shortcut);
    if (!shortcut) {
        return false;
    }

    // The whole list, ticked or not; a mode it doesn't hold launches without a change.
    const ModeList& list = modes_.List();
    const int listed = list.Find(ModeOf(entry));
    if (listed >= 0) {
        modes_.ApplyListedMode(list.At(static_cast<std::size_t>(listed)));
    }

    if (entry.restoreOnExit != 0 && savedValid) {
        switchBackTo_ = saved;
    }
    const std::string folder = LaunchFolder(shortcut->workingDirectory);
    RunAndWait(*shortcut, folder);

    if (const std::optional<DisplayMode> back = std::exchange(switchBackTo_, std::nullopt)) {
        modes_.ApplyMode(*back);
    }
    return true;
}

std::optional<LaunchSequence::Shortcut> LaunchSequence::ReadShortcut(const std::string& ansiPath) {
    // A path the code page holds only approximately would name another file.
    const std::optional<std::string> path = codePage_.ToUtf8Exact(ansiPath);
    Shortcut shortcut;
    if (!path || !shortcuts_.Load(*path) ||
        !shortcuts_.WorkingDirectory(shortcut.workingDirectory) ||
        !ShortcutProgram(shortcuts_, *path, shortcut.target) ||
        !shortcuts_.Arguments(shortcut.arguments)) {
        return std::nullopt;
    }
    shortcut.runAsAdministrator = shortcuts_.LinkFlags().runAsAdministrator;
    shortcut.show = shortcuts_.ShowCommand();
    shortcut.item = shortcuts_.TargetItem();
    return shortcut;
}

std::string LaunchSequence::LaunchFolder(const std::string& workingDirectory) {
    std::string base = lastFolder_ && processes_.FolderExists(*lastFolder_)
                           ? *lastFolder_
                           : processes_.CurrentDirectory();
    if (workingDirectory.empty()) {
        return base;
    }
    // A relative folder is taken from where the last launch started, as a chdir there would.
    // Installers write "%USERPROFILE%\..."; Explorer expands it before starting there. A
    // folder really named with a '%' is taken as it is.
    std::string folder = processes_.FullPath(workingDirectory, base);
    if (folder.empty() || !processes_.FolderExists(folder)) {
        folder = processes_.FullPath(processes_.ExpandEnvironment(workingDirectory), base);
    }
    if (folder.empty() || !processes_.FolderExists(folder)) {
        return base;  // a folder that can't be entered is ignored
    }
    lastFolder_ = folder;
    return folder;
}

void LaunchSequence::RunAndWait(const Shortcut& shortcut, const std::string& folder) {
    // The Restart Manager is told no meanwhile: closing us would lose the switch back.
    running_ = true;
    StartAndWait(shortcut, folder);
    running_ = false;
}

void LaunchSequence::StartAndWait(const Shortcut& shortcut, const std::string& folder) {
    if (shortcut.item) {
        processes_.OpenItemAndWait(shortcut.item->idList, folder, shortcut.show);
        return;
    }
    const std::optional<std::string> program = ResolveProgram(shortcut.target, folder, processes_);
    if (!program) {
        // What Explorer opens and the spawn rule can't run: a folder. Nothing else is opened,
        // least of all a target that isn't there.
        const std::string path =
            shortcut.target.empty() ? std::string() : processes_.FullPath(shortcut.target, folder);
        if (!path.empty() && processes_.FolderExists(path)) {
            processes_.OpenAndWait(path, folder, shortcut.show);
        }
        return;
    }
    // A ticked "run as administrator" box doesn't make creation fail, yet Explorer elevates.
    if (!shortcut.runAsAdministrator) {
        const ProcessRunner::Outcome outcome = processes_.RunAndWait(
            *program, CommandLineFor(shortcut.target, shortcut.arguments), folder, shortcut.show);
        if (outcome == ProcessRunner::Outcome::NotAProgram) {
            // A document (or a folder with a '.'): its parameters would be the program's own.
            processes_.OpenAndWait(*program, folder, shortcut.show);
        }
        if (outcome != ProcessRunner::Outcome::NeedsElevation) {
            return;
        }
    }
    processes_.RunElevatedAndWait(*program, shortcut.arguments, folder, shortcut.show);
}

void LaunchSequence::OnEndSession() {
    if (switchBackTo_) {
        modes_.StoreForNextStart(*switchBackTo_);
    }
}

}  // namespace mirelka
