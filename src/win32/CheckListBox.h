#pragma once

#include <windows.h>

namespace mirelka {

// An owner-drawn list box (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS) made into a list of items
// with a check box each. A click in an item's box, or the space bar on the item with the
// caret, toggles it between 0 and 1; nothing else happens then. The tick is the item's data.
namespace check_list {

void Attach(HWND list);
int Add(HWND list, const wchar_t* text);
bool IsChecked(HWND list, int index);
void SetChecked(HWND list, int index, bool checked);

// WM_MEASUREITEM and WM_DRAWITEM of the dialog that holds the list.
void Measure(HWND dialog, MEASUREITEMSTRUCT& item);
void Draw(const DRAWITEMSTRUCT& item);

}  // namespace check_list
}  // namespace mirelka
