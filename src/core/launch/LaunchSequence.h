#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "ports/DisplayMode.h"
#include "ports/ShortcutReader.h"
#include "store/AppEntry.h"

namespace mirelka {

class AppRegistry;
class CodePage;
class DisplayModes;
class ProcessRunner;

// Starts a registered application under its display mode and waits for it to end.
class LaunchSequence {
public:
    LaunchSequence(ShortcutReader& shortcuts, ProcessRunner& processes, const CodePage& codePage,
                   AppRegistry& registry, DisplayModes& modes)
        : shortcuts_(shortcuts),
          processes_(processes),
          codePage_(codePage),
          registry_(registry),
          modes_(modes) {}

    // The entry at a registry position, if there is one; blocks until the program has ended.
    void LaunchAt(std::size_t position);
    // False when the shortcut could not be read: nothing was switched or started.
    bool LaunchEntry(const AppEntry& entry);
    // The session ends while a program runs whose entry switches back: the next logon comes
    // up in the mode captured before the launch, not in the program's.
    void OnEndSession();
    // A launched program runs: we wait for it.
    bool Running() const { return running_; }

private:
    struct Shortcut {
        std::string target;
        std::string workingDirectory;
        std::string arguments;
        bool runAsAdministrator = false;
        WindowShow show = WindowShow::Normal;
        std::optional<ShortcutReader::Item> item;  // a link to no file or folder
    };
    std::optional<Shortcut> ReadShortcut(const std::string& ansiPath);
    // Where the program starts, full path; a folder it took is remembered.
    std::string LaunchFolder(const std::string& workingDirectory);
    void RunAndWait(const Shortcut& shortcut, const std::string& folder);
    void StartAndWait(const Shortcut& shortcut, const std::string& folder);

    ShortcutReader& shortcuts_;
    ProcessRunner& processes_;
    const CodePage& codePage_;
    AppRegistry& registry_;
    DisplayModes& modes_;
    // The last working folder a launch started in: where one without a folder starts.
    // Only remembered, never made our current directory, which would hold it open.
    std::optional<std::string> lastFolder_;
    std::optional<DisplayMode> switchBackTo_;  // while a program runs whose entry switches back
    bool running_ = false;
};

}  // namespace mirelka
