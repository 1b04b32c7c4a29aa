#include "Driver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "CheckListBox.h"
#include "resources/ResourceIds.h"

namespace mirelka::driver {

std::string LastErrorText(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

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

std::string ReadBytes(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

void CopyInto(const std::wstring& source, const std::wstring& target) {
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error(LastErrorText("CopyFileW") + ": " + Utf8(source) + " -> " +
                                 Utf8(target));
    }
}

// ---- processes ----------------------------------------------------------------------

Process Process::Start(const std::wstring& exe, const std::wstring& currentDirectory,
                       const std::wstring& arguments, bool inJob) {
    UniqueHandle job;
    if (inJob) {
        job.reset(CreateJobObjectW(nullptr, nullptr));
        if (!job) {
            throw std::runtime_error(LastErrorText("CreateJobObjectW"));
        }
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits)) {
            throw std::runtime_error(LastErrorText("SetInformationJobObject"));
        }
    }

    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        inJob ? CREATE_SUSPENDED : 0, nullptr, currentDirectory.c_str(), &startup,
                        &info)) {
        throw std::runtime_error(LastErrorText("CreateProcessW") + ": " + Utf8(exe));
    }
    UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);
    if (inJob) {
        if (!AssignProcessToJobObject(job.get(), process.get())) {
            const std::string error = LastErrorText("AssignProcessToJobObject");
            TerminateProcess(process.get(), 1);
            throw std::runtime_error(error);
        }
        ResumeThread(thread.get());
    }
    return Process(std::move(job), std::move(process), info.dwProcessId, true);
}

