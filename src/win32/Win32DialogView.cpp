#include "Win32DialogView.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "CheckListBox.h"
#include "Win32CodePage.h"
#include "resources/Texts.h"

namespace mirelka {

void Win32DialogView::SetIcons() {
    SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

MessageAnswer Win32DialogView::ShowMessage(std::string_view text, MessageType type) {
    const int answer = MessageBoxW(dialog_, Widen(text).c_str(), Widen(text::kCaption).c_str(),
                                   static_cast<UINT>(type));
    switch (answer) {
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
    }
}

void Win32DialogView::Beep() {
    MessageBeep(0);
}

bool Win32DialogView::IsVisible() const {
    return IsWindowVisible(dialog_) != FALSE;
}

bool Win32DialogView::IsMinimized() const {
    return IsIconic(dialog_) != FALSE;
}

void Win32DialogView::Hide() {
    ShowWindow(dialog_, SW_HIDE);
}

void Win32DialogView::ShowNormal() {
    ShowWindow(dialog_, SW_SHOWNORMAL);
}

void Win32DialogView::KeepOnScreen() {
    RECT window{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetWindowRect(dialog_, &window) ||
        !GetMonitorInfoW(MonitorFromWindow(dialog_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    // Not DM_REPOSITION alone: some dialog managers (Wine's) ignore it. A window larger than
    // the work area keeps its caption on screen: the top left wins.
    const RECT& work = monitor.rcWork;
    LONG x = window.left;
    LONG y = window.top;
    x = std::max(std::min(x, work.right - (window.right - window.left)), work.left);
    y = std::max(std::min(y, work.bottom - (window.bottom - window.top)), work.top);
    if (x != window.left || y != window.top) {
        SetWindowPos(dialog_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Win32DialogView::StartTimer(int id, unsigned milliseconds) {
    SetTimer(dialog_, static_cast<UINT_PTR>(id), milliseconds, nullptr);
}

void Win32DialogView::StopTimer(int id) {
    KillTimer(dialog_, static_cast<UINT_PTR>(id));
}

void Win32DialogView::SetForeground() {
    SetForegroundWindow(dialog_);
}

void Win32DialogView::End(int result) {
    EndDialog(dialog_, result);
}

void Win32DialogView::FocusNextControl() {
    PostMessageW(dialog_, WM_NEXTDLGCTL, 0, 0);
}

void Win32DialogView::FocusControl(int id) {
    // As the dialog manager moves it (the default button follows); posted, as Microsoft's
    // page asks of a caller that may be handling other focus changes.
    PostMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

void Win32DialogView::CursorPosition(int& x, int& y) const {
    POINT point{};
    GetCursorPos(&point);
    x = point.x;
    y = point.y;
}

HWND Win32DialogView::Control(int id) const {
    for (const auto& [known, control] : controls_) {
        if (known == id) {
            return control;
        }
    }
    // Wine asks its server for the dialog's children on every GetDlgItem (~0.1 ms): the mode
    // list alone is asked 40-odd times each time the tray menu opens.
    HWND control = GetDlgItem(dialog_, id);
    if (control != nullptr) {
        controls_.emplace_back(id, control);
    }
    return control;
}

void Win32DialogView::ShowControl(int id, bool show) {
    ShowWindow(Control(id), show ? SW_SHOWNA : SW_HIDE);
}

std::string Win32DialogView::Text(int id) const {
    const HWND control = Control(id);
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return Narrow(text);
}

void Win32DialogView::SetText(int id, std::string_view text) {
    const HWND control = Control(id);
    SetWindowTextW(control, Widen(text).c_str());
    // A right-aligned box is meant to show a long path's end, its file name: put the
    // caret there so the box scrolls to it.
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, L"Edit") == 0 &&
        (GetWindowLongPtrW(control, GWL_STYLE) & ES_RIGHT) != 0) {
        const auto end = static_cast<WPARAM>(GetWindowTextLengthW(control));
        SendMessageW(control, EM_SETSEL, end, static_cast<LPARAM>(end));
    }
}

bool Win32DialogView::Checked(int id) const {
    return Send(id, BM_GETCHECK) == BST_CHECKED;
}

void Win32DialogView::SetChecked(int id, bool checked) {
    Send(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32DialogView::ComboReset(int id) {
    Send(id, CB_RESETCONTENT);
}

int Win32DialogView::ComboAdd(int id, std::string_view text) {
    const std::wstring wide = Widen(text);
    return static_cast<int>(Send(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int Win32DialogView::ComboInsert(int id, int index, std::string_view text) {
    const std::wstring wide = Widen(text);
    return static_cast<int>(Send(id, CB_INSERTSTRING, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(wide.c_str())));
}

void Win32DialogView::ComboSetItemData(int id, int index, std::intptr_t data) {
    Send(id, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}

std::intptr_t Win32DialogView::ComboItemData(int id, int index) const {
    return static_cast<std::intptr_t>(Send(id, CB_GETITEMDATA, static_cast<WPARAM>(index)));
}

std::string Win32DialogView::ComboItemText(int id, int index) const {
    const LRESULT length = Send(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR) {
        return {};
    }
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        Send(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (got == CB_ERR) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(got));
    return Narrow(buffer);
}

int Win32DialogView::ComboSelection(int id) const {
    return static_cast<int>(Send(id, CB_GETCURSEL));
}

void Win32DialogView::ComboSelect(int id, int index) {
    Send(id, CB_SETCURSEL, static_cast<WPARAM>(index));
}

int Win32DialogView::ComboSelectString(int id, int start, std::string_view text) {
    const std::wstring wide = Widen(text);
    const LRESULT index = Send(id, CB_SELECTSTRING, static_cast<WPARAM>(start),
                               reinterpret_cast<LPARAM>(wide.c_str()));
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32DialogView::ListAdd(int id, std::string_view text) {
    check_list::Add(Control(id), Widen(text).c_str());
}

void Win32DialogView::ListRedraw(int id) {
    check_list::Redraw(Control(id));
}

void Win32DialogView::TabInsert(int id, int index, std::string_view text) {
    std::wstring wide = Widen(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    Send(id, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int Win32DialogView::TabSelection(int id) const {
    return static_cast<int>(Send(id, TCM_GETCURSEL));
}

void Win32DialogView::TabSelect(int id, int index) {
    Send(id, TCM_SETCURSEL, static_cast<WPARAM>(index));
}

}  // namespace mirelka
