#include "Harness.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <utility>

#include "resources/ResourceIds.h"

namespace mirelka::e2e {

namespace {

std::string LastErrorText(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// Polls until ready() gives something truthy, the time is up or giveUp() says there is no
// point waiting; returns the last answer.
template <typename Ready, typename GiveUp>
auto PollUntil(DWORD timeoutMs, Ready ready, GiveUp giveUp) -> decltype(ready()) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const bool last = giveUp() || std::chrono::steady_clock::now() >= deadline;
        auto result = ready();
        if (result || last) {
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

template <typename Ready>
auto PollUntil(DWORD timeoutMs, Ready ready) -> decltype(ready()) {
    return PollUntil(timeoutMs, ready, [] { return false; });
}

// A hung target must fail the test, not hang it.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            kActionTimeoutMs, &answer) == 0) {
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

std::wstring ClassName(HWND window) {
    std::array<wchar_t, 256> name{};
    const int length = GetClassNameW(window, name.data(), static_cast<int>(name.size()));
    return std::wstring(name.data(), static_cast<std::size_t>(std::max(length, 0)));
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry{};
    HANDLE found = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (found != INVALID_HANDLE_VALUE) {
        const UniqueAny<HANDLE, FindClose, detail::InvalidHandle> search(found);
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search.get(), &entry));
    }
    RemoveDirectoryW(path.c_str());
}

std::wstring& StoredMirelkaPath() {
    static std::wstring path;
    return path;
}

}  // namespace

// ---- text ----------------------------------------------------------------------------

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) {
        throw std::runtime_error("not UTF-8: " + std::string(utf8));
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::vector<std::string> Utf8(const std::vector<std::wstring>& wide) {
    std::vector<std::string> utf8;
    for (const std::wstring& text : wide) {
        utf8.push_back(Utf8(text));
    }
    return utf8;
}

std::string Cp932(std::string_view utf8) {
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(932, 0, wide.data(), size, nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) {
        throw std::runtime_error("no code page 932 form: " + std::string(utf8));
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(932, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string DataFileBytes(const std::vector<std::string>& utf8Lines) {
    std::string bytes;
    for (const std::string& line : utf8Lines) {
        bytes += Cp932(line);
        bytes += "\r\n";
    }
    return bytes;
}

// ---- the program under test -------------------------------------------------------

void SetMirelkaPath(std::wstring path) {
    StoredMirelkaPath() = std::move(path);
}

const std::wstring& MirelkaPath() {
    return StoredMirelkaPath();
}

std::wstring& StoredProbePath() {
    static std::wstring path;
    return path;
}

void SetProbePath(std::wstring path) {
    StoredProbePath() = std::move(path);
}

const std::wstring& ProbePath() {
    return StoredProbePath();
}

// ---- files --------------------------------------------------------------------------

TempFolder::TempFolder() {
    std::array<wchar_t, MAX_PATH + 1> temp{};
    const DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
    if (length == 0 || length >= temp.size()) {
        throw std::runtime_error(LastErrorText("GetTempPathW"));
    }
    const std::wstring base(temp.data(), length);
    const std::wstring stem = base + L"mirelka-e2e-" + std::to_wstring(GetCurrentProcessId());
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = stem + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = std::move(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error(LastErrorText("CreateDirectoryW"));
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

std::wstring TempFolder::PathOf(std::wstring_view name) const {
    return path_ + L"\\" + std::wstring(name);
}

std::wstring TempFolder::MakeFolder(std::wstring_view name) const {
    std::wstring path = PathOf(name);
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        throw std::runtime_error(LastErrorText("CreateDirectoryW"));
    }
    return path;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw std::runtime_error(LastErrorText("CreateFileW") + ": " + Utf8(path));
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw std::runtime_error(LastErrorText("WriteFile") + ": " + Utf8(path));
    }
}

void CopyInto(const std::wstring& source, const std::wstring& target) {
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error(LastErrorText("CopyFileW") + ": " + Utf8(source) + " -> " +
                                 Utf8(target));
    }
}

// ---- processes ----------------------------------------------------------------------

Process Process::Start(const std::wstring& exe, const std::wstring& currentDirectory) {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) {
        throw std::runtime_error(LastErrorText("CreateJobObjectW"));
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        throw std::runtime_error(LastErrorText("SetInformationJobObject"));
    }

    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Suspended until it is in the job, so not even its first instant escapes the job.
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, currentDirectory.c_str(), &startup, &info)) {
        throw std::runtime_error(LastErrorText("CreateProcessW") + ": " + Utf8(exe));
    }
    UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get())) {
        const std::string error = LastErrorText("AssignProcessToJobObject");
        TerminateProcess(process.get(), 1);
        throw std::runtime_error(error);
    }
    ResumeThread(thread.get());
    return Process(std::move(job), std::move(process), info.dwProcessId);
}