Process Process::Attach(DWORD id) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) {
        throw std::runtime_error(LastErrorText("OpenProcess"));
    }
    return Process(UniqueHandle(), std::move(process), id, false);
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
    if (owned_ && IsRunning()) {
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
            if ((s.processId == 0 || owner == s.processId) && IsWindowVisible(window) &&
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

HWND FindMainDialog(DWORD processId) {
    for (HWND window : AllTopLevelWindows(processId, L"#32770")) {
        if (GetDlgItem(window, IDC_TITLE) != nullptr && WindowText(window) == L"Mirelka") {
            return window;
        }
    }
    return nullptr;
}

HWND WaitForMainDialog(const Process& process, DWORD timeoutMs) {
    // Visible means WM_INITDIALOG is over: a dialog template's WS_VISIBLE takes effect after.
    HWND dialog = PollUntil(
        timeoutMs,
        [&]() -> HWND {
            HWND found = FindMainDialog(process.Id());
            return found != nullptr && IsWindowVisible(found) ? found : nullptr;
        },
        [&] { return !process.IsRunning(); });
    // One round trip: the dialog's thread has got to its message loop.
    return dialog != nullptr && RoundTrip(dialog) ? dialog : nullptr;
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

namespace {

// The items of a combo box or list box of any process, through its three messages.
std::vector<std::wstring> Items(HWND control, UINT getCount, UINT getLength, UINT getText,
                                const char* what) {
    std::vector<std::wstring> items;
    LRESULT count = 0;
    // An unreadable control must not pass for an empty one.
    if (control == nullptr || !SendWithTimeout(control, getCount, 0, 0, count) || count < 0) {
        throw std::runtime_error(std::string(what) + ": no item count");
    }
    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
        LRESULT length = 0;
        LRESULT copied = 0;
        std::wstring text;
        if (SendWithTimeout(control, getLength, i, 0, length) && length >= 0) {
            text.assign(static_cast<std::size_t>(length) + 1, L'\0');
        }
        if (text.empty() ||
            !SendWithTimeout(control, getText, i, reinterpret_cast<LPARAM>(text.data()), copied) ||
            copied < 0) {
            throw std::runtime_error(std::string(what) + ": item " + std::to_string(i) +
                                     " unreadable");
        }
        text.resize(static_cast<std::size_t>(std::min(copied, length)));
        items.push_back(std::move(text));
    }
    return items;
}

}  // namespace

std::vector<std::wstring> ComboItems(HWND combo) {
    return Items(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, "combo box");
}

void PostCommand(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

namespace {

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
}  // namespace

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
            if ((s.processId == 0 || owner == s.processId) && ClassName(window) == s.className) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {
DWORD pollInterval = 50;
}  // namespace

void SetPollInterval(DWORD ms) {
    pollInterval = ms;
}

DWORD PollInterval() {
    return pollInterval;
}

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
    // Any window of the thread will do; the dialog shows up while its template's controls
    // are still being made.
    HWND root = GetAncestor(dialog, GA_ROOT);
    HWND edit = PollUntil(kActionTimeoutMs, [&] { return GetDlgItem(root, IDC_TARGET); });
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

bool PressKeys(HWND window, const std::vector<WORD>& keys) {
    SetForegroundWindow(window);
    if (!WaitUntil(kActionTimeoutMs, [&] { return GetForegroundWindow() == window; })) {
        return false;
    }
    std::vector<INPUT> inputs(keys.size() * 2);
    std::size_t down = 0;
    for (const WORD key : keys) {
        INPUT& up = inputs[inputs.size() - 1 - down];
        inputs[down].type = up.type = INPUT_KEYBOARD;
        inputs[down++].ki.wVk = up.ki.wVk = key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
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

std::vector<std::wstring> ListItems(HWND list) {
    return Items(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, "list box");
}

void ClickListItem(HWND list, int index, ItemPart part) {
    // Sent messages overtake posted ones: what was posted to the list earlier (keys, clicks)
    // must have been handled before it is scrolled for a click.
    if (!WaitForPostedMessages(list)) {
        throw std::runtime_error("the list did not handle its posted messages in time");
    }
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
    // Where Mirelka draws the box, by its own geometry.
    const RECT box = check_list::ItemBox(list, item);
    const int x = part == ItemPart::CheckBox
                      ? (box.left + box.right) / 2
                      : std::max(box.right + 10, (item.left + item.right) / 2);
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

bool ApplyRegistryMode(const ScreenMode& mode) {
    DEVMODEW record{};
    record.dmSize = sizeof record;
    record.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL | DM_DISPLAYFREQUENCY;
    record.dmPelsWidth = mode.width;
    record.dmPelsHeight = mode.height;
    record.dmBitsPerPel = mode.bitsPerPixel;
    record.dmDisplayFrequency = mode.frequency;
    return ChangeDisplaySettingsExW(nullptr, &record, nullptr, CDS_UPDATEREGISTRY, nullptr) ==
           DISP_CHANGE_SUCCESSFUL;
}

DisplayGuard::DisplayGuard() {
    const std::optional<ScreenMode> mode = RegistryMode();
    if (!mode) {
        throw std::runtime_error(LastErrorText("EnumDisplaySettingsW(ENUM_REGISTRY_SETTINGS)"));
    }
    original_ = *mode;
}

DisplayGuard::~DisplayGuard() {
    if (RegistryMode() != original_) {
        ApplyRegistryMode(original_);
    }
}

HWND WaitForMirelka(const Process& process, Stage stage, DWORD timeoutMs,
                    const std::function<void(Stage)>& reached) {
    const auto report = [&](Stage now) {
        if (reached) {
            reached(now);
        }
        return true;
    };
    const auto hidden = [&](HWND dialog) {
        return PollUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog) == FALSE; });
    };
    HWND dialog = PollUntil(
        timeoutMs, [&] { return FindMainDialog(process.Id()); },
        [&] { return !process.IsRunning(); });
    const bool ok =
        dialog != nullptr && report(Stage::Created) &&
        (stage < Stage::Started || (WaitForPostedMessages(dialog) && report(Stage::Started))) &&
        (stage < Stage::Resident || (hidden(dialog) && report(Stage::Resident))) &&
        (stage < Stage::Settled || (WaitForPostedMessages(dialog) && RoundTrip(dialog) &&
                                    hidden(dialog) && report(Stage::Settled)));
    return ok ? dialog : nullptr;
}

HWND StartResident(std::optional<Process>& process, const std::wstring& exe,
                   const std::wstring& currentDirectory) {
    process.emplace(Process::Start(exe, currentDirectory));
    HWND dialog = WaitForMirelka(*process, Stage::Settled);
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
    // What the dialog posted itself while opening (it may fill the field) goes first.
    if (!WaitForPostedMessages(mainDialog)) {
        throw std::runtime_error("the open-file dialog's thread does not answer");
    }
    // Windows' dialogs have an edit inside a combo box inside an extended combo box, cmb13;
    // Wine's item dialog a plain edit, edt1.
    constexpr int kNameCombo = 1148;
    constexpr int kNameEdit = 1152;
    HWND edit = FindWindowExW(
        FindWindowExW(GetDlgItem(fileDialog, kNameCombo), nullptr, L"ComboBox", nullptr), nullptr,
        L"Edit", nullptr);
    if (edit == nullptr && ClassName(GetDlgItem(fileDialog, kNameEdit)) == L"Edit") {
        edit = GetDlgItem(fileDialog, kNameEdit);
    }
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

void ChooseShortcut(const Process& process, HWND dialog, const std::wstring& path, int button) {
    PostCommand(dialog, button);
    HWND fileDialog = WaitForShortcutDialog(process);
    if (fileDialog == nullptr) {
        throw std::runtime_error("no open-file dialog: " + Describe(process));
    }
    ChooseInFileDialog(dialog, fileDialog, path);
}

bool ChooseFromTrayMenu(const Process& process, HWND dialog, const std::vector<UINT>& keys) {
    PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
    HWND menu = WaitForPopupMenus(process, 1);
    if (menu == nullptr) {
        return false;
    }
    for (const UINT key : keys) {
        PostKey(menu, key);
    }
    return WaitForNoPopupMenu(process);
}

}  // namespace mirelka::driver
