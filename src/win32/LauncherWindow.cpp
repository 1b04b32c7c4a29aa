#include "LauncherWindow.h"

#include "app/ResourceIds.h"

namespace mirelka {

namespace {

HICON LoadProgramIcon(HINSTANCE instance, int sizeMetricX, int sizeMetricY) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MIRELKA), IMAGE_ICON,
                                         GetSystemMetrics(sizeMetricX),
                                         GetSystemMetrics(sizeMetricY), 0));
}

}  // namespace

LauncherWindow::LauncherWindow(HINSTANCE instance, std::string executablePath)
    : instance_(instance),
      bigIcon_(LoadProgramIcon(instance, SM_CXICON, SM_CYICON)),
      smallIcon_(LoadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON)),
      view_(bigIcon_.get(), smallIcon_.get()),
      dialog_(Ports{view_, files_, codePage_}, std::move(executablePath)) {}

INT_PTR LauncherWindow::RunModal() {
    return DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_LAUNCHER), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK LauncherWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<LauncherWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    // Nothing may unwind through the system's code that called us.
    try {
        return self->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR LauncherWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            view_.Attach(window);
            // The tab control comes first in the template for the tab order, but it must
            // lie under the controls it frames or it paints over them.
            SetWindowPos(GetDlgItem(window, IDC_TAB), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return dialog_.OnInitDialog() ? TRUE : FALSE;

        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(bigIcon_.get());

        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(window, IDCANCEL);
                return TRUE;
            }
            return FALSE;

        default:
            return FALSE;
    }
}

}  // namespace mirelka
