#include "DialogWindow.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "CheckListBox.h"
#include "ResourceCounts.h"
#include "SystemLibrary.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"

namespace mirelka {

namespace {

HICON LoadProgramIcon(HINSTANCE instance, int sizeMetricX, int sizeMetricY) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MIRELKA), IMAGE_ICON,
                                         GetSystemMetrics(sizeMetricX),
                                         GetSystemMetrics(sizeMetricY), 0));
}

// ChangeWindowMessageFilterEx is Windows 7's; Vista, which the manifest names too, has only
// the process-wide ChangeWindowMessageFilter. Looked up, so that Mirelka starts on both.
void AllowMessageFromShell(HWND window, UINT message) {
    const UniqueModule user32 = LoadSystemLibrary(L"user32.dll");
    if (const auto perWindow = SystemProc<decltype(ChangeWindowMessageFilterEx)>(
            user32, "ChangeWindowMessageFilterEx")) {
        perWindow(window, message, MSGFLT_ALLOW, nullptr);
    } else if (const auto perProcess = SystemProc<decltype(ChangeWindowMessageFilter)>(
                   user32, "ChangeWindowMessageFilter")) {
        perProcess(message, MSGFLT_ADD);
    }
}

// Posted to the dialog itself: handled outside the tab control's notification and the
// message filter, once they are done.
constexpr UINT kTabChangeRefused = WM_APP + 2;
constexpr UINT kTurnTab = WM_APP + 3;  // wParam: TRUE for the next tab

// The one dialog whose keys the filter looks at (one per process).
HWND filteredDialog = nullptr;

// Ctrl+Tab and Ctrl+PageDown: the next tab (1); Ctrl+Shift+Tab and Ctrl+PageUp: the
// previous one (0); else -1.
int TabTurnKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) {
        return -1;
    }
    switch (message.wParam) {
        case VK_TAB:
            return GetKeyState(VK_SHIFT) < 0 ? 0 : 1;
        case VK_NEXT:
            return 1;
        case VK_PRIOR:
            return 0;
        default:
            return -1;
    }
}

}  // namespace

DialogWindow::DialogWindow(HINSTANCE instance, std::string executablePath)
    : instance_(instance),
      bigIcon_(LoadProgramIcon(instance, SM_CXICON, SM_CYICON)),
      smallIcon_(LoadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON)),
      tray_(smallIcon_.get()),
      menu_(instance),
      // Broadcast by the shell when it makes its task bar anew, e.g. after a crash.
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      userObjectCount_(RegisterWindowMessageW(kUserObjectCountMessage)),
      view_(bigIcon_.get(), smallIcon_.get()),
      dialog_(Ports{view_, files_, codePage_, display_, shortcuts_, processes_, tray_, menu_,
                    fileDialog_, modeAccess_},
              std::move(executablePath)) {}

