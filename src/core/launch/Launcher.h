#pragma once

#include <optional>

#include "ports/DisplayMode.h"
#include "store/AppEntry.h"

namespace mirelka {

class AppRegistry;
class DisplayModes;
class LeadBytes;
class ProcessRunner;
class ShortcutReader;

// Starts a registered application under its display mode and waits for it to end.
class Launcher {
public:
    Launcher(ShortcutReader& shortcuts, ProcessRunner& processes, const LeadBytes& leads,
             AppRegistry& registry, DisplayModes& modes)
        : shortcuts_(shortcuts),
          processes_(processes),
          leads_(leads),
          registry_(registry),
          modes_(modes) {}

    // The launch command of a registry position; blocks until the program has ended.
    void OnLaunchApp(int commandId);
    // False when the shortcut could not be read: nothing was switched or started.
    bool LaunchEntry(const AppEntry& entry);
    // The session ends while a program runs whose entry switches back: the next logon comes
    // up in the mode captured before the launch, not in the program's.
    void OnEndSession();

private:
    ShortcutReader& shortcuts_;
    ProcessRunner& processes_;
    const LeadBytes& leads_;
    AppRegistry& registry_;
    DisplayModes& modes_;
    std::optional<DisplayMode> switchBackTo_;  // while such a program runs
};

}  // namespace mirelka
