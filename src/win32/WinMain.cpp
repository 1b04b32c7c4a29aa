#include <windows.h>

#include "LauncherApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Launching changes our current directory to each program's folder: our own DLLs must
    // never be looked for there. This process only; started programs keep the default.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    mirelka::LauncherApp app(instance);
    app.InitInstance();
    return 0;
}