Process::~Process() {
    Terminate();
}

bool Process::IsRunning() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
    if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) {
        return std::nullopt;
    }
    return code;
}

void Process::Terminate() {
    if (IsRunning()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), kActionTimeoutMs);
    }
}

// ---- windows ------------------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className,
                                  std::wstring_view title) {
    struct Search {
        DWORD processId;
        std::wstring_view className;
        std::wstring_view title;
        std::vector<HWND> found;
    } search{processId, className, title, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId && IsWindowVisible(window) &&
                ClassName(window) == s.className && WindowText(window) == s.title) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Describe(const Process& process) {
    struct Search {
        DWORD processId;
        std::string text;
    } search{process.Id(), {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId) {
                s.text += "\n  " + Utf8(ClassName(window)) + " \"" + Utf8(WindowText(window)) +
                          "\"" + (IsWindowVisible(window) ? " (visible)" : "");
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    const std::optional<DWORD> exitCode = process.WaitForExit(0);
    const std::string state =
        exitCode ? "ended with exit code " + std::to_string(*exitCode) : std::string("running");
    return "Mirelka.exe " + state +
           "; its windows:" + (search.text.empty() ? " none" : search.text);
}

bool IsMessageBox(HWND window) {
    // The text of a message box is the static control 0xFFFF; the main dialog has none.
    return GetDlgItem(window, 0xFFFF) != nullptr && GetDlgItem(window, IDC_TITLE) == nullptr;
}

HWND WaitForMainDialog(const Process& process, DWORD timeoutMs) {
    // Visible means WM_INITDIALOG is over: a dialog template's WS_VISIBLE takes effect after.
    HWND dialog = PollUntil(
        timeoutMs,
        [&]() -> HWND {
            for (HWND window : TopLevelWindows(process.Id(), L"#32770", L"Mirelka")) {
                if (GetDlgItem(window, IDC_TITLE) != nullptr) {
                    return window;
                }
            }
            return nullptr;
        },
        [&] { return !process.IsRunning(); });
    LRESULT ignored = 0;
    // One round trip: the dialog's thread has got to its message loop.
    if (dialog != nullptr && !SendWithTimeout(dialog, WM_NULL, 0, 0, ignored)) {
        return nullptr;
    }
    return dialog;
}

HWND WaitForMessageBox(const Process& process, DWORD timeoutMs) {
    return PollUntil(
        timeoutMs,
        [&]() -> HWND {
            for (HWND window : TopLevelWindows(process.Id(), L"#32770", L"Mirelka")) {
                if (IsMessageBox(window)) {
                    return window;
                }
            }
            return nullptr;
        },
        [&] { return !process.IsRunning(); });
}

std::wstring WindowText(HWND window) {
    LRESULT length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length) || length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                         copied)) {
        return {};
    }
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

std::wstring MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, 0xFFFF));
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    LRESULT count = 0;
    // An unreadable box must not pass for an empty one.
    if (combo == nullptr || !SendWithTimeout(combo, CB_GETCOUNT, 0, 0, count) || count < 0) {
        throw std::runtime_error("CB_GETCOUNT failed");
    }
    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
        LRESULT length = 0;
        if (!SendWithTimeout(combo, CB_GETLBTEXTLEN, i, 0, length) || length < 0) {
            throw std::runtime_error("CB_GETLBTEXTLEN failed for item " + std::to_string(i));
        }
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        LRESULT copied = 0;
        if (!SendWithTimeout(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                             copied) ||
            copied < 0) {
            throw std::runtime_error("CB_GETLBTEXT failed for item " + std::to_string(i));
        }
        text.resize(static_cast<std::size_t>(std::min(copied, length)));
        items.push_back(std::move(text));
    }
    return items;
}

std::ostream& operator<<(std::ostream& out, StandardIcon icon) {
    switch (icon) {
        case StandardIcon::None:
            return out << "no standard icon";
        case StandardIcon::Error:
            return out << "the error icon";
        case StandardIcon::Warning:
            return out << "the warning icon";
        case StandardIcon::Information:
            return out << "the information icon";
        case StandardIcon::Question:
            return out << "the question icon";
    }
    return out << "?";
}

