// A program for Mirelka to launch in the demo: its window shows, in large type, the display
// mode it runs under and the folder it was started in, so both changes are plain to see.
//
//   MirelkaDemo.exe                                  shows the window until it is closed
//   MirelkaDemo.exe /make-shortcut LNK [TARGET [DIR]]
//       saves a shortcut LNK to TARGET (default: this program) with the working folder DIR
//       (default: TARGET's folder); exit status 0 on success
#include <windows.h>

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"MirelkaDemo";
constexpr wchar_t kTitle[] = L"Mirelka demo / デモ";

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

// Released at scope end; the demo needs no more of COM than this.
template <typename T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p != nullptr) {
            p->Release();
        }
    }
};

int MakeShortcut(const wchar_t* linkPath, const std::wstring& target, const std::wstring& folder) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 2;
    }
    HRESULT result = E_FAIL;
    {
        Com<IShellLinkW> link;
        Com<IPersistFile> file;
        result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link.p));
        if (SUCCEEDED(result)) {
            link.p->SetPath(target.c_str());
            link.p->SetWorkingDirectory(folder.c_str());
            link.p->SetDescription(L"Mirelka demo");
            result = link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p));
        }
        if (SUCCEEDED(result)) {
            result = file.p->Save(linkPath, TRUE);
        }
    }
    CoUninitialize();
    if (FAILED(result)) {
        std::fprintf(stderr, "MirelkaDemo: cannot save the shortcut (0x%08lX)\n",
                     static_cast<unsigned long>(result));
        return 1;
    }
    return 0;
}

// The registry mode: under Wine a new process reads the current colour depth as 32 whatever
// it is, while the registry holds what was last set.
std::wstring ModeText() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(nullptr, ENUM_REGISTRY_SETTINGS, &mode)) {
        return L"?";
    }
    wchar_t text[96];
    std::swprintf(text, std::size(text), L"%lu×%lu×%lu  %luHz",
                  static_cast<unsigned long>(mode.dmPelsWidth),
                  static_cast<unsigned long>(mode.dmPelsHeight),
                  static_cast<unsigned long>(mode.dmBitsPerPel),
                  static_cast<unsigned long>(mode.dmDisplayFrequency));
    return text;
}

std::wstring CurrentFolder() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    folder.resize(GetCurrentDirectoryW(length, folder.data()));
    return folder;
}

struct Fonts {
    HFONT label = nullptr;
    HFONT value = nullptr;
    HFONT note = nullptr;
    HFONT path = nullptr;
};
Fonts g_fonts;
std::wstring g_folder;

HFONT MakeFont(int pixels, int weight) {
    // The message font's face: the one the system has for this locale's script.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
    }
    font.lfHeight = -pixels;
    font.lfWidth = 0;
    font.lfWeight = weight;
    font.lfQuality = ANTIALIASED_QUALITY;
    return CreateFontIndirectW(&font);
}

void Paint(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);

    const int margin = 24;
    int y = 20;
    auto line = [&](HFONT font, COLORREF colour, const std::wstring& text, int gapAfter) {
        SelectObject(dc, font);
        SetTextColor(dc, colour);
        RECT box{margin, y, client.right - margin, client.bottom};
        // A long folder keeps its end, the part that tells which folder it is.
        const UINT layout = font == g_fonts.path ? DT_SINGLELINE | DT_PATH_ELLIPSIS : DT_WORDBREAK;
        const int height =
            DrawTextW(dc, text.c_str(), -1, &box, DT_LEFT | DT_TOP | DT_NOPREFIX | layout);
        y += height + gapAfter;
    };
    const COLORREF grey = RGB(90, 90, 90);
    const COLORREF ink = RGB(0, 0, 0);
    const COLORREF blue = RGB(0, 70, 160);
    line(g_fonts.label, grey, L"Display mode / 画面モード", 4);
    line(g_fonts.value, blue, ModeText(), 20);
    line(g_fonts.label, grey, L"Folder / 作業フォルダ", 4);
    line(g_fonts.path, ink, g_folder, 20);
    line(g_fonts.note, grey,
         L"Close this window to end the demo.\nこのウィンドウを閉じるとデモは終了します。", 0);
    EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_DISPLAYCHANGE:
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

int ShowWindowUntilClosed(HINSTANCE instance, int show) {
    g_folder = CurrentFolder();
    g_fonts.label = MakeFont(22, FW_NORMAL);
    g_fonts.value = MakeFont(44, FW_BOLD);
    g_fonts.note = MakeFont(20, FW_NORMAL);
    g_fonts.path = MakeFont(18, FW_NORMAL);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) {
        return 1;
    }
    // Fits a 640x480 screen, the smallest mode Mirelka offers.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, 580, 280};
    AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 3;
    HWND window = CreateWindowExW(0, kClassName, kTitle, style, x > 0 ? x : 0, y > 0 ? y : 0, width,
                                  height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, show);
    SetForegroundWindow(window);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    for (HFONT font : {g_fonts.label, g_fonts.value, g_fonts.note, g_fonts.path}) {
        DeleteObject(font);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int status = 0;
    if (argv != nullptr && argc >= 3 && argc <= 5 && std::wcscmp(argv[1], L"/make-shortcut") == 0) {
        const std::wstring target = argc >= 4 ? argv[3] : ModulePath();
        status = MakeShortcut(argv[2], target, argc >= 5 ? argv[4] : FolderOf(target));
    } else if (argv != nullptr && argc > 1) {
        std::fprintf(stderr, "usage: MirelkaDemo.exe [/make-shortcut LNK [TARGET [DIR]]]\n");
        status = 2;
    } else {
        status = ShowWindowUntilClosed(instance, show);
    }
    LocalFree(argv);
    return status;
}
