#pragma once

#include <windows.h>

namespace mirelka {

// An owner-drawn list box (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS) made into a list of items
// with a check box each. The ticks are not the list's: a click in an item's box, or the
// space bar on the item with the caret, only asks the list's parent to toggle it, and each
// item is drawn ticked as its owner says.
namespace check_list {

// Sent to the list's parent: the user asks to toggle item wParam.
constexpr UINT kToggleRequest = WM_APP + 1;

void Attach(HWND list);
int Add(HWND list, const wchar_t* text);
// Draws every item again, after their ticks changed.
void Redraw(HWND list);

// WM_MEASUREITEM and WM_DRAWITEM of the dialog that holds the list.
void Measure(HWND dialog, MEASUREITEMSTRUCT& item);
void Draw(const DRAWITEMSTRUCT& item, bool checked);

}  // namespace check_list
}  // namespace mirelka