namespace {

inline HDC NullDc() {
    return nullptr;
}
inline HBITMAP NullBitmap() {
    return nullptr;
}
inline void DeleteDcChecked(HDC dc) {
    DeleteDC(dc);
}
inline void DeleteBitmapChecked(HBITMAP bitmap) {
    DeleteObject(bitmap);
}
using UniqueDc = UniqueAny<HDC, DeleteDcChecked, NullDc>;
using UniqueBitmap = UniqueAny<HBITMAP, DeleteBitmapChecked, NullBitmap>;

// A 32-bit top-down bitmap in a memory DC, its pixels readable in place.
class Canvas {
public:
    Canvas(int width, int height)
        : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dc_ || !bitmap_ || bits == nullptr) {
            throw std::runtime_error(LastErrorText("CreateDIBSection"));
        }
        pixels_ = static_cast<const std::uint32_t*>(bits);
        previous_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~Canvas() { SelectObject(dc_.get(), previous_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_.get(); }
    // Call GdiFlush() between drawing and reading.
    std::uint32_t Pixel(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                       static_cast<std::size_t>(x)] &
               0x00FFFFFFu;
    }
    void Fill(COLORREF colour) const {
        const RECT all{0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc_.get(), &all, brush);
        DeleteObject(brush);
    }

private:
    int width_;
    int height_;
    UniqueDc dc_;
    UniqueBitmap bitmap_;
    const std::uint32_t* pixels_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

HWND IconControl(HWND box) {
    HWND found = nullptr;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM context) -> BOOL {
            const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
            if (ClassName(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON &&
                IsWindowVisible(child)) {
                *reinterpret_cast<HWND*>(context) = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The share of the icon's opaque pixels that the screen shows unchanged, 0 to 1.
double Match(const Canvas& screen, int width, int height, HICON icon) {
    // Drawn on black and on white: where both agree the icon is opaque, and only there
    // does its pixel not depend on the background.
    const Canvas onBlack(width, height);
    const Canvas onWhite(width, height);
    onBlack.Fill(RGB(0, 0, 0));
    onWhite.Fill(RGB(255, 255, 255));
    DrawIconEx(onBlack.Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    DrawIconEx(onWhite.Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    int opaque = 0;
    int same = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = onBlack.Pixel(x, y);
            if (pixel != onWhite.Pixel(x, y)) {
                continue;
            }
            ++opaque;
            if (screen.Pixel(x, y) == pixel) {
                ++same;
            }
        }
    }
    return opaque == 0 ? 0.0 : static_cast<double>(same) / opaque;
}

}  // namespace

StandardIcon MessageBoxIcon(HWND box) {
    HWND control = IconControl(box);
    RECT client{};
    if (control == nullptr || !GetClientRect(control, &client) || client.right <= 0 ||
        client.bottom <= 0) {
        return StandardIcon::None;
    }
    POINT origin{0, 0};
    ClientToScreen(control, &origin);
    const int width = client.right;
    const int height = client.bottom;

    const Canvas screen(width, height);
    HDC screenDc = GetDC(nullptr);
    const BOOL copied =
        BitBlt(screen.Dc(), 0, 0, width, height, screenDc, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screenDc);
    GdiFlush();
    if (!copied) {
        return StandardIcon::None;
    }

    const std::pair<StandardIcon, LPCWSTR> candidates[] = {
        {StandardIcon::Error, IDI_ERROR},
        {StandardIcon::Warning, IDI_WARNING},
        {StandardIcon::Information, IDI_INFORMATION},
        {StandardIcon::Question, IDI_QUESTION},
    };
    StandardIcon best = StandardIcon::None;
    double bestMatch = 0.95;  // below this the box is not (yet) showing that icon
    for (const auto& [kind, id] : candidates) {
        const double match = Match(screen, width, height, LoadIconW(nullptr, id));
        if (match >= bestMatch) {
            best = kind;
            bestMatch = match;
        }
    }
    return best;
}

StandardIcon WaitForMessageBoxIcon(HWND box, DWORD timeoutMs) {
    return PollUntil(timeoutMs,
                     [&]() -> std::optional<StandardIcon> {
                         const StandardIcon icon = MessageBoxIcon(box);
                         return icon != StandardIcon::None ? std::optional(icon) : std::nullopt;
                     })
        .value_or(StandardIcon::None);
}

void PostCommand(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

}  // namespace mirelka::e2e

// ---- the notification icon, menus, keys, tabs, files and screenshots ------------------

namespace mirelka::e2e {

namespace {

// Every top-level window of the process with this class, visible or not.
std::vector<HWND> AllTopLevelWindows(DWORD processId, std::wstring_view className) {
    struct Search {
        DWORD processId;
        std::wstring_view className;
        std::vector<HWND> found;
    } search{processId, className, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId && ClassName(window) == s.className) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

NOTIFYICONDATAW IconRecord(HWND dialog) {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = dialog;
    record.uID = kTrayIconId;
    return record;
}

// Memory in another process, freed with this.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return address_; }

private:
    HANDLE process_;
    void* address_;
};

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::wstring EnvironmentVariable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(std::min<std::size_t>(length, value.size()));
    return value;
}

// A Linux path from the environment names a file on Wine's drive for the root.
std::wstring ToWindowsPath(const std::wstring& path) {
    if (path.empty() || path.front() != L'/') {
        return path;
    }
    using ToDos = LPWSTR(CDECL*)(LPCSTR);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    LPWSTR dos = toDos != nullptr ? toDos(Utf8(path).c_str()) : nullptr;
    if (dos == nullptr) {
        return path;
    }
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

std::wstring ArtifactFolder() {
    std::wstring folder = ToWindowsPath(EnvironmentVariable(L"MIRELKA_ARTIFACTS"));
    if (!folder.empty()) {
        CreateDirectoryW(folder.c_str(), nullptr);
        return folder;
    }
    std::array<wchar_t, MAX_PATH + 1> temp{};
    const DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
    folder.assign(temp.data(), std::min<std::size_t>(length, temp.size()));
    while (!folder.empty() && folder.back() == L'\\') {
        folder.pop_back();
    }
    return folder;
}

}  // namespace

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done) {
    return PollUntil(timeoutMs, done);
}

bool RoundTrip(HWND window) {
    LRESULT ignored = 0;
    return SendWithTimeout(window, WM_NULL, 0, 0, ignored);
}

bool WaitForPostedMessages(HWND dialog) {
    // A posted change that a sent query reads back: once it shows, whatever was posted
    // before it has been handled. The marker is the text limit of the read-only target
    // box: nobody types there, and both values are far beyond any path.
    HWND edit = GetDlgItem(dialog, IDC_TARGET);
    LRESULT limit = 0;
    if (edit == nullptr || !SendWithTimeout(edit, EM_GETLIMITTEXT, 0, 0, limit)) {
        return false;
    }
    constexpr LRESULT kMarkers[] = {0x100000, 0x100001};
    const LRESULT marker = limit == kMarkers[0] ? kMarkers[1] : kMarkers[0];
    PostMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(marker), 0);
    return PollUntil(kActionTimeoutMs, [&] {
        LRESULT now = 0;
        return SendWithTimeout(edit, EM_GETLIMITTEXT, 0, 0, now) && now == marker;
    });
}

HWND WaitForWindow(const Process& process, std::wstring_view className, std::wstring_view title,
                   DWORD timeoutMs) {
    return PollUntil(
        timeoutMs,
        [&]() -> HWND {
            const std::vector<HWND> found = TopLevelWindows(process.Id(), className, title);
            return found.empty() ? nullptr : found.front();
        },
        [&] { return !process.IsRunning(); });
}

bool ShowsMessageBox(const Process& process) {
    // Not only visible ones: a dialog box may show itself only once its queue is empty.
    for (HWND window : AllTopLevelWindows(process.Id(), L"#32770")) {
        if (IsMessageBox(window) && WindowText(window) == L"Mirelka") {
            return true;
        }
    }
    return false;
}

bool MessageBoxShowsIcon(HWND box) {
    // Wine keeps the icon control of a box without an icon, only empty.
    HWND control = IconControl(box);
    LRESULT icon = 0;
    return control != nullptr && SendWithTimeout(control, STM_GETICON, 0, 0, icon) && icon != 0;
}

void PostTrayMouseMessage(HWND dialog, UINT mouseMessage) {
    PostMessageW(dialog, kTrayCallbackMessage, kTrayIconId, static_cast<LPARAM>(mouseMessage));
}

bool TrayIconExists(HWND dialog) {
    NOTIFYICONDATAW record = IconRecord(dialog);
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

bool DeleteTrayIcon(HWND dialog) {
    NOTIFYICONDATAW record = IconRecord(dialog);
    return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

std::vector<HWND> PopupMenus(DWORD processId) {
    std::vector<HWND> menus = AllTopLevelWindows(processId, L"#32768");
    menus.erase(std::remove_if(menus.begin(), menus.end(),
                               [](HWND menu) { return IsWindowVisible(menu) == FALSE; }),
                menus.end());
    return menus;
}

HWND WaitForPopupMenus(const Process& process, std::size_t count, DWORD timeoutMs) {
    return PollUntil(
        timeoutMs,
        [&]() -> HWND {
            const std::vector<HWND> menus = PopupMenus(process.Id());
            return menus.size() == count ? menus.front() : nullptr;
        },
        [&] { return !process.IsRunning(); });
}

bool WaitForNoPopupMenu(const Process& process, DWORD timeoutMs) {
    return PollUntil(timeoutMs, [&] { return PopupMenus(process.Id()).empty(); });
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!SendWithTimeout(window, message, wParam, lParam, result)) {
        throw std::runtime_error("message " + std::to_string(message) +
                                 " was not answered in time");
    }
    return result;
}

void SetControlText(HWND control, std::wstring_view text) {
    const std::wstring terminated(text);
    if (Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str())) == FALSE) {
        throw std::runtime_error("WM_SETTEXT failed: " + Utf8(text));
    }
}

void ChooseComboItem(HWND combo, int index) {
    if (Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index)) != index) {
        throw std::runtime_error("no combo box item " + std::to_string(index));
    }
    const auto id = static_cast<WORD>(GetDlgCtrlID(combo));
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void PostKey(HWND window, UINT virtualKey) {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    // Repeat count 1; a release also has the previous-state and transition bits.
    const UINT down = 1u | (scanCode << 16);
    const UINT up = down | (1u << 30) | (1u << 31);
    PostMessageW(window, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(down));
    PostMessageW(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(up));
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

bool ClickTab(HWND tabControl, int index) {
    DWORD processId = 0;
    GetWindowThreadProcessId(tabControl, &processId);
    const UniqueHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process) {
        return false;
    }
    // TCM_GETITEMRECT writes through its pointer, which only means something over there.
    const RemoteBuffer buffer(process.get(), sizeof(RECT));
    LRESULT found = 0;
    RECT rect{};
    SIZE_T read = 0;
    if (buffer.Address() == nullptr ||
        !SendWithTimeout(tabControl, TCM_GETITEMRECT, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(buffer.Address()), found) ||
        found == 0 ||
        !ReadProcessMemory(process.get(), buffer.Address(), &rect, sizeof rect, &read) ||
        read != sizeof rect) {
        return false;
    }
    const LPARAM where = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageW(tabControl, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(tabControl, WM_LBUTTONUP, 0, where);
    return true;
}

bool operator==(const FileSnapshot& a, const FileSnapshot& b) {
    return a.exists == b.exists && a.bytes == b.bytes && a.lastWrite == b.lastWrite;
}

std::ostream& operator<<(std::ostream& out, const FileSnapshot& file) {
    if (!file.exists) {
        return out << "(no file)";
    }
    out << "modified at " << file.lastWrite << ", " << file.bytes.size() << " bytes: \"";
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : file.bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out << c;
        } else {
            out << "\\x" << kHex[byte >> 4] << kHex[byte & 0xF];
        }
    }
    return out << "\"";
}

