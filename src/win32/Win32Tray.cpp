#include "Win32Tray.h"

#include <shellapi.h>

#include <string>

#include "Win32CodePage.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"

namespace mirelka {

namespace {

HMENU ToHandle(PopupMenu::Menu menu) {
    return reinterpret_cast<HMENU>(menu);
}

PopupMenu::Menu FromHandle(HMENU menu) {
    return reinterpret_cast<PopupMenu::Menu>(menu);
}

}  // namespace

NOTIFYICONDATAW Win32TrayIcon::Record() const {
    NOTIFYICONDATAW record{};
    // The first and smallest layout: all the icon needs, and every shell takes it.
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = dialog_;
    record.uID = 1;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon_;
    const std::wstring tip = Widen(text::kCaption);
    tip.copy(record.szTip, std::size(record.szTip) - 1);
    return record;
}

bool Win32TrayIcon::Add() {
    NOTIFYICONDATAW record = Record();
    // An add that timed out may have added the icon all the same, and adding one that is
    // there fails: a failed add asks whether the icon is there.
    return Shell_NotifyIconW(NIM_ADD, &record) != FALSE ||
           Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void Win32TrayIcon::Remove() {
    NOTIFYICONDATAW record = Record();
    Shell_NotifyIconW(NIM_DELETE, &record);
}

PopupMenu::Menu Win32PopupMenu::Load() {
    loaded_.reset(LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    return loaded_ ? FromHandle(GetSubMenu(loaded_.get(), 0)) : 0;
}

int Win32PopupMenu::ItemCount(Menu menu) {
    return GetMenuItemCount(ToHandle(menu));
}

int Win32PopupMenu::ItemId(Menu menu, int position) {
    return static_cast<int>(GetMenuItemID(ToHandle(menu), position));
}

std::string Win32PopupMenu::ItemText(Menu menu, int position) {
    const int length =
        GetMenuStringW(ToHandle(menu), static_cast<UINT>(position), nullptr, 0, MF_BYPOSITION);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetMenuStringW(ToHandle(menu), static_cast<UINT>(position), text.data(),
                                   length + 1, MF_BYPOSITION);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return Narrow(text);
}

PopupMenu::Menu Win32PopupMenu::SubMenu(Menu menu, int position) {
    return FromHandle(GetSubMenu(ToHandle(menu), position));
}

void Win32PopupMenu::Insert(Menu menu, int position, std::string_view text, int id) {
    const std::wstring wide = Widen(text);
    InsertMenuW(ToHandle(menu), static_cast<UINT>(position), MF_BYPOSITION | MF_STRING,
                static_cast<UINT_PTR>(id), wide.c_str());
}

void Win32PopupMenu::Track(Menu menu, int x, int y) {
    // A menu whose owner is not the foreground window doesn't close when the user clicks
    // elsewhere (TrackPopupMenu's remarks).
    SetForegroundWindow(owner_);
    TrackPopupMenu(ToHandle(menu), TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON, x, y, 0,
                   owner_, nullptr);
    // Without a message after it, a second right click on the icon may find the menu
    // unable to close when the user clicks elsewhere (a long-standing shell quirk).
    PostMessageW(owner_, WM_NULL, 0, 0);
}

}  // namespace mirelka
