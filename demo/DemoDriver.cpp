// Drives a running Mirelka from outside, as its user would, for scripts/run.sh and
// scripts/screenshots.sh: one command per start, run in the same Wine session.
//
//   resident [MS]           wait until Mirelka's dialog exists, hidden, and its start-up is over
//   tray                    put the cursor on the notification icon and post its right click
//   menus N [MS]            wait until N popup menus show; print the rectangle around them
//   key NAME...             post keys to the open popup menu (down up left right return escape)
//   command ID              post a menu command to Mirelka's dialog
//   dialog [MS]             wait until the settings window shows; print its rectangle
//   title INDEX             choose the application tab's title INDEX, as the list box would
//   tab INDEX               click tab INDEX of the settings window
//   window CLASS TITLE [MS] wait until a top-level window shows; print its rectangle
//   close CLASS TITLE       post WM_CLOSE to that window
//   gone CLASS TITLE [MS]   wait until no such window shows
//   mode                    print the registry display mode
//   wait-mode W H B F [MS]  wait until the registry display mode is that one
//   ended [MS]              wait until Mirelka's dialog is gone
//
// A rectangle is printed as "x y width height" in desktop coordinates. Exit status 0 when the
// command did what it says, 1 when it timed out or found nothing, 2 on a usage error.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultTimeoutMs = 15000;
constexpr int kTabControlId = 1000;  // IDC_TAB
constexpr int kTitleBoxId = 1025;    // IDC_TITLE
constexpr UINT kTrayCallback = WM_APP;
constexpr WPARAM kTrayIconId = 1;

bool WaitFor(DWORD timeoutMs, const std::function<bool()>& done) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(50);
    }
}

struct Search {
    std::wstring className;
    std::wstring title;
    bool visibleOnly = true;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    wchar_t className[64] = {};
    GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (search.className != className) {
        return TRUE;
    }
    if (search.visibleOnly && !IsWindowVisible(window)) {
        return TRUE;
    }
    if (!search.title.empty()) {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, static_cast<int>(std::size(title)));
        if (search.title != title) {
            return TRUE;
        }
    }
    search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevel(const std::wstring& className, const std::wstring& title,
                           bool visibleOnly) {
    Search search{className, title, visibleOnly, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The main dialog, not one of its message boxes (same class and caption): it has the tabs.
HWND MainDialog() {
    for (HWND window : TopLevel(L"#32770", L"Mirelka", false)) {
        if (GetDlgItem(window, kTabControlId) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

// The shell holds the icon: changing nothing of it succeeds only then.
bool TrayIconExists(HWND dialog) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = dialog;
    icon.uID = static_cast<UINT>(kTrayIconId);
    return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

bool Answers(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored) != 0;
}

void PrintRect(const RECT& rect) {
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(rect.left), static_cast<long>(rect.top),
                static_cast<long>(rect.right - rect.left),
                static_cast<long>(rect.bottom - rect.top));
}

DWORD TimeoutArg(int argc, wchar_t** argv, int index) {
    return argc > index ? static_cast<DWORD>(std::wcstoul(argv[index], nullptr, 10))
                        : kDefaultTimeoutMs;
}

int Fail(const char* what) {
    std::fprintf(stderr, "MirelkaDemoDriver: %s\n", what);
    return 1;
}

// Just above the icon, which Wine's task bar draws at the right end of the bar at the
// bottom: the menu opens there as on a right click, and no tooltip covers it.
POINT TrayIconPoint() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int barHeight = height - work.bottom > 0 ? height - work.bottom : 24;
    return POINT{width - barHeight / 2 - 2, height - barHeight - 1};
}

// Nothing of the window is waiting to be painted.
bool Painted(HWND window) {
    return GetUpdateRect(window, nullptr, FALSE) == FALSE;
}

void PostKey(HWND window, UINT key) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    const UINT down = 1u | (scan << 16);
    const UINT up = down | (1u << 30) | (1u << 31);
    PostMessageW(window, WM_KEYDOWN, key, static_cast<LPARAM>(down));
    PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(up));
}