FileSnapshot Snapshot(const std::wstring& path) {
    FileSnapshot snapshot;
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            throw std::runtime_error(LastErrorText("CreateFileW") + ": " + Utf8(path));
        }
        return snapshot;
    }
    snapshot.exists = true;
    FILETIME written{};
    if (!GetFileTime(file.get(), nullptr, nullptr, &written)) {
        throw std::runtime_error(LastErrorText("GetFileTime") + ": " + Utf8(path));
    }
    snapshot.lastWrite = Ticks(written);
    std::array<char, 4096> chunk{};
    DWORD got = 0;
    while (ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) &&
           got > 0) {
        snapshot.bytes.append(chunk.data(), got);
    }
    return snapshot;
}

void Backdate(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    SYSTEMTIME old{};
    old.wYear = 2001;
    old.wMonth = 2;
    old.wDay = 3;
    old.wHour = 4;
    FILETIME time{};
    if (!file || !SystemTimeToFileTime(&old, &time) ||
        !SetFileTime(file.get(), nullptr, nullptr, &time)) {
        throw std::runtime_error(LastErrorText("SetFileTime") + ": " + Utf8(path));
    }
}

std::wstring SaveScreenshot(std::wstring_view name, HWND window) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window != nullptr && !GetWindowRect(window, &area)) {
        throw std::runtime_error(LastErrorText("GetWindowRect"));
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const Canvas canvas(width, height);
    HDC screen = GetDC(nullptr);
    const BOOL copied =
        BitBlt(canvas.Dc(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    if (!copied) {
        throw std::runtime_error(LastErrorText("BitBlt"));
    }

    // 24 bits per pixel, rows bottom-up and padded to 4 bytes: the plainest BMP.
    const auto stride = static_cast<std::size_t>((width * 3 + 3) & ~3);
    std::string pixels(stride * static_cast<std::size_t>(height), '\0');
    for (int y = 0; y < height; ++y) {
        char* row = pixels.data() + stride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = canvas.Pixel(x, y);
            row[3 * x + 0] = static_cast<char>(pixel & 0xFF);
            row[3 * x + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = static_cast<DWORD>(sizeof header + sizeof info);
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;

    const std::wstring path = ArtifactFolder() + L"\\" + std::wstring(name);
    WriteBytes(path, bytes);
    std::printf("[ artefact ] %s\n", Utf8(path).c_str());
    std::fflush(stdout);
    return path;
}

}  // namespace mirelka::e2e

// ---- the mode list, the display mode, the launch probe's log, folders -----------------

namespace mirelka::e2e {

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    LRESULT count = 0;
    if (list == nullptr || !SendWithTimeout(list, LB_GETCOUNT, 0, 0, count) || count < 0) {
        throw std::runtime_error("LB_GETCOUNT failed");
    }
    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
        LRESULT length = 0;
        if (!SendWithTimeout(list, LB_GETTEXTLEN, i, 0, length) || length < 0) {
            throw std::runtime_error("LB_GETTEXTLEN failed for item " + std::to_string(i));
        }
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        LRESULT copied = 0;
        if (!SendWithTimeout(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()), copied) ||
            copied < 0) {
            throw std::runtime_error("LB_GETTEXT failed for item " + std::to_string(i));
        }
        text.resize(static_cast<std::size_t>(std::min(copied, length)));
        items.push_back(std::move(text));
    }
    return items;
}

namespace {

// Sent messages overtake posted ones: before the list is scrolled for a click, what was
// posted to it earlier (keys, clicks) must have been handled. A posted horizontal extent
// (no effect on a list without a horizontal scroll bar) shows when it has.
void DrainPostedMessages(HWND list) {
    static WPARAM marker = 1000;
    ++marker;
    PostMessageW(list, LB_SETHORIZONTALEXTENT, marker, 0);
    const bool drained = PollUntil(kActionTimeoutMs, [&] {
        LRESULT extent = 0;
        return SendWithTimeout(list, LB_GETHORIZONTALEXTENT, 0, 0, extent) &&
               static_cast<WPARAM>(extent) == marker;
    });
    if (!drained) {
        throw std::runtime_error("the list did not handle its posted messages in time");
    }
}

}  // namespace

HWND WaitForStartedMainDialog(const Process& process, DWORD timeoutMs) {
    HWND dialog = PollUntil(
        timeoutMs,
        [&]() -> HWND {
            for (HWND window : AllTopLevelWindows(process.Id(), L"#32770")) {
                if (GetDlgItem(window, IDC_TITLE) != nullptr && WindowText(window) == L"Mirelka") {
                    return window;
                }
            }
            return nullptr;
        },
        [&] { return !process.IsRunning(); });
    if (dialog == nullptr) {
        return nullptr;
    }
    try {
        DrainPostedMessages(GetDlgItem(dialog, IDC_MODE_LIST));
    } catch (const std::runtime_error&) {
        return nullptr;
    }
    return dialog;
}

HWND WaitForResidentMainDialog(const Process& process, DWORD timeoutMs) {
    HWND dialog = WaitForStartedMainDialog(process, timeoutMs);
    if (dialog == nullptr ||
        !PollUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog) == FALSE; })) {
        return nullptr;
    }
    return dialog;
}

