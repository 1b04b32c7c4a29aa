#include "Harness.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "resources/ResourceIds.h"

namespace mirelka::e2e {

namespace {

std::wstring& StoredMirelkaPath() {
    static std::wstring path;
    return path;
}

}  // namespace

std::string AppDataLine(const std::string& title, const std::wstring& shortcut,
                        const ScreenMode& mode, bool restore) {
    return title + "\t" + Utf8(shortcut) + "\t" + std::to_string(mode.width) + "\t" +
           std::to_string(mode.height) + "\t" + std::to_string(mode.bitsPerPixel) + "\t" +
           std::to_string(mode.frequency) + "\t" + (restore ? "1" : "0");
}

std::string ModeText(const ScreenMode& mode) {
    std::ostringstream out;
    out << mode;
    return out.str();
}

std::string DataFileBytes(const std::vector<std::string>& utf8Lines) {
    std::string bytes;
    for (const std::string& line : utf8Lines) {
        bytes += Cp932(line);
        bytes += "\r\n";
    }
    return bytes;
}

std::string ListLabel(const ScreenMode& mode) {
    return " " + std::to_string(mode.width) + "×" + std::to_string(mode.height) + "×" +
           std::to_string(mode.bitsPerPixel) + " " + std::to_string(mode.frequency) + "Hz";
}

std::string FileLine(const ScreenMode& mode) {
    return std::to_string(mode.width) + "\t" + std::to_string(mode.height) + "\t" +
           std::to_string(mode.bitsPerPixel) + "\t" + std::to_string(mode.frequency) + "\r\n";
}

std::vector<ScreenMode> ListedModes(HWND list) {
    std::vector<ScreenMode> modes;
    for (const std::wstring& label : ListItems(list)) {
        unsigned long n[4] = {};
        const int read =
            swscanf_s(label.c_str(), L" %lu×%lu×%lu %luHz", &n[0], &n[1], &n[2], &n[3]);
        const ScreenMode mode{n[0], n[1], n[2], n[3]};
        if (read != 4 || ListLabel(mode) != Utf8(label)) {
            throw std::runtime_error("not a mode label: '" + Utf8(label) + "'");
        }
        modes.push_back(mode);
    }
    return modes;
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

ProbeApp MakeProbeApp(const TempFolder& in, std::wstring_view name,
                      std::optional<unsigned> sleepMs) {
    ProbeApp app;
    app.folder = in.MakeFolder(name);
    app.exe = app.folder + L"\\probe.exe";
    CopyInto(ProbePath(), app.exe);
    if (sleepMs) {
        WriteBytes(app.exe + L".sleep", std::to_string(*sleepMs));
    }
    app.shortcut = app.folder + L"\\probe.lnk";
    MakeShortcut(app.shortcut, app.exe, app.folder);
    app.log = ProbeLogOf(app.exe);
    return app;
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

}  // namespace mirelka::e2e

// ---- the notification icon, menus, keys, tabs, files and screenshots ------------------

namespace mirelka::e2e {

namespace {
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

std::wstring ArtifactFolder() {
    std::wstring folder = WindowsPath(EnvironmentVariable(L"MIRELKA_ARTIFACTS"));
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

namespace mirelka::e2e {

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

std::optional<AnsweredBox> AnswerNextMessageBox(const Process& process, int button) {
    HWND box = WaitForMessageBox(process, kActionTimeoutMs);
    if (box == nullptr) {
        return std::nullopt;
    }
    AnsweredBox answered;
    answered.text = Utf8(MessageBoxText(box));
    answered.icon = MessageBoxShowsIcon(box) ? WaitForMessageBoxIcon(box) : StandardIcon::None;
    HWND no = GetDlgItem(box, IDNO);
    answered.yesNo = GetDlgItem(box, IDYES) != nullptr && no != nullptr;
    answered.owner = GetWindow(box, GW_OWNER);
    // The focused button, or the one styled so (DM_GETDEFID can't tell under Wine).
    answered.noIsDefault =
        no != nullptr && (FocusedControl(box) == no ||
                          (GetWindowLongPtrW(no, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    if (button == kEnter) {
        PostKey(FocusedControl(box), VK_RETURN);
    } else {
        PostCommand(box, button);
    }
    if (!WaitUntil(kActionTimeoutMs, [&] { return IsWindow(box) == FALSE; })) {
        return std::nullopt;
    }
    return answered;
}

std::string AnswerNextMessageBoxText(const Process& process, int button) {
    const std::optional<AnsweredBox> box = AnswerNextMessageBox(process, button);
    return box ? box->text : "(no message box answered) " + Describe(process);
}

void ExpectNoFurtherBox(const Process& process, HWND dialog) {
    ASSERT_TRUE(RoundTrip(dialog)) << Describe(process);
    EXPECT_FALSE(ShowsMessageBox(process)) << Describe(process);
}

void ExpectOnScreenOnTheModeTab(const Process& process, HWND dialog) {
    // A paint now, not only the first one: the hiding happens in WM_PAINT.
    InvalidateRect(dialog, nullptr, TRUE);
    ASSERT_TRUE(WaitForPaint(dialog) && RoundTrip(dialog)) << Describe(process);
    EXPECT_TRUE(IsWindowVisible(dialog)) << Describe(process);
    EXPECT_EQ(Send(GetDlgItem(dialog, IDC_TAB), TCM_GETCURSEL), 1) << "tab 1, 基本設定";
    const auto shown = [&](int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; };
    EXPECT_TRUE(shown(IDC_MODE_LIST));
    EXPECT_TRUE(shown(IDC_REGISTER));
    for (const int id : {IDC_TITLE, IDC_MODE_SELECTOR, IDC_SHORTCUT, IDC_RESTORE, IDC_DELETE}) {
        EXPECT_FALSE(shown(id)) << "control " << id << " belongs to tab 0";
    }
}

std::wstring HelperPath(std::wstring_view fileName) {
    const std::wstring& probe = ProbePath();
    const std::size_t slash = probe.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : probe.substr(0, slash + 1)) +
           std::wstring(fileName);
}

std::wstring WindowsPath(const std::wstring& path) {
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