UINT KeyCode(const std::wstring& name) {
    static const struct {
        const wchar_t* name;
        UINT code;
    } kKeys[] = {{L"down", VK_DOWN},   {L"up", VK_UP},         {L"left", VK_LEFT},
                 {L"right", VK_RIGHT}, {L"return", VK_RETURN}, {L"escape", VK_ESCAPE}};
    for (const auto& key : kKeys) {
        if (name == key.name) {
            return key.code;
        }
    }
    return 0;
}

// TCM_GETITEMRECT writes through a pointer that means something only in Mirelka's process.
bool TabItemRect(HWND tabs, int index, RECT& rect) {
    DWORD processId = 0;
    GetWindowThreadProcessId(tabs, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) {
        return false;
    }
    bool ok = false;
    if (void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE)) {
        DWORD_PTR found = 0;
        SIZE_T read = 0;
        ok = SendMessageTimeoutW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 2000, &found) &&
             found != 0 && ReadProcessMemory(process, remote, &rect, sizeof rect, &read) &&
             read == sizeof rect;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return ok;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::wstring command = argv[1];

    if (command == L"resident" || command == L"dialog") {
        const bool shown = command == L"dialog";
        HWND dialog = nullptr;
        const bool ok = WaitFor(TimeoutArg(argc, argv, 2), [&] {
            dialog = MainDialog();
            return dialog != nullptr && (IsWindowVisible(dialog) != FALSE) == shown &&
                   TrayIconExists(dialog) && Answers(dialog) && (!shown || Painted(dialog));
        });
        if (!ok) {
            return Fail(shown ? "the settings window did not show" : "Mirelka is not resident");
        }
        if (shown) {
            RECT rect{};
            GetWindowRect(dialog, &rect);
            PrintRect(rect);
        }
        return 0;
    }
    if (command == L"ended") {
        return WaitFor(TimeoutArg(argc, argv, 2), [] { return MainDialog() == nullptr; })
                   ? 0
                   : Fail("Mirelka did not end");
    }
    if (command == L"mode" || command == L"wait-mode") {
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        auto read = [&] { return EnumDisplaySettingsW(nullptr, ENUM_REGISTRY_SETTINGS, &mode); };
        if (command == L"mode") {
            if (!read()) {
                return Fail("no registry mode");
            }
            std::printf("%lu %lu %lu %lu\n", static_cast<unsigned long>(mode.dmPelsWidth),
                        static_cast<unsigned long>(mode.dmPelsHeight),
                        static_cast<unsigned long>(mode.dmBitsPerPel),
                        static_cast<unsigned long>(mode.dmDisplayFrequency));
            return 0;
        }
        if (argc < 6) {
            return 2;
        }
        DWORD wanted[4];
        for (int i = 0; i < 4; ++i) {
            wanted[i] = static_cast<DWORD>(std::wcstoul(argv[2 + i], nullptr, 10));
        }
        return WaitFor(TimeoutArg(argc, argv, 6),
                       [&] {
                           return read() && mode.dmPelsWidth == wanted[0] &&
                                  mode.dmPelsHeight == wanted[1] &&
                                  mode.dmBitsPerPel == wanted[2] &&
                                  mode.dmDisplayFrequency == wanted[3];
                       })
                   ? 0
                   : Fail("the display mode did not change to the one wanted");
    }
    if (command == L"window" || command == L"gone" || command == L"close") {
        if (argc < 4) {
            return 2;
        }
        const std::wstring className = argv[2];
        const std::wstring title = argv[3];
        if (command == L"close") {
            const std::vector<HWND> windows = TopLevel(className, title, true);
            for (HWND window : windows) {
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            return windows.empty() ? Fail("no such window to close") : 0;
        }
        if (command == L"gone") {
            return WaitFor(TimeoutArg(argc, argv, 4),
                           [&] { return TopLevel(className, title, true).empty(); })
                       ? 0
                       : Fail("the window stayed");
        }
        HWND window = nullptr;
        const bool ok = WaitFor(TimeoutArg(argc, argv, 4), [&] {
            const std::vector<HWND> windows = TopLevel(className, title, true);
            window = windows.empty() ? nullptr : windows.front();
            return window != nullptr && Answers(window) && Painted(window);
        });
        if (!ok) {
            return Fail("the window did not show");
        }
        RECT rect{};
        GetWindowRect(window, &rect);
        PrintRect(rect);
        return 0;
    }
    if (command == L"menus") {
        if (argc < 3) {
            return 2;
        }
        const std::size_t count = std::wcstoul(argv[2], nullptr, 10);
        std::vector<HWND> menus;
        const bool ok = WaitFor(TimeoutArg(argc, argv, 3), [&] {
            menus = TopLevel(L"#32768", L"", true);
            if (menus.size() != count) {
                return false;
            }
            for (HWND menu : menus) {
                if (!Painted(menu)) {
                    return false;
                }
            }
            return true;
        });
        if (!ok) {
            return Fail("the popup menus did not show");
        }
        RECT around{};
        for (HWND menu : menus) {
            RECT rect{};
            GetWindowRect(menu, &rect);
            UnionRect(&around, &around, &rect);
        }
        PrintRect(around);
        return 0;
    }
    if (command == L"key") {
        for (int i = 2; i < argc; ++i) {
            const UINT key = KeyCode(argv[i]);
            if (key == 0) {
                return 2;
            }
            // Looked up again for each key: the one before may have closed a submenu.
            const std::vector<HWND> menus = TopLevel(L"#32768", L"", true);
            if (menus.empty()) {
                return Fail("no popup menu is open");
            }
            // The menu's modal loop reads every message of its thread, whichever window.
            PostKey(menus.front(), key);
            Sleep(150);
        }
        return 0;
    }

    HWND dialog = MainDialog();
    if (dialog == nullptr) {
        return Fail("Mirelka is not running");
    }
    if (command == L"tray") {
        // Where a user's right click would be: the popup menu opens at the cursor.
        const POINT icon = TrayIconPoint();
        SetCursorPos(icon.x, icon.y);
        PostMessageW(dialog, kTrayCallback, kTrayIconId, WM_RBUTTONDOWN);
        return 0;
    }
    if (command == L"command" && argc >= 3) {
        const auto id = static_cast<WORD>(std::wcstoul(argv[2], nullptr, 10));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return 0;
    }
    if (command == L"title" && argc >= 3) {
        HWND box = GetDlgItem(dialog, kTitleBoxId);
        const auto index = static_cast<WPARAM>(std::wcstoul(argv[2], nullptr, 10));
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(box, CB_SETCURSEL, index, 0, SMTO_BLOCK, 2000, &result) ||
            static_cast<LRESULT>(result) == CB_ERR) {
            return Fail("no such title");
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kTitleBoxId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        return Answers(dialog) ? 0 : Fail("Mirelka did not answer");
    }
    if (command == L"tab" && argc >= 3) {
        HWND tabs = GetDlgItem(dialog, kTabControlId);
        RECT rect{};
        if (!TabItemRect(tabs, static_cast<int>(std::wcstol(argv[2], nullptr, 10)), rect)) {
            return Fail("no such tab");
        }
        const LPARAM where = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(tabs, WM_LBUTTONUP, 0, where);
        return Answers(dialog) ? 0 : Fail("Mirelka did not answer");
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Plain LF line ends: the scripts reading this are bash.
    _setmode(_fileno(stdout), _O_BINARY);
    const int status = Run(argc, argv);
    if (status == 2) {
        std::fprintf(stderr, "MirelkaDemoDriver: bad command; see demo/DemoDriver.cpp\n");
    }
    std::fflush(stdout);
    return status;
}