void ClickListItem(HWND list, int index, ItemPart part) {
    DrainPostedMessages(list);
    LRESULT answer = 0;
    RECT item{};
    RECT client{};
    // LB_GETITEMRECT fills a rectangle over here: Wine carries it back across processes.
    if (!SendWithTimeout(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0, answer) ||
        !SendWithTimeout(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&item), answer) ||
        answer == LB_ERR || !GetClientRect(list, &client) || item.top < client.top ||
        item.bottom > client.bottom || item.bottom <= item.top) {
        throw std::runtime_error("list item " + std::to_string(index) + " is not in view");
    }
    // Mirelka draws the box SM_CYMENUCHECK wide, 2 pixels in from the item's left.
    const int box = GetSystemMetrics(SM_CYMENUCHECK);
    const int x = part == ItemPart::CheckBox
                      ? item.left + 2 + box / 2
                      : std::max(item.left + box + 12, (item.left + item.right) / 2);
    const LPARAM where = MAKELPARAM(x, (item.top + item.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(list, WM_LBUTTONUP, 0, where);
}

void PressSpaceOnListItem(HWND list, int index) {
    PostKey(list, VK_HOME);
    for (int i = 0; i < index; ++i) {
        PostKey(list, VK_DOWN);
    }
    PostKey(list, VK_SPACE);
}

bool AnswersWithin(HWND window, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, timeoutMs, &ignored) != 0;
}

