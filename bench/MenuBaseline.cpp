// The tray menu without Mirelka: a hidden window that, on WM_APP, builds a popup menu of
// N items ("--items=N", titles as bench/WineBench.cpp registers them) plus the six of
// Mirelka's template and tracks it at the cursor, as Mirelka does. WineBench opens it the
// way it opens Mirelka's, to tell what the platform's menu costs from what Mirelka adds.
#include <windows.h>

#include <cwchar>
#include <cstdlib>

namespace {

int itemCount = 0;

void ShowMenu(HWND window) {
    SetForegroundWindow(window);
    POINT cursor{};
    GetCursorPos(&cursor);
    HMENU popup = CreatePopupMenu();
    for (int i = 0; i < itemCount; ++i) {
        wchar_t title[32];
        std::swprintf(title, 32, L"ゲーム %04d", i);
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(34000 + i), title);
    }
    HMENU modes = CreatePopupMenu();
    AppendMenuW(modes, MF_STRING, 33001, L"1024×768×32 60Hz");
    AppendMenuW(modes, MF_STRING, 33000, L"起動時の解像度");
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(modes), L"解像度変更");
    AppendMenuW(popup, MF_STRING, 32901, L"設定");
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING, 32900, L"常駐終了");
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING, IDCANCEL, L"ｷｬﾝｾﾙ");
    TrackPopupMenu(popup, TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y,
                   0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(popup);
}

// WM_APP as Mirelka's tray callback; WM_CLOSE as any window's.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        ShowMenu(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (const wchar_t* items = std::wcsstr(commandLine, L"--items=")) {
        itemCount = static_cast<int>(std::wcstol(items + 8, nullptr, 10));
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"MirelkaMenuBaseline";
    RegisterClassW(&windowClass);
    CreateWindowExW(0, windowClass.lpszClassName, L"MenuBaseline", WS_POPUP, 0, 0, 10, 10,
                    nullptr, nullptr, instance, nullptr);
    // No keys reach this window: the menu's own loop reads them.
    for (MSG message; GetMessageW(&message, nullptr, 0, 0) > 0;) {
        DispatchMessageW(&message);
    }
    return 0;
}
