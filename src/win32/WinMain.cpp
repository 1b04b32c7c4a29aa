#include <windows.h>

#include "LauncherApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    mirelka::LauncherApp app(instance);
    app.InitInstance();
    return 0;
}