bool WaitForPaint(HWND window, DWORD timeoutMs) {
    return PollUntil(timeoutMs, [&] { return GetUpdateRect(window, nullptr, FALSE) == FALSE; });
}

bool operator==(const ScreenMode& a, const ScreenMode& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.frequency == b.frequency;
}

bool operator!=(const ScreenMode& a, const ScreenMode& b) {
    return !(a == b);
}

std::ostream& operator<<(std::ostream& out, const ScreenMode& mode) {
    return out << mode.width << "x" << mode.height << "x" << mode.bitsPerPixel << " "
               << mode.frequency << "Hz";
}

namespace {

std::optional<ScreenMode> EnumeratedMode(DWORD number) {
    DEVMODEW record{};
    record.dmSize = sizeof record;
    if (!EnumDisplaySettingsW(nullptr, number, &record)) {
        return std::nullopt;
    }
    return ScreenMode{record.dmPelsWidth, record.dmPelsHeight, record.dmBitsPerPel,
                      record.dmDisplayFrequency};
}

}  // namespace

std::vector<ScreenMode> DriverModes() {
    std::vector<ScreenMode> modes;
    for (DWORD number = 0;; ++number) {
        const std::optional<ScreenMode> mode = EnumeratedMode(number);
        if (!mode) {
            return modes;
        }
        modes.push_back(*mode);
    }
}

