// The smallest Win32 program with a dialog: the baseline Mirelka's start-up time and memory
// are measured against (bench/WineBench.cpp). It shows its template and waits to be closed.
//
// Built again with MIRELKA_BENCH_CONTROLS (MinimalControls.exe), it takes the common controls
// 6 as Mirelka does (its manifest, InitCommonControlsEx): what any program with a tab control
// pays. With MIRELKA_BENCH_TEMPLATE as well (MinimalTemplate.exe), it shows Mirelka's own
// dialog template instead of its own: what creating those controls costs, with no code of
// Mirelka's behind them. With MIRELKA_BENCH_SERVICES as well (MinimalServices.exe), it also takes
// the rest of what Mirelka takes from the platform before it is resident, and nothing of Mirelka's
// own: COM with a shell link object and a notification icon.
#include <windows.h>

#ifdef MIRELKA_BENCH_TEMPLATE
#include "resources/ResourceIds.h"
#endif

#ifdef MIRELKA_BENCH_CONTROLS
#include <commctrl.h>
#endif
#ifdef MIRELKA_BENCH_SERVICES
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#endif

namespace {

#ifdef MIRELKA_BENCH_SERVICES
IShellLinkW* shellLink = nullptr;

void TakeServices(HWND window) {
    CoInitialize(nullptr);
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                     reinterpret_cast<void**>(&shellLink));
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = WM_APP;
    icon.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    Shell_NotifyIconW(NIM_ADD, &icon);
}

void ReleaseServices(HWND window) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    Shell_NotifyIconW(NIM_DELETE, &icon);
    if (shellLink != nullptr) {
        shellLink->Release();
    }
    CoUninitialize();
}
#endif

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
#ifdef MIRELKA_BENCH_SERVICES
            TakeServices(window);
#endif
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
#ifdef MIRELKA_BENCH_SERVICES
                ReleaseServices(window);
#endif
                EndDialog(window, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef MIRELKA_BENCH_CONTROLS
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
#ifdef MIRELKA_BENCH_TEMPLATE
    const int dialog = IDD_LAUNCHER;
#else
    const int dialog = 101;
#endif
    return static_cast<int>(
        DialogBoxParamW(instance, MAKEINTRESOURCEW(dialog), nullptr, DialogProc, 0));
}
