#include "CheckListBox.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace mirelka::check_list {

namespace {

constexpr UINT_PTR kSubclassId = 0x4D43;  // any number unique to this subclass

int CheckBoxSize() {
    return GetSystemMetrics(SM_CYMENUCHECK);
}

// The check box occupies the left of each item, with a margin of 2 pixels either side.
int CheckAreaWidth() {
    return CheckBoxSize() + 4;
}

void AskToToggle(HWND list, int index) {
    if (index < 0 || index >= static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0))) {
        return;
    }
    SendMessageW(GetParent(list), kToggleRequest, static_cast<WPARAM>(index), 0);
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    switch (message) {
        // The list box class asks for double clicks: the second click of a pair comes so.
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONDOWN: {
            const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
            const int index = LOWORD(hit);
            const bool outside = HIWORD(hit) != 0;
            const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
            if (!outside) {
                SendMessageW(list, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
                RECT box{};
                SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(&box));
                if (static_cast<short>(LOWORD(lParam)) < box.left + CheckAreaWidth()) {
                    AskToToggle(list, index);
                }
            }
            return result;
        }
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                AskToToggle(list, static_cast<int>(SendMessageW(list, LB_GETCARETINDEX, 0, 0)));
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L' ') {
                return 0;  // already handled as a key; no type-ahead search for a blank
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, ListProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void Attach(HWND list) {
    SetWindowSubclass(list, ListProc, kSubclassId, 0);
}

int Add(HWND list, const wchar_t* text) {
    return static_cast<int>(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

void Redraw(HWND list) {
    InvalidateRect(list, nullptr, FALSE);
}

void Measure(HWND dialog, MEASUREITEMSTRUCT& item) {
    // Sent before WM_INITDIALOG: the dialog's font is all there is to measure with.
    HDC dc = GetDC(dialog);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    item.itemHeight = static_cast<UINT>(std::max<LONG>(metrics.tmHeight, CheckBoxSize()) + 2);
}

void Draw(const DRAWITEMSTRUCT& item, bool checked) {
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1)) {
        if (item.itemState & ODS_FOCUS) {
            DrawFocusRect(dc, &area);
        }
        return;
    }
    const int size = CheckBoxSize();
    const int top = area.top + (area.bottom - area.top - size) / 2;
    RECT box{area.left + 2, top, area.left + 2 + size, top + size};
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     static_cast<UINT>(DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0)));

    const LRESULT length = SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));

    RECT label = area;
    label.left += CheckAreaWidth();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        DrawFocusRect(dc, &area);
    }
}

}  // namespace mirelka::check_list
