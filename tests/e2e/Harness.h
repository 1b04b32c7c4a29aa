#pragma once

// Drives the real Mirelka.exe from outside, as a user would: the files it reads, the
// processes it runs in, and its windows, through window messages that cross processes.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <map>
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

// ---- the notification icon, menus, keys, tabs, files and screenshots ------------------

namespace mirelka::e2e {

// How Mirelka registers its notification icon: the shell posts this message, with the
// icon's id in wParam and the mouse message in lParam, to the main dialog.
inline constexpr UINT kTrayCallbackMessage = WM_APP;
inline constexpr UINT kTrayIconId = 1;

// Polls until done() is true or the time is up; done()'s last answer.
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done);
// A message sent and answered: the window's thread is back in a message loop, its own or
// a modal one (a handler that was running has returned or shows a box or menu). Sent
// messages overtake posted ones, so what was posted may still wait. False when it did not
// answer in time.
bool RoundTrip(HWND window);

// Everything posted to the thread of Mirelka's main dialog before this call has been
// handled (or that thread is in a modal loop). False when it did not get there in time.
bool WaitForPostedMessages(HWND dialog);

// A visible top-level window of the process with this class and title, once it shows.
HWND WaitForWindow(const Process& process, std::wstring_view className, std::wstring_view title,
                   DWORD timeoutMs = kActionTimeoutMs);
// Whether the process has a message box now, shown yet or not.
bool ShowsMessageBox(const Process& process);
// Whether a message box shows any icon at all (unlike MessageBoxIcon, no wait for paint).
bool MessageBoxShowsIcon(HWND box);

// Posts what the shell posts for a mouse message over the icon.
void PostTrayMouseMessage(HWND dialog, UINT mouseMessage);
// Whether the shell holds the icon: NIM_MODIFY changing nothing succeeds only then.
bool TrayIconExists(HWND dialog);
// Deletes the icon from outside, as a task bar that goes away would lose it.
bool DeleteTrayIcon(HWND dialog);

// The process's visible popup menus (class #32768).
std::vector<HWND> PopupMenus(DWORD processId);
// The first of them once the process shows count of them (a submenu is one more);
// null when it did not in time.
HWND WaitForPopupMenus(const Process& process, std::size_t count,
                       DWORD timeoutMs = kActionTimeoutMs);
// True once the process shows no popup menu.
bool WaitForNoPopupMenu(const Process& process, DWORD timeoutMs = kActionTimeoutMs);

// A message sent to a window of any process and its answer; throws when the window's
// thread does not answer in time, so that a hung program fails the test, not hangs it.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Sets a control's text as typing would leave it (WM_SETTEXT crosses processes).
void SetControlText(HWND control, std::wstring_view text);
// Chooses item index of a combo box as the user would: selected, then CBN_SELCHANGE to
// the combo's parent.
void ChooseComboItem(HWND combo, int index);

// Posts a key press and release to a window of any process.
void PostKey(HWND window, UINT virtualKey);
// The control with the keyboard focus in the thread that owns window; null if none.
HWND FocusedControl(HWND window);
// Clicks tab index of a tab control of another process as the mouse would, so that the
// control asks its dialog first. False when the tab's place could not be read.
bool ClickTab(HWND tabControl, int index);

// A file as a test compares it before and after: its bytes and modification time.
struct FileSnapshot {
    bool exists = false;
    std::string bytes;
    ULONGLONG lastWrite = 0;
};
bool operator==(const FileSnapshot& a, const FileSnapshot& b);
std::ostream& operator<<(std::ostream& out, const FileSnapshot& file);
FileSnapshot Snapshot(const std::wstring& path);
// Moves the modification time years back, so that a rewrite in the same second shows.
void Backdate(const std::wstring& path);

// Saves the screen, or only window's rectangle, as a BMP file named name under the folder
// in MIRELKA_ARTIFACTS (a Linux or Windows path), else the temp folder; prints and
// returns its path.
std::wstring SaveScreenshot(std::wstring_view name, HWND window = nullptr);

}  // namespace mirelka::e2e

// ---- the mode list, the display mode, the launch probe's log, folders -----------------

