#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"
#include "Win32CodePage.h"
#include "Win32DialogView.h"
#include "Win32DisplayDriver.h"
#include "Win32FileDialog.h"
#include "Win32FileSystem.h"
#include "Win32ModeListAccess.h"
#include "Win32ProcessRunner.h"
#include "Win32ShortcutReader.h"
#include "Win32Tray.h"
#include "app/LauncherDialog.h"

namespace mirelka {

// The main dialog's window procedure and the adapters it lends the dialog: turns window
// messages into calls on LauncherDialog and makes no decisions of its own.
class DialogWindow {
public:
    DialogWindow(HINSTANCE instance, std::string executablePath);
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Runs the modal dialog until it is ended.
    INT_PTR RunModal();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintMinimized(HWND window);
    // The dialog's loop gives Tab to IsDialogMessage; a message filter sees it first.
    static LRESULT CALLBACK TabKeyFilter(int code, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    Win32CodePage codePage_;
    Win32FileSystem files_;
    Win32DisplayDriver display_;
    Win32ShortcutReader shortcuts_;
    Win32ProcessRunner processes_;
    Win32TrayIcon tray_;
    Win32PopupMenu menu_;
    Win32FileDialog fileDialog_;
    Win32ModeListAccess modeAccess_;
    UniqueHook tabKeyFilter_;
    UINT taskbarCreated_;
    UINT userObjectCount_;
    Win32DialogView view_;
    LauncherDialog dialog_;
};

}  // namespace mirelka
