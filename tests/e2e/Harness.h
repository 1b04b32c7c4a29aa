#pragma once

// Drives the real Mirelka.exe from outside, as a user would: the files it reads, the
// processes it runs in, and its windows, through window messages that cross processes.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "UniqueHandle.h"

namespace mirelka::e2e {

// ---- text ----------------------------------------------------------------------------

// Window texts are UTF-16; the test sources hold UTF-8.
std::wstring Widen(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
std::vector<std::string> Utf8(const std::vector<std::wstring>& wide);
// Bytes in code page 932, as Mirelka's data files hold them. Throws when a character has no
// code page 932 form: a test must not be checking a silently substituted '?'.
std::string Cp932(std::string_view utf8);
// A data file: each UTF-8 line in code page 932, each ending in CR LF.
std::string DataFileBytes(const std::vector<std::string>& utf8Lines);

// ---- the program under test -------------------------------------------------------

// Mirelka.exe as given on the command line (--mirelka=<path>).
void SetMirelkaPath(std::wstring path);
const std::wstring& MirelkaPath();
// The launch probe (helper/LaunchProbe.cpp) as given on the command line (--probe=<path>).
void SetProbePath(std::wstring path);
const std::wstring& ProbePath();

// ---- files --------------------------------------------------------------------------

// A fresh folder under the Windows temp folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring PathOf(std::wstring_view name) const;
    // Creates the folder name inside this one and returns its path.
    std::wstring MakeFolder(std::wstring_view name) const;

private:
    std::wstring path_;
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
void CopyInto(const std::wstring& source, const std::wstring& target);

// ---- processes ----------------------------------------------------------------------

// A started program. It is ended (TerminateProcess, then waited for) when this goes out of
// scope still running, and with the test program if that dies first: every process a test
// starts lives in a job that is killed when its last handle closes.
class Process {
public:
    static Process Start(const std::wstring& exe, const std::wstring& currentDirectory);

    Process(Process&&) noexcept = default;
    Process& operator=(Process&&) = delete;
    ~Process();

    DWORD Id() const { return id_; }
    bool IsRunning() const;
    // The exit code, or nothing when it still runs after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
    void Terminate();

private:
    Process(UniqueHandle job, UniqueHandle process, DWORD id)
        : job_(std::move(job)), process_(std::move(process)), id_(id) {}

    UniqueHandle job_;
    UniqueHandle process_;
    DWORD id_ = 0;
};

// ---- windows ------------------------------------------------------------------------

inline constexpr DWORD kStartTimeoutMs = 20000;
inline constexpr DWORD kActionTimeoutMs = 10000;

// Visible top-level windows of the process with this class and title.
std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className,
                                  std::wstring_view title);
// Whether the process runs or how it ended, and its top-level windows: for failure messages.
std::string Describe(const Process& process);

// Mirelka's main dialog (class #32770, title "Mirelka", with the title box) once it is shown
// and has finished initialising; null when it did not show in time or the process ended.
HWND WaitForMainDialog(const Process& process, DWORD timeoutMs = kStartTimeoutMs);
// A message box of the process captioned "Mirelka"; null when none showed in time or the
// process ended.
HWND WaitForMessageBox(const Process& process, DWORD timeoutMs = kStartTimeoutMs);
bool IsMessageBox(HWND window);

// The text of a window or control of any process (WM_GETTEXT: it crosses processes).
std::wstring WindowText(HWND window);
// The text a message box shows.
std::wstring MessageBoxText(HWND box);
// The items of a combo box of any process, in list order. Throws when it cannot be read.
std::vector<std::wstring> ComboItems(HWND combo);

enum class StandardIcon { None, Error, Warning, Information, Question };
std::ostream& operator<<(std::ostream& out, StandardIcon icon);
// Which standard icon a message box shows, judged from its pixels on the screen (another
// process's icon handle means nothing here). None while it shows no icon, or none of them.
StandardIcon MessageBoxIcon(HWND box);
// The same once the box has painted an icon; None when it shows none in time.
StandardIcon WaitForMessageBoxIcon(HWND box, DWORD timeoutMs = kActionTimeoutMs);

// Posts the WM_COMMAND a click on the button with this id sends to its dialog or message box.
void PostCommand(HWND dialog, int id);

}  // namespace mirelka::e2e
