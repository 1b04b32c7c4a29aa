#pragma once

// Shortcut (.lnk) files made the way the shell makes a user's shortcuts: through the
// shell-link object.

#include <optional>
#include <string>
#include <string_view>

namespace mirelka::e2e {

class TempFolder;

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