std::optional<ScreenMode> RegistryMode() {
    return EnumeratedMode(ENUM_REGISTRY_SETTINGS);
}

bool WaitForRegistryMode(const ScreenMode& wanted, DWORD timeoutMs) {
    return PollUntil(timeoutMs, [&] { return RegistryMode() == wanted; });
}

DisplayGuard::DisplayGuard() {
    const std::optional<ScreenMode> mode = RegistryMode();
    if (!mode) {
        throw std::runtime_error(LastErrorText("EnumDisplaySettingsW(ENUM_REGISTRY_SETTINGS)"));
    }
    original_ = *mode;
}

DisplayGuard::~DisplayGuard() {
    if (RegistryMode() == original_) {
        return;
    }
    DEVMODEW record{};
    record.dmSize = sizeof record;
    record.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL | DM_DISPLAYFREQUENCY;
    record.dmPelsWidth = original_.width;
    record.dmPelsHeight = original_.height;
    record.dmBitsPerPel = original_.bitsPerPixel;
    record.dmDisplayFrequency = original_.frequency;
    ChangeDisplaySettingsExW(nullptr, &record, nullptr, CDS_UPDATEREGISTRY, nullptr);
}

std::wstring ProbeLogOf(const std::wstring& exe) {
    return exe + L".log";
}

std::vector<ProbeRecord> ReadProbeLog(const std::wstring& log) {
    const FileSnapshot file = Snapshot(log);
    std::vector<ProbeRecord> records;
    ProbeRecord record;
    std::size_t start = 0;
    // A record is complete at its blank line; the probe may be writing the next one.
    for (std::size_t end; (end = file.bytes.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = file.bytes.substr(start, end - start);
        if (line.empty()) {
            records.push_back(std::move(record));
            record.clear();
            continue;
        }
        const std::size_t equals = line.find('=');
        record[line.substr(0, equals)] =
            equals == std::string::npos ? std::string() : line.substr(equals + 1);
    }
    return records;
}

std::vector<ProbeRecord> WaitForProbeRecords(const std::wstring& log, std::size_t count,
                                             DWORD timeoutMs) {
    std::vector<ProbeRecord> records;
    PollUntil(timeoutMs, [&] {
        records = ReadProbeLog(log);
        return records.size() >= count;
    });
    return records;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    HANDLE found = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (found == INVALID_HANDLE_VALUE) {
        return names;
    }
    const UniqueAny<HANDLE, FindClose, detail::InvalidHandle> search(found);
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(search.get(), &entry));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace mirelka::e2e

// ---- message boxes answered, the open-file dialog, helper files, the platform ---------

namespace mirelka::e2e {

std::optional<AnsweredBox> AnswerNextMessageBox(const Process& process, int button) {
    HWND box = WaitForMessageBox(process, kActionTimeoutMs);
    if (box == nullptr) {
        return std::nullopt;
    }
    AnsweredBox answered;
    answered.text = Utf8(MessageBoxText(box));
    answered.icon = MessageBoxShowsIcon(box) ? WaitForMessageBoxIcon(box) : StandardIcon::None;
    PostCommand(box, button);
    if (!WaitUntil(kActionTimeoutMs, [&] { return IsWindow(box) == FALSE; })) {
        return std::nullopt;
    }
    return answered;
}

HWND WaitForSettledResidentDialog(const Process& process) {
    HWND dialog = WaitForResidentMainDialog(process);
    if (dialog == nullptr || !WaitForPostedMessages(dialog) || !RoundTrip(dialog) ||
        !WaitUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog) == FALSE; })) {
        return nullptr;
    }
    return dialog;
}

HWND StartResident(std::optional<Process>& process, const std::wstring& exe,
                   const std::wstring& currentDirectory) {
    process.emplace(Process::Start(exe, currentDirectory));
    HWND dialog = WaitForSettledResidentDialog(*process);
    if (dialog == nullptr) {
        throw std::runtime_error("Mirelka did not start resident: " + Describe(*process));
    }
    return dialog;
}

bool ShowSettings(HWND dialog) {
    PostCommand(dialog, ID_TRAY_SETTINGS);
    return WaitUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog) != FALSE; }) &&
           WaitForPostedMessages(dialog);
}

HWND WaitForShortcutDialog(const Process& process) {
    return WaitForWindow(process, L"#32770", Widen("ｼｮｰﾄｶｯﾄの指定"));
}

