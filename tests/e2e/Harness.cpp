#include "Harness.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <utility>

#include "app/ResourceIds.h"

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