INT_PTR DialogWindow::RunModal() {
    return DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_LAUNCHER), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    }
    if (message == WM_MEASUREITEM && wParam == IDC_MODE_LIST) {
        // Arrives while the template's controls are created, before WM_INITDIALOG.
        check_list::Measure(window, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
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

LRESULT CALLBACK DialogWindow::TabKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    // Message boxes and the file dialog run dialog loops too: only our dialog's keys count.
    if (code == MSGF_DIALOGBOX && filteredDialog != nullptr) {
        const auto& message = *reinterpret_cast<const MSG*>(lParam);
        const int next = TabTurnKey(message);
        if (next >= 0 &&
            (message.hwnd == filteredDialog || IsChild(filteredDialog, message.hwnd))) {
            PostMessageW(filteredDialog, kTurnTab, static_cast<WPARAM>(next), 0);
            return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR DialogWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        dialog_.OnTaskbarCreated();
        return TRUE;
    }
    // For leak tests only; reads, changes nothing.
    if (message == userObjectCount_ && userObjectCount_ != 0) {
        SetWindowLongPtrW(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(UserObjectCount()));
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG:
            view_.Attach(window);
            tray_.Attach(window);
            menu_.Attach(window);
            fileDialog_.Attach(window);
            processes_.Attach(window);
            shortcuts_.Attach(window);
            check_list::Attach(GetDlgItem(window, IDC_MODE_LIST));
            modeAccess_.Attach(GetDlgItem(window, IDC_MODE_LIST), Widen(text::kTabBasic).c_str());
            filteredDialog = window;
            tabKeyFilter_.reset(
                SetWindowsHookExW(WH_MSGFILTER, TabKeyFilter, nullptr, GetCurrentThreadId()));
            // The tab control comes first in the template for the tab order, but it must
            // lie under the controls it frames or it paints over them.
            SetWindowPos(GetDlgItem(window, IDC_TAB), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            // The controls stand on the tab's page: labels and the check box take its
            // background instead of the dialog's grey.
            EnableThemeDialogTexture(window, ETDT_ENABLETAB);
            // Run elevated, UIPI would drop the shell's messages from its lower integrity
            // level: the icon would neither come back after an Explorer restart nor answer.
            AllowMessageFromShell(window, taskbarCreated_);
            AllowMessageFromShell(window, kTrayCallbackMessage);
            return dialog_.OnInitDialog() ? TRUE : FALSE;

        case WM_PAINT:
            if (dialog_.OnPaint() == LauncherDialog::PaintAction::DrawIcon) {
                PaintMinimized(window);
                return TRUE;
            }
            return FALSE;

        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(bigIcon_.get());

        case WM_DRAWITEM:
            if (wParam == IDC_MODE_LIST) {
                const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                check_list::Draw(item, dialog_.IsModeTicked(item.itemID));
                return TRUE;
            }
            return FALSE;

        case check_list::kToggleRequest:
            dialog_.OnToggleMode(static_cast<std::size_t>(wParam));
            return TRUE;

        case WM_COMMAND:
            return dialog_.OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;

        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.idFrom != IDC_TAB) {
                return FALSE;
            }
            if (header.code == TCN_SELCHANGING) {
                // A dialog procedure answers a notification through DWLP_MSGRESULT.
                const int refused = dialog_.OnSelchangingTab();
                SetWindowLongPtrW(window, DWLP_MSGRESULT, refused);
                if (refused != 0) {
                    PostMessageW(window, kTabChangeRefused, 0, 0);
                }
                return TRUE;
            }
            if (header.code == TCN_SELCHANGE) {
                dialog_.OnSelchangeTab();
                return TRUE;
            }
            return FALSE;
        }

        case kTabChangeRefused:
            dialog_.OnTabChangeRefused();
            return TRUE;

        case kTurnTab:
            dialog_.OnTurnTab(wParam != 0);
            return TRUE;

        case kTrayCallbackMessage:
            dialog_.OnTrayNotify(static_cast<std::intptr_t>(lParam));
            return TRUE;

        case WM_TIMER:
            dialog_.OnTimer(static_cast<int>(wParam));
            return TRUE;

        case WM_QUERYENDSESSION:
            SetWindowLongPtrW(
                window, DWLP_MSGRESULT,
                dialog_.OnQueryEndSession((lParam & ENDSESSION_CLOSEAPP) != 0) ? TRUE : FALSE);
            return TRUE;

        case WM_ENDSESSION:
            if (dialog_.OnEndSession(wParam != FALSE, (lParam & ENDSESSION_CLOSEAPP) != 0)) {
                // The Restart Manager waits for the process to end, from whatever loop we
                // are in: a launch's wait, a message box, the file dialog. Answered first;
                // then no DLL detach code runs, which could wait on a lock of a thread the
                // file dialog left (ExitProcess), and nothing of ours is left to write.
                ReplyMessage(0);
                TerminateProcess(GetCurrentProcess(), 0);
            }
            SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
            return TRUE;

        case WM_DESTROY:
            tabKeyFilter_.reset();
            filteredDialog = nullptr;
            // The list still exists: its children are destroyed after the dialog hears of it.
            modeAccess_.Detach();
            dialog_.OnDestroy();
            return FALSE;

        default:
            return FALSE;
    }
}

void DialogWindow::PaintMinimized(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(window, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, bigIcon_.get());
    EndPaint(window, &paint);
}

}  // namespace mirelka
