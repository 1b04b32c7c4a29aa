#pragma once

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

private:
    ShortcutReader& shortcuts_;
    ProcessRunner& processes_;
    const LeadBytes& leads_;
    AppRegistry& registry_;
    DisplayModes& modes_;
};

}  // namespace mirelka
