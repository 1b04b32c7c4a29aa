#pragma once

// Shortcut (.lnk) files made the way the shell makes a user's shortcuts: through the
// shell-link object.

#include <optional>
#include <string>
#include <string_view>

namespace mirelka::e2e {

class TempFolder;

// Saves a shortcut at link to target with this working folder (none when empty). Reads it
// back and throws unless it holds exactly those two paths: a test about how Mirelka treats
// a target must not be testing what the shell made of it.
void MakeShortcut(const std::wstring& link, const std::wstring& target,
                  const std::wstring& workingFolder);

// An application to register: a copy of the launch probe in a folder of its own, and a
// shortcut to it with that folder as its working folder.
struct ProbeApp {
    std::wstring folder;
    std::wstring exe;
    std::wstring shortcut;
    std::wstring log;  // what the probe writes when it runs
};
// Makes one in the folder name inside in; sleepMs, when given, is how long it runs.
ProbeApp MakeProbeApp(const TempFolder& in, std::wstring_view name,
                      std::optional<unsigned> sleepMs = std::nullopt);

}  // namespace mirelka::e2e
