#include <windows.h>

#include "LauncherApp.h"
#include "SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Our own DLLs must never be looked for in the current directory, wherever a dialog or
    // the user's shortcut left it. This process only; started programs keep the default.
    // Looked up, not imported: Windows 7 has it only with update KB2533623, and a missing
    // import would keep the program from starting at all. Without it the current folder
    // stays in the search order for the libraries Windows loads on its own; ours are loaded
    // by full path (LoadSystemLibrary).
    const mirelka::UniqueModule kernel = mirelka::LoadSystemLibrary(L"kernel32.dll");
    using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
    if (const auto setDirectories = mirelka::SystemProc<SetDefaultDllDirectoriesFunction>(
            kernel, "SetDefaultDllDirectories")) {
        setDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    }
    mirelka::LauncherApp app(instance);
    app.InitInstance();
    return 0;
}
