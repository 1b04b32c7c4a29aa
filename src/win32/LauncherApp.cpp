#include "LauncherApp.h"

#include <commctrl.h>

#include "ComPtr.h"
#include "DialogWindow.h"
#include "UniqueHandle.h"
#include "Win32CodePage.h"
#include "resources/Texts.h"

namespace mirelka {

bool LauncherApp::InitInstance() {
    // Held, never closed, until the process ends: that is what turns later starts away.
    static UniqueHandle instanceMutex;
    instanceMutex.reset(CreateMutexW(nullptr, FALSE, L"hMirelkaPrevInstance"));
    // An elevated first instance's mutex denies us access: it exists all the same.
    const DWORD error = GetLastError();
    if (!instanceMutex && error != ERROR_ACCESS_DENIED) {
        return false;
    }
    if (!instanceMutex || error == ERROR_ALREADY_EXISTS) {
        MessageBoxW(nullptr, Widen(text::kAlreadyRunning).c_str(), Widen(text::kCaption).c_str(),
                    MB_ICONERROR);
        instanceMutex.reset();
        return false;
    }

    // Once an installer's Restart Manager has closed us for a file we hold, it starts us
    // again; nothing else does (a crash, a hang, a restart of the system).
    RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // The shortcut reader and the mode list's accessibility annotations live in it.
    const ComApartment apartment;
    DialogWindow window(instance_, ExecutablePath());
    window.RunModal();
    return false;
}

std::string LauncherApp::ExecutablePath() {
    // Long paths don't fit MAX_PATH, and a path that doesn't fit comes back cut short
    // without a word: grow until the whole path fits.
    std::wstring path(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace mirelka
