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

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "resources/ResourceIds.h"

namespace {

using namespace mirelka::driver;

constexpr DWORD kDefaultTimeoutMs = 15000;

void PrintRect(const RECT& rect) {
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(rect.left), static_cast<long>(rect.top),
                static_cast<long>(rect.right - rect.left),
                static_cast<long>(rect.bottom - rect.top));
}

void PrintWindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    PrintRect(rect);
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

// Mirelka started by someone else, once its dialog exists.
std::optional<Process> FindMirelka(DWORD timeoutMs) {
    HWND dialog = PollUntil(timeoutMs, [] { return FindMainDialog(0); });
    if (dialog == nullptr) {
        return std::nullopt;
    }
    DWORD id = 0;
    GetWindowThreadProcessId(dialog, &id);
    return Process::Attach(id);
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::wstring command = argv[1];

    if (command == L"resident" || command == L"dialog") {
        const bool shown = command == L"dialog";
        const DWORD timeoutMs = TimeoutArg(argc, argv, 2);
        const std::optional<Process> mirelka = FindMirelka(timeoutMs);
        HWND dialog = !mirelka ? nullptr
                      : shown  ? WaitForMainDialog(*mirelka, timeoutMs)
                               : WaitForMirelka(*mirelka, Stage::Resident, timeoutMs);
        if (dialog == nullptr || !WaitUntil(timeoutMs, [&] { return TrayIconExists(dialog); }) ||
            (shown && !WaitForPaint(dialog, timeoutMs))) {
            return Fail(shown ? "the settings window did not show" : "Mirelka is not resident");
        }
        if (shown) {
            PrintWindowRect(dialog);
        }
        return 0;
    }
    if (command == L"ended") {
        return WaitUntil(TimeoutArg(argc, argv, 2), [] { return FindMainDialog(0) == nullptr; })
                   ? 0
                   : Fail("Mirelka did not end");
    }
    if (command == L"mode") {
        const std::optional<ScreenMode> mode = RegistryMode();
        if (!mode) {
            return Fail("no registry mode");
        }
        std::printf("%lu %lu %lu %lu\n", static_cast<unsigned long>(mode->width),
                    static_cast<unsigned long>(mode->height),
                    static_cast<unsigned long>(mode->bitsPerPixel),
                    static_cast<unsigned long>(mode->frequency));
        return 0;
    }
    if (command == L"wait-mode") {
        if (argc < 6) {
            return 2;
        }
        DWORD wanted[4];
        for (int i = 0; i < 4; ++i) {
            wanted[i] = static_cast<DWORD>(std::wcstoul(argv[2 + i], nullptr, 10));
        }
        return WaitForRegistryMode(ScreenMode{wanted[0], wanted[1], wanted[2], wanted[3]},
                                   TimeoutArg(argc, argv, 6))
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
            const std::vector<HWND> windows = TopLevelWindows(0, className, title);
            for (HWND window : windows) {
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            return windows.empty() ? Fail("no such window to close") : 0;
        }
        const DWORD timeoutMs = TimeoutArg(argc, argv, 4);
        if (command == L"gone") {
            return WaitUntil(timeoutMs,
                             [&] { return TopLevelWindows(0, className, title).empty(); })
                       ? 0
                       : Fail("the window stayed");
        }
        HWND window = PollUntil(timeoutMs, [&]() -> HWND {
            const std::vector<HWND> windows = TopLevelWindows(0, className, title);
            return windows.empty() ? nullptr : windows.front();
        });
        if (window == nullptr || !RoundTrip(window) || !WaitForPaint(window, timeoutMs)) {
            return Fail("the window did not show");
        }
        PrintWindowRect(window);
        return 0;
    }
    if (command == L"menus") {
        if (argc < 3) {
            return 2;
        }
        const std::size_t count = std::wcstoul(argv[2], nullptr, 10);
        std::vector<HWND> menus;
        const bool ok = WaitUntil(TimeoutArg(argc, argv, 3), [&] {
            menus = PopupMenus(0);
            if (menus.size() != count) {
                return false;
            }
            for (HWND menu : menus) {
                if (GetUpdateRect(menu, nullptr, FALSE)) {
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
            const std::vector<HWND> menus = PopupMenus(0);
            if (menus.empty()) {
                return Fail("no popup menu is open");
            }
            // The menu's modal loop reads every message of its thread, whichever window.
            PostKey(menus.front(), key);
            Sleep(150);
        }
        return 0;
    }

    HWND dialog = FindMainDialog(0);
    if (dialog == nullptr) {
        return Fail("Mirelka is not running");
    }
    if (command == L"tray") {
        // Where a user's right click would be: the popup menu opens at the cursor.
        const POINT icon = TrayIconPoint();
        SetCursorPos(icon.x, icon.y);
        PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
        return 0;
    }
    if (command == L"command" && argc >= 3) {
        PostCommand(dialog, static_cast<int>(std::wcstoul(argv[2], nullptr, 10)));
        return 0;
    }
    if (command == L"title" && argc >= 3) {
        ChooseComboItem(GetDlgItem(dialog, IDC_TITLE),
                        static_cast<int>(std::wcstoul(argv[2], nullptr, 10)));
        return RoundTrip(dialog) ? 0 : Fail("Mirelka did not answer");
    }
    if (command == L"tab" && argc >= 3) {
        if (!ClickTab(GetDlgItem(dialog, IDC_TAB),
                      static_cast<int>(std::wcstol(argv[2], nullptr, 10)))) {
            return Fail("no such tab");
        }
        return RoundTrip(dialog) ? 0 : Fail("Mirelka did not answer");
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Plain LF line ends: the scripts reading this are bash.
    _setmode(_fileno(stdout), _O_BINARY);
    int status = 1;
    try {
        status = Run(argc, argv);
    } catch (const std::exception& error) {
        status = Fail(error.what());
    }
    if (status == 2) {
        std::fprintf(stderr, "MirelkaDemoDriver: bad command; see demo/DemoDriver.cpp\n");
    }
    std::fflush(stdout);
    return status;
}
