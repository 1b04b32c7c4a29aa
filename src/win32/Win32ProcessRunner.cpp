#include "Win32ProcessRunner.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <utility>
#include <vector>

#include "MessageWait.h"
#include "UniqueHandle.h"
#include "Win32CodePage.h"

namespace mirelka {

namespace {

// ERROR_ELEVATION_REQUIRED, which MinGW-w64's headers lack.
constexpr DWORD kElevationRequired = 740;

std::string Utf8(const std::wstring& wide) {
    return FromWideExact(CP_UTF8, wide).value_or(std::string());
}

// The whole answer of a call that says how long its answer is: GetFullPathNameW and the like.
template <typename Call>
std::wstring Sized(Call call) {
    std::wstring out(MAX_PATH + 1, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = call(static_cast<DWORD>(out.size()), out.data());
        if (length == 0) {
            return {};
        }
        if (length < out.size()) {
            out.resize(length);
            return out;
        }
        out.assign(length, L'\0');
    }
    return {};
}

wchar_t DriveLetter(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "C:" of "C:\x", "\\server\share" of "\\server\share\x"; empty for anything else.
std::wstring RootOf(const std::wstring& folder) {
    if (folder.size() >= 2 && folder[1] == L':') {
        return folder.substr(0, 2);
    }
    if (folder.size() > 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        std::size_t separators = 0;
        for (std::size_t i = 2; i < folder.size(); ++i) {
            if (IsSeparator(folder[i]) && ++separators == 2) {
                return folder.substr(0, i);
            }
        }
        return folder;
    }
    return {};
}

// path as a process whose current directory is folder would take it.
std::wstring Joined(const std::wstring& path, const std::wstring& folder) {
    const bool drive = path.size() >= 2 && path[1] == L':';
    if (drive && path.size() >= 3 && IsSeparator(path[2])) {
        return path;  // absolute
    }
    if (!drive && path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return path;  // UNC
    }
    if (!drive && !path.empty() && IsSeparator(path[0])) {
        return RootOf(folder) + path;  // root of folder's drive
    }
    if (drive) {
        // "D:x": from folder when folder is on D:, else from D:'s own current folder
        // ("=D:"), which is where a chdir to folder would have left it.
        const bool sameDrive = folder.size() >= 2 && folder[1] == L':' &&
                               DriveLetter(path[0]) == DriveLetter(folder[0]);
        return sameDrive ? folder + L"\\" + path.substr(2) : path;
    }
    return folder + L"\\" + path;
}

// Like the runtime's _chdir does for its folder: the drive's current folder ("=C:") is
// where a child's "C:relative" path looks.
void SetDriveFolder(const std::wstring& folder) {
    if (folder.size() >= 2 && folder[1] == L':') {
        const wchar_t drive[] = {L'=', DriveLetter(folder[0]), L':', L'\0'};
        SetEnvironmentVariableW(drive, folder.c_str());
    }
}

// A start's program, its command line or parameters, and its folder, for the wide API.
struct Start {
    std::wstring program;
    std::wstring text;
    std::wstring folder;
};

// None when a text can't be converted or there is no folder. The folder becomes its drive's
// current one first, as for every start.
std::optional<Start> Prepare(const std::string& program, const std::string& text,
                             const std::string& folder) {
    std::optional<std::wstring> wideProgram = WideExact(program);
    std::optional<std::wstring> wideText = WideExact(text);
    std::optional<std::wstring> wideFolder = WideExact(folder);
    if (!wideProgram || !wideText || !wideFolder || wideFolder->empty()) {
        return std::nullopt;
    }
    SetDriveFolder(*wideFolder);
    return Start{std::move(*wideProgram), std::move(*wideText), std::move(*wideFolder)};
}

// Every launch, started either way, waits here for its process to end.
void WaitForEnd(const UniqueHandle& process) {
    WaitAnsweringSentMessages(process.get());
}

int ShowCommandOf(WindowShow show) {
    switch (show) {
        case WindowShow::Minimized:
            return SW_SHOWMINNOACTIVE;
        case WindowShow::Maximized:
            return SW_SHOWMAXIMIZED;
        default:
            return SW_SHOWNORMAL;
    }
}

// Every start through the shell. NOASYNC: the request is over when the call returns.
// FLAG_NO_UI: no error box of the shell's own; a failure starts nothing and says nothing, as
// a failed creation does. False when there is no process to wait for: declined
// (ERROR_CANCELLED), failed, or met some other way (a program already running took it).
bool ShellStartAndWait(SHELLEXECUTEINFOW& request, HWND owner, WindowShow show) {
    request.cbSize = sizeof request;
    request.fMask |= SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    request.hwnd = owner;
    request.nShow = ShowCommandOf(show);
    if (!ShellExecuteExW(&request)) {
        return false;
    }
    const UniqueHandle process(request.hProcess);
    if (!process) {
        return false;
    }
    WaitForEnd(process);
    return true;
}

}  // namespace

std::string Win32ProcessRunner::CurrentDirectory() {
    return Utf8(Sized([](DWORD size, wchar_t* out) { return GetCurrentDirectoryW(size, out); }));
}

std::string Win32ProcessRunner::ExpandEnvironment(const std::string& text) {
    const std::optional<std::wstring> wide = WideExact(text);
    if (!wide || wide->empty()) {
        return text;
    }
    // Both counts include the terminator.
    const DWORD needed = ExpandEnvironmentStringsW(wide->c_str(), nullptr, 0);
    if (needed == 0) {
        return text;
    }
    std::wstring out(needed, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(wide->c_str(), out.data(), needed);
    if (length == 0 || length > needed) {
        return text;
    }
    out.resize(length - 1);
    return Utf8(out);
}

std::string Win32ProcessRunner::FullPath(const std::string& path, const std::string& folder) {
    const std::optional<std::wstring> widePath = WideExact(path);
    const std::optional<std::wstring> wideFolder = WideExact(folder);
    if (!widePath || widePath->empty() || !wideFolder) {
        return {};
    }
    const std::wstring joined = Joined(*widePath, *wideFolder);
    // Folds ".", ".." and '/' as the system would; nothing relative is left to complete.
    return Utf8(Sized([&](DWORD size, wchar_t* out) {
        return GetFullPathNameW(joined.c_str(), size, out, nullptr);
    }));
}

bool Win32ProcessRunner::FolderExists(const std::string& path) {
    const std::optional<std::wstring> wide = WideExact(path);
    if (!wide || wide->empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    // Entering a folder takes the right to traverse it; a child started there without it
    // fails to start. Opened just to ask, and closed again at once: nothing stays held.
    const UniqueFile folder(CreateFileW(wide->c_str(), FILE_TRAVERSE | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    return static_cast<bool>(folder);
}

bool Win32ProcessRunner::FileExists(const std::string& path) {
    const std::optional<std::wstring> wide = WideExact(path);
    if (!wide || wide->empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

ProcessRunner::Outcome Win32ProcessRunner::RunAndWait(const std::string& program,
                                                      const std::string& commandLine,
                                                      const std::string& folder, WindowShow show) {
    const std::optional<Start> prepared = Prepare(program, commandLine, folder);
    if (!prepared) {
        return Outcome::NotStarted;
    }
    const Start& start = *prepared;
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(start.text.begin(), start.text.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (show != WindowShow::Normal) {
        // The program's first ShowWindow(SW_SHOWDEFAULT), as Explorer starts it.
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(ShowCommandOf(show));
    }
    PROCESS_INFORMATION created{};
    // The folder goes to the program only: ours stays where it is, holding nothing open.
    if (!CreateProcessW(start.program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        start.folder.c_str(), &startup, &created)) {
        switch (GetLastError()) {
            case kElevationRequired:
                return Outcome::NeedsElevation;
            case ERROR_BAD_EXE_FORMAT:  // a document
            case ERROR_ACCESS_DENIED:   // a folder
                return Outcome::NotAProgram;
            default:
                return Outcome::NotStarted;
        }
    }
    const UniqueHandle process(created.hProcess);
    const UniqueHandle thread(created.hThread);
    WaitForEnd(process);
    return Outcome::Ended;
}

bool Win32ProcessRunner::RunElevatedAndWait(const std::string& program,
                                            const std::string& parameters,
                                            const std::string& folder, WindowShow show) {
    const std::optional<Start> prepared = Prepare(program, parameters, folder);
    if (!prepared) {
        return false;
    }
    const Start& start = *prepared;
    SHELLEXECUTEINFOW request{};
    request.lpVerb = L"runas";
    request.lpFile = start.program.c_str();
    request.lpParameters = start.text.empty() ? nullptr : start.text.c_str();
    // The elevated process gets neither our current directory nor our environment.
    request.lpDirectory = start.folder.c_str();
    return ShellStartAndWait(request, owner_, show);
}

void Win32ProcessRunner::OpenAndWait(const std::string& path, const std::string& folder,
                                     WindowShow show) {
    const std::optional<Start> prepared = Prepare(path, {}, folder);
    if (!prepared) {
        return;
    }
    SHELLEXECUTEINFOW request{};
    // The default verb; no parameters, which for a document would be the program's own.
    request.lpFile = prepared->program.c_str();
    request.lpDirectory = prepared->folder.c_str();
    ShellStartAndWait(request, owner_, show);
}

void Win32ProcessRunner::OpenItemAndWait(const std::vector<unsigned char>& idList,
                                         const std::string& folder, WindowShow show) {
    const std::optional<Start> prepared = Prepare({}, {}, folder);
    // A list ends with an empty item: a two-byte zero size.
    if (!prepared || idList.size() < 2 || idList[idList.size() - 1] != 0 ||
        idList[idList.size() - 2] != 0) {
        return;
    }
    std::vector<unsigned char> list = idList;  // the request takes a non-const pointer
    SHELLEXECUTEINFOW request{};
    request.fMask = SEE_MASK_IDLIST;
    request.lpIDList = list.data();
    request.lpDirectory = prepared->folder.c_str();
    ShellStartAndWait(request, owner_, show);
}

}  // namespace mirelka
