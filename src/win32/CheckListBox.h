#pragma once

#include <windows.h>

#include <uxtheme.h>

namespace mirelka {

// An owner-drawn list box (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS) made into a list of items
// with a check box each. The ticks are not the list's: a click in an item's box, or the
// space bar on the item with the caret, only asks the list's parent to toggle it, and each
// item is drawn ticked as its owner says. With visual styles on, the boxes are the theme's.
namespace check_list {

// Sent to the list's parent: the user asks to toggle item wParam.
constexpr UINT kToggleRequest = WM_APP + 1;

// Opens the list's theme (again on WM_THEMECHANGED) and sizes the items for its boxes.
void Attach(HWND list);
int Add(HWND list, const wchar_t* text);
// Draws every item again, after their ticks changed.
void Redraw(HWND list);

// WM_MEASUREITEM and WM_DRAWITEM of the dialog that holds the list.
void Measure(HWND dialog, MEASUREITEMSTRUCT& item);
void Draw(const DRAWITEMSTRUCT& item, bool checked);

// Where the list draws the box of the item at item (its LB_GETITEMRECT), also for a list of
// another process: the theme's check box, or without visual styles the classic frame, 2
// pixels in from the item's left and centred on its height. A click toggles the item from
// the item's left up to the label, 2 pixels past the box.
RECT ItemBox(HWND list, const RECT& item);

}  // namespace check_list
}  // namespace mirelka