namespace mirelka::e2e {

// Mirelka's main dialog, shown or hidden, once its start-up is over: a message posted to it
// has been handled, which only its message loop does. (A sent message can be answered
// earlier, while start-up waits on another process.) Null when that did not happen in time.
HWND WaitForStartedMainDialog(const Process& process, DWORD timeoutMs = kStartTimeoutMs);
// The same once it has also hidden itself, as it does at its first paint with a mode ticked.
HWND WaitForResidentMainDialog(const Process& process, DWORD timeoutMs = kStartTimeoutMs);

// The items of a list box of any process, in list order (LB_GETTEXT crosses processes for
// a list with strings). Throws when it cannot be read.
std::vector<std::wstring> ListItems(HWND list);

// Where a click lands in an item of Mirelka's check-list box.
enum class ItemPart { CheckBox, Label };
// Scrolls item index into view and posts a left click on that part of it.
void ClickListItem(HWND list, int index, ItemPart part);
// Moves the caret to item index with the keys and presses the space bar on it.
void PressSpaceOnListItem(HWND list, int index);

// Whether the window's thread answers a message within timeoutMs; false while it is busy,
// e.g. waiting for a program it started.
bool AnswersWithin(HWND window, DWORD timeoutMs);
// True once the window has no part left to paint (its pending WM_PAINT is handled).
bool WaitForPaint(HWND window, DWORD timeoutMs = kActionTimeoutMs);

// A display mode in the four numbers Mirelka and its data files use.
struct ScreenMode {
    DWORD width = 0;
    DWORD height = 0;
    DWORD bitsPerPixel = 0;
    DWORD frequency = 0;
};
bool operator==(const ScreenMode& a, const ScreenMode& b);
bool operator!=(const ScreenMode& a, const ScreenMode& b);
std::ostream& operator<<(std::ostream& out, const ScreenMode& mode);

// Every mode the display driver offers, in its order.
std::vector<ScreenMode> DriverModes();
// The mode stored in the registry: the one a mode change with CDS_UPDATEREGISTRY leaves.
// Unlike the current mode, other processes read its colour depth right under Wine.
std::optional<ScreenMode> RegistryMode();
// True once the registry mode is wanted.
bool WaitForRegistryMode(const ScreenMode& wanted, DWORD timeoutMs = kActionTimeoutMs);

// Puts the registry mode found at construction back at destruction, whatever a test did.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

    const ScreenMode& Original() const { return original_; }

private:
    ScreenMode original_;
};

// One start of the launch probe, as it recorded it: cwd, cmdline, argc, argv0..., mode.
using ProbeRecord = std::map<std::string, std::string>;
// Where a copy of the probe at exe writes its records.
std::wstring ProbeLogOf(const std::wstring& exe);
// The complete records in a probe's log; none when there is no log.
std::vector<ProbeRecord> ReadProbeLog(const std::wstring& log);
// The records once there are at least count of them, or what there is when time is up.
std::vector<ProbeRecord> WaitForProbeRecords(const std::wstring& log, std::size_t count,
                                             DWORD timeoutMs = kActionTimeoutMs);

// The names in a folder, sorted, without "." and "..".
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

}  // namespace mirelka::e2e

// ---- message boxes answered, the open-file dialog, helper files, the platform ---------

namespace mirelka::e2e {

// A message box as the test found it before answering it.
struct AnsweredBox {
    std::string text;
    StandardIcon icon = StandardIcon::None;
};
// Waits for the process's next message box, reads it, answers it with this button's id and
// waits until it is gone; nothing when none showed or it did not go.
std::optional<AnsweredBox> AnswerNextMessageBox(const Process& process, int button);

// Mirelka's main dialog once it is resident and settled: Wine flashes a modal dialog once
// its queue first runs empty, and the next paint hides it again. Null when that did not
// happen in time.
HWND WaitForSettledResidentDialog(const Process& process);
// Starts the Mirelka at exe into process and waits until it is resident and settled; throws
// when it doesn't get there.
HWND StartResident(std::optional<Process>& process, const std::wstring& exe,
                   const std::wstring& currentDirectory);
// Shows the settings window as 設定 in the tray menu does; false when it did not show.
bool ShowSettings(HWND dialog);

// The open-file dialog of Mirelka's browse buttons ("ｼｮｰﾄｶｯﾄの指定") once it shows; null when
// it did not in time.
HWND WaitForShortcutDialog(const Process& process);
// Types path into that dialog's file name field and presses OK. The dialog runs in the
// thread of mainDialog. Throws when the field is missing or the dialog stays.
void ChooseInFileDialog(HWND mainDialog, HWND fileDialog, const std::wstring& path);

// A file of ours built beside the launch probe: a helper program or DLL.
std::wstring HelperPath(std::wstring_view fileName);
// Whether this runs under Wine: its file system differs from Windows' in places.
bool RunsUnderWine();

}  // namespace mirelka::e2e

// ---- what a process holds: handles, GDI and USER objects, private memory ---------------

namespace mirelka::e2e {

// What a process holds at one moment, for leak tests; -1 where a figure could not be read.
struct ResourceFigures {
    long long handles = -1;
    long long gdiObjects = -1;
    long long userObjects = -1;  // as Mirelka's main dialog counts them (ResourceCounts.h)
    // Memory only this process uses: its commit charge on Windows; under Wine, the Linux
    // process's resident anonymous memory and swap, where its heaps live.
    long long privateBytes = -1;
};
std::ostream& operator<<(std::ostream& out, const ResourceFigures& figures);
// Read from outside, as the system tells them (Wine answers 0 where Windows counts: its
// handle and GDI tables are read instead). userObjects is asked of dialog, Mirelka's main
// dialog; throws when that does not answer.
ResourceFigures ResourceFiguresOf(const Process& process, HWND dialog);
// The handles a process (this one too) holds, as ResourceFiguresOf counts them; -1 when
// they cannot be counted.
long long HandleCountOf(DWORD processId);

}  // namespace mirelka::e2e