void ChooseInFileDialog(HWND mainDialog, HWND fileDialog, const std::wstring& path) {
    constexpr int kFileNameField = 1148;  // cmb13
    // What the dialog posted itself while opening (it may fill the field) goes first.
    if (!WaitForPostedMessages(mainDialog)) {
        throw std::runtime_error("the open-file dialog's thread does not answer");
    }
    // An edit inside a combo box inside an extended combo box.
    HWND edit = FindWindowExW(
        FindWindowExW(GetDlgItem(fileDialog, kFileNameField), nullptr, L"ComboBox", nullptr),
        nullptr, L"Edit", nullptr);
    if (edit == nullptr) {
        throw std::runtime_error("the open-file dialog has no file name field");
    }
    SetControlText(edit, path);
    PostCommand(fileDialog, IDOK);
    if (!WaitUntil(kActionTimeoutMs, [&] { return IsWindow(fileDialog) == FALSE; }) ||
        !WaitForPostedMessages(mainDialog)) {
        throw std::runtime_error("the open-file dialog stays after OK: " + Utf8(path));
    }
}

std::wstring HelperPath(std::wstring_view fileName) {
    const std::wstring& probe = ProbePath();
    const std::size_t slash = probe.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : probe.substr(0, slash + 1)) +
           std::wstring(fileName);
}

bool RunsUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace mirelka::e2e

// ---- what a process holds: handles, GDI and USER objects, private memory ---------------

#include <psapi.h>

#include "ResourceCounts.h"

namespace mirelka::e2e {

namespace {

// NtQuerySystemInformation's SystemHandleInformation: every open handle of every process.
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
struct SystemHandleEntry {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK grantedAccess;
};
struct SystemHandleTable {
    ULONG count;
    SystemHandleEntry entries[1];
};

long long HandleCount(HANDLE process, DWORD processId) {
    DWORD reported = 0;
    if (GetProcessHandleCount(process, &reported) && reported != 0) {
        return reported;
    }
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return -1;
    }
    std::vector<unsigned char> buffer(1 << 20);
    LONG status = 0;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &needed)) ==
           kStatusInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        return -1;
    }
    const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
    const SystemHandleEntry* entries = table->entries;
    return std::count_if(entries, entries + table->count, [&](const SystemHandleEntry& entry) {
        return entry.processId == processId;
    });
}

// Wine keeps a process's GDI handle table where Windows once did, at the process
// environment block's GdiSharedHandleTable: 0x10000 entries of 24 bytes, the object's type
// at byte 14 and 0 in a free entry.
long long WineGdiObjectCount(HANDLE process) {
    struct BasicInformation {
        LONG exitStatus;
        PVOID pebBaseAddress;
        ULONG_PTR rest[4];
    };
    using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    BasicInformation basic{};
    if (query == nullptr || query(process, 0, &basic, sizeof basic, nullptr) != 0) {
        return -1;
    }
    constexpr std::size_t kTableOffset = 0xF8;
    constexpr std::size_t kEntries = 0x10000;
    constexpr std::size_t kEntrySize = 24;
    constexpr std::size_t kTypeOffset = 14;
    void* table = nullptr;
    if (!ReadProcessMemory(process, static_cast<const char*>(basic.pebBaseAddress) + kTableOffset,
                           &table, sizeof table, nullptr) ||
        table == nullptr) {
        return -1;
    }
    std::vector<unsigned char> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr)) {
        return -1;
    }
    long long count = 0;
    for (std::size_t i = 0; i < kEntries; ++i) {
        count += entries[i * kEntrySize + kTypeOffset] != 0 ? 1 : 0;
    }
    return count;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const ResourceFigures& figures) {
    return out << "handles " << figures.handles << ", GDI " << figures.gdiObjects << ", USER "
               << figures.userObjects << ", private " << figures.privateBytes / 1024 << " KB";
}

long long HandleCountOf(DWORD processId) {
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    return process ? HandleCount(process.get(), processId) : -1;
}

ResourceFigures ResourceFiguresOf(const Process& process, HWND dialog) {
    ResourceFigures figures;
    const UINT countMessage = RegisterWindowMessageW(kUserObjectCountMessage);
    figures.userObjects = static_cast<long long>(Send(dialog, countMessage));

    const UniqueHandle handle(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.Id()));
    if (!handle) {
        return figures;
    }
    figures.handles = HandleCount(handle.get(), process.Id());
    figures.gdiObjects = GetGuiResources(handle.get(), GR_GDIOBJECTS);
    if (figures.gdiObjects == 0) {
        figures.gdiObjects = RunsUnderWine() ? WineGdiObjectCount(handle.get()) : -1;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (K32GetProcessMemoryInfo(handle.get(), &memory, sizeof memory)) {
        figures.privateBytes = static_cast<long long>(memory.PagefileUsage);
    }
    return figures;
}

}  // namespace mirelka::e2e
