#include "CheckListBox.h"

#include <commctrl.h>
#include <vssym32.h>

#include <algorithm>
#include <memory>
#include <string>

#include "UniqueHandle.h"

namespace mirelka::check_list {

namespace {

constexpr UINT_PTR kSubclassId = 0x4D43;  // any number unique to this subclass
constexpr int kMargin = 2;
// The list's ListState, for the drawing its parent asks for.
constexpr wchar_t kStateProperty[] = L"Mirelka.CheckList";

// What the list keeps for itself: the theme it draws its boxes with, none without one.
struct ListState {
    UniqueTheme theme;
};

ListState* StateOf(HWND list);

SIZE BoxSize(HTHEME theme, HDC dc) {
    SIZE size{};
    if (theme != nullptr &&
        SUCCEEDED(GetThemePartSize(theme, dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr, TS_DRAW,
                                   &size)) &&
        size.cx > 0 && size.cy > 0) {
        return size;
    }
    const int classic = GetSystemMetrics(SM_CYMENUCHECK);
    return {classic, classic};
}

RECT BoxRect(const RECT& item, SIZE box) {
    const LONG top = item.top + (item.bottom - item.top - box.cy) / 2;
    return {item.left + kMargin, top, item.left + kMargin + box.cx, top + box.cy};
}

int ItemHeight(HDC dc, HFONT font, SIZE box) {
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    return std::max<int>(metrics.tmHeight, box.cy) + kMargin;
}

// Opens the theme anew and fits the items to its boxes: the height from WM_MEASUREITEM
// knew no theme.
void OpenTheme(HWND list, ListState& state) {
    state.theme.reset(OpenThemeData(list, L"BUTTON"));
    HDC dc = GetDC(list);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    const int height = ItemHeight(dc, font, BoxSize(state.theme.get(), dc));
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
    InvalidateRect(list, nullptr, TRUE);
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
                RECT item{};
                SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(&item));
                if (static_cast<short>(LOWORD(lParam)) < ItemBox(list, item).right + kMargin) {
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
        case WM_THEMECHANGED:
            if (ListState* state = StateOf(list)) {
                OpenTheme(list, *state);
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, ListProc, kSubclassId);
            // Taken back from the property that held it since Attach.
            std::unique_ptr<ListState>(static_cast<ListState*>(RemovePropW(list, kStateProperty)));
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

ListState* StateOf(HWND list) {
    // Another process's property is an address over there.
    DWORD process = 0;
    GetWindowThreadProcessId(list, &process);
    return process == GetCurrentProcessId()
               ? static_cast<ListState*>(GetPropW(list, kStateProperty))
               : nullptr;
}

}  // namespace

void Attach(HWND list) {
    auto state = std::make_unique<ListState>();
    if (!SetPropW(list, kStateProperty, state.get())) {
        return;
    }
    if (!SetWindowSubclass(list, ListProc, kSubclassId, 0)) {
        RemovePropW(list, kStateProperty);
        return;
    }
    // The property owns it from here until WM_NCDESTROY.
    OpenTheme(list, *state.release());
}

int Add(HWND list, const wchar_t* text) {
    return static_cast<int>(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

void Redraw(HWND list) {
    InvalidateRect(list, nullptr, FALSE);
}

RECT ItemBox(HWND list, const RECT& item) {
    const ListState* state = StateOf(list);
    // From another process (a test's driver) the theme is opened for the question.
    const UniqueTheme opened(state != nullptr ? nullptr : OpenThemeData(list, L"BUTTON"));
    HDC dc = GetDC(list);
    const RECT box =
        BoxRect(item, BoxSize(state != nullptr ? state->theme.get() : opened.get(), dc));
    ReleaseDC(list, dc);
    return box;
}

void Measure(HWND dialog, MEASUREITEMSTRUCT& item) {
    // Sent before WM_INITDIALOG, before the theme is open: Attach corrects the height.
    HDC dc = GetDC(dialog);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    item.itemHeight = static_cast<UINT>(ItemHeight(dc, font, BoxSize(nullptr, dc)));
    ReleaseDC(dialog, dc);
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
    const ListState* state = StateOf(item.hwndItem);
    const HTHEME theme = state != nullptr ? state->theme.get() : nullptr;
    RECT box = BoxRect(area, BoxSize(theme, dc));
    if (theme != nullptr) {
        DrawThemeBackground(theme, dc, BP_CHECKBOX,
                            checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &box, nullptr);
    } else {
        DrawFrameControl(dc, &box, DFC_BUTTON,
                         static_cast<UINT>(DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0)));
    }

    const LRESULT length = SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));

    RECT label = area;
    label.left = box.right + kMargin;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        DrawFocusRect(dc, &area);
    }
}

}  // namespace mirelka::check_list
