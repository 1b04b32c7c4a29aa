#pragma once

#include <windows.h>
#include <shellapi.h>

#include "UniqueHandle.h"
#include "ports/PopupMenu.h"
#include "ports/TrayIcon.h"

namespace mirelka {

// Mouse events on the icon arrive at the dialog as this message, the mouse message in lParam.
constexpr UINT kTrayCallbackMessage = WM_APP;

class Win32TrayIcon final : public TrayIcon {
public:
    explicit Win32TrayIcon(HICON icon) : icon_(icon) {}
    void Attach(HWND dialog) { dialog_ = dialog; }
    bool Add() override;
    void Remove() override;

private:
    NOTIFYICONDATAW Record() const;

    HWND dialog_ = nullptr;
    HICON icon_;
};

class Win32PopupMenu final : public PopupMenu {
public:
    explicit Win32PopupMenu(HINSTANCE instance) : instance_(instance) {}
    void Attach(HWND owner) { owner_ = owner; }

    Menu Load() override;
    int ItemCount(Menu menu) override;
    int ItemId(Menu menu, int position) override;
    std::string ItemText(Menu menu, int position) override;
    Menu SubMenu(Menu menu, int position) override;
    void Insert(Menu menu, int position, std::string_view text, int id) override;
    void Track(Menu menu, int x, int y) override;
    void Destroy() override { loaded_.reset(); }

private:
    HINSTANCE instance_;
    HWND owner_ = nullptr;
    UniqueMenu loaded_;
};

}  // namespace mirelka
