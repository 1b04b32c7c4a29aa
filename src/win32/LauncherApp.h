#pragma once

#include <windows.h>

#include <string>

namespace mirelka {

// Start-up: one instance per session, then the main dialog for the life of the process.
class LauncherApp {
public:
    explicit LauncherApp(HINSTANCE instance) : instance_(instance) {}
    // Always false: the process ends when the dialog has ended.
    bool InitInstance();

    // The running executable's full path in UTF-8, whatever the file and its folder are named.
    static std::string ExecutablePath();

private:
    HINSTANCE instance_;
};

}  // namespace mirelka
