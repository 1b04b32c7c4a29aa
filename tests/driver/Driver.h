#pragma once

// Drives the real Mirelka.exe from outside, as a user would: the processes it runs in and
// its windows, through window messages that cross processes. The end-to-end tests, the
// demo driver and the Wine benchmarks share it; it knows nothing of a test framework.

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "UniqueHandle.h"

namespace mirelka::driver {

inline constexpr DWORD kStartTimeoutMs = 20000;
inline constexpr DWORD kActionTimeoutMs = 10000;

// ---- text, errors, waiting -----------------------------------------------------------

// Window texts are UTF-16; the test sources hold UTF-8.
std::wstring Widen(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
std::vector<std::string> Utf8(const std::vector<std::wstring>& wide);
// Bytes in code page 932, as Mirelka's data files hold them. Throws when a character has no
// code page 932 form: nobody must be checking a silently substituted '?'.
std::string Cp932(std::string_view utf8);
// What failed, with the last error code.
std::string LastErrorText(const char* what);

// Polls until ready() gives something truthy, the time is up or giveUp() says there is no
// point waiting; returns the last answer.
// How long every wait sleeps between two looks: 50 ms unless set otherwise (the benchmarks,
// which time what they wait for, look every millisecond).
void SetPollInterval(DWORD ms);
DWORD PollInterval();

template <typename Ready, typename GiveUp>
auto PollUntil(DWORD timeoutMs, Ready ready, GiveUp giveUp) -> decltype(ready()) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const bool last = giveUp() || std::chrono::steady_clock::now() >= deadline;
        auto result = ready();
        if (result || last) {
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollInterval()));
    }
}
template <typename Ready>
auto PollUntil(DWORD timeoutMs, Ready ready) -> decltype(ready()) {
    return PollUntil(timeoutMs, ready, [] { return false; });
}
// Polls until done() is true or the time is up; done()'s last answer.
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done);

// ---- files --------------------------------------------------------------------------

void WriteBytes(const std::wstring& path, const std::string& bytes);
void CopyInto(const std::wstring& source, const std::wstring& target);
// A file's bytes, read however others hold it; empty when it is not there. Works for
// Z:\proc files too, whose size reads as 0.
std::string ReadBytes(const std::wstring& path);
// Removes a folder with everything in it, read-only files too.
void RemoveTree(const std::wstring& path);
// Saves a shortcut at link to target with this working folder (none when empty) and these
// arguments. Reads it back and throws unless it holds exactly those: a test about how
// Mirelka treats a target must not be testing what the shell made of it.
void MakeShortcut(const std::wstring& link, const std::wstring& target,
                  const std::wstring& workingFolder, const std::wstring& arguments = {});

// ---- processes ----------------------------------------------------------------------

// A program started here is ended (TerminateProcess, then waited for) when this goes out of
// scope still running, and with this program if that dies first: it lives in a job that is
// killed when its last handle closes. One found running (Attach) is left as it is.
class Process {
public:
    // Suspended until it is in the job, so not even its first instant escapes it; outside a
    // job it starts as any program starts another.
    static Process Start(const std::wstring& exe, const std::wstring& currentDirectory,
                         const std::wstring& arguments = {}, bool inJob = true);
    // The running process with this id; throws when it can't be opened.
    static Process Attach(DWORD id);

    Process(Process&&) noexcept = default;
    Process& operator=(Process&&) = delete;
    ~Process();

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.get(); }
    bool IsRunning() const;
    // The exit code, or nothing when it still runs after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const;
    void Terminate();

private:
    Process(UniqueHandle job, UniqueHandle process, DWORD id, bool owned)
        : job_(std::move(job)), process_(std::move(process)), id_(id), owned_(owned) {}

    UniqueHandle job_;
    UniqueHandle process_;
    DWORD id_ = 0;
    bool owned_ = true;
};

// ---- windows ------------------------------------------------------------------------

// How Mirelka registers its notification icon: the shell posts this message, with the
// icon's id in wParam and the mouse message in lParam, to the main dialog.
inline constexpr UINT kTrayCallbackMessage = WM_APP;
inline constexpr UINT kTrayIconId = 1;

std::wstring ClassName(HWND window);
// The text of a window or control of any process (WM_GETTEXT: it crosses processes).
std::wstring WindowText(HWND window);
// Top-level windows of the process (of any process for id 0) with this class, shown or not.
std::vector<HWND> AllTopLevelWindows(DWORD processId, std::wstring_view className);
// Visible top-level windows of the process (any for id 0) with this class and title.
std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className,
                                  std::wstring_view title);
// Whether the process runs or how it ended, and its top-level windows: for failure messages.
std::string Describe(const Process& process);

// Mirelka's main dialog (class #32770, title "Mirelka", with the title box), shown or not;
// null when the process (any process for id 0) has none.
HWND FindMainDialog(DWORD processId);
// A message box: the static text control 0xFFFF, and not the main dialog.
bool IsMessageBox(HWND window);
// The text a message box shows.
std::wstring MessageBoxText(HWND box);
// A message box of the process captioned "Mirelka"; null when none showed in time or the
// process ended.
HWND WaitForMessageBox(const Process& process, DWORD timeoutMs = kStartTimeoutMs);
// A visible top-level window of the process with this class and title, once it shows.
HWND WaitForWindow(const Process& process, std::wstring_view className, std::wstring_view title,
                   DWORD timeoutMs = kActionTimeoutMs);

// ---- messages -------------------------------------------------------------------------

// A message sent to a window of any process and its answer; false when the window's thread
// does not answer in time, so that a hung program fails, not hangs, its caller.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The same, throwing when it is not answered.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// A message sent and answered: the window's thread is back in a message loop, its own or
// a modal one (a handler that was running has returned or shows a box or menu). Sent
// messages overtake posted ones, so what was posted may still wait. False when it did not
// answer in time.
bool RoundTrip(HWND window);
// Whether the window's thread answers a message within timeoutMs; false while it is busy,
// e.g. waiting for a program it started.
bool AnswersWithin(HWND window, DWORD timeoutMs);
// Everything posted to the thread of Mirelka's main dialog before this call has been
// handled (or that thread is in a modal loop). False when it did not get there in time.
bool WaitForPostedMessages(HWND dialog);
// True once the window has no part left to paint (its pending WM_PAINT is handled).
bool WaitForPaint(HWND window, DWORD timeoutMs = kActionTimeoutMs);

// Posts the WM_COMMAND a click on the button with this id sends to its dialog or message box.
void PostCommand(HWND dialog, int id);
// Posts a key press and release to a window of any process.
void PostKey(HWND window, UINT virtualKey);
// The control with the keyboard focus in the thread that owns window; null if none.
HWND FocusedControl(HWND window);
// Sets a control's text as typing would leave it (WM_SETTEXT crosses processes).
void SetControlText(HWND control, std::wstring_view text);

// ---- Mirelka ready ----------------------------------------------------------------------

// How far Mirelka's start has got. Every later stage includes the ones before it.
enum class Stage {
    Created,   // the main dialog exists
    Started,   // the main dialog's start-up is over: a message posted to it has been handled,
               // which only its message loop does (a sent one can be answered earlier, while
               // start-up waits on another process)
    Resident,  // and it has hidden itself, as it does at its first paint with a mode ticked
    Settled,   // and stays hidden: Wine flashes a modal dialog once its queue first runs
               // empty, and the next paint hides it again
};
// Mirelka's main dialog once its start has reached stage; null when that did not happen in
// time or the process ended. reached, when given, hears of each stage as it is reached.
HWND WaitForMirelka(const Process& process, Stage stage, DWORD timeoutMs = kStartTimeoutMs,
                    const std::function<void(Stage)>& reached = {});
// Starts the Mirelka at exe into process and waits until it is settled; throws when it
// doesn't get there.
HWND StartResident(std::optional<Process>& process, const std::wstring& exe,
                   const std::wstring& currentDirectory);
// Mirelka's main dialog once it is shown and has finished initialising; null when it did
// not show in time or the process ended.
HWND WaitForMainDialog(const Process& process, DWORD timeoutMs = kStartTimeoutMs);
// Shows the settings window as 設定 in the tray menu does; false when it did not show.
bool ShowSettings(HWND dialog);

// The open-file dialog of Mirelka's browse buttons ("ｼｮｰﾄｶｯﾄの指定") once it shows; null when
// it did not in time.
HWND WaitForShortcutDialog(const Process& process);
// Types path (or a bare file name, looked up in the folder the dialog shows) into that
// dialog's file name field and presses OK. The dialog runs in the thread of mainDialog.
// Throws when the field is missing or the dialog stays (as it does for a missing file).
void ChooseInFileDialog(HWND mainDialog, HWND fileDialog, const std::wstring& path);
// Opens that dialog with this browse button of Mirelka's and chooses path in it; throws when
// it does not show, or as ChooseInFileDialog does.
void ChooseShortcut(const Process& process, HWND dialog, const std::wstring& path, int button);

// ---- the notification icon and menus ------------------------------------------------------

// Posts what the shell posts for a mouse message over the icon.
void PostTrayMouseMessage(HWND dialog, UINT mouseMessage);
// Whether the shell holds the icon: NIM_MODIFY changing nothing succeeds only then.
bool TrayIconExists(HWND dialog);
// Deletes the icon from outside, as a task bar that goes away would lose it.
bool DeleteTrayIcon(HWND dialog);

// The process's (any process's for id 0) visible popup menus (class #32768).
std::vector<HWND> PopupMenus(DWORD processId);
// The first of them once the process shows count of them (a submenu is one more);
// null when it did not in time.
HWND WaitForPopupMenus(const Process& process, std::size_t count,
                       DWORD timeoutMs = kActionTimeoutMs);
// True once the process shows no popup menu.
bool WaitForNoPopupMenu(const Process& process, DWORD timeoutMs = kActionTimeoutMs);
// Opens the icon's menu with the right button and presses these keys in it; false when the
// menu did not open, or did not close after them.
bool ChooseFromTrayMenu(const Process& process, HWND dialog, const std::vector<UINT>& keys);

// ---- controls -------------------------------------------------------------------------------

// The items of a combo box of any process, in list order. Throws when it cannot be read.
std::vector<std::wstring> ComboItems(HWND combo);
// Chooses item index of a combo box as the user would: selected, then CBN_SELCHANGE to
// the combo's parent.
void ChooseComboItem(HWND combo, int index);
// Clicks tab index of a tab control of another process as the mouse would, so that the
// control asks its dialog first. False when the tab's place could not be read.
bool ClickTab(HWND tabControl, int index);

// The items of a list box of any process, in list order (LB_GETTEXT crosses processes for
// a list with strings). Throws when it cannot be read.
std::vector<std::wstring> ListItems(HWND list);
// Where a click lands in an item of Mirelka's check-list box.
enum class ItemPart { CheckBox, Label };
// Scrolls item index into view and posts a left click on that part of it.
void ClickListItem(HWND list, int index, ItemPart part);
// Moves the caret to item index with the keys and presses the space bar on it.
void PressSpaceOnListItem(HWND list, int index);

// ---- the display mode -------------------------------------------------------------------

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

// Switches to mode and stores it in the registry, as Mirelka does; false when refused.
bool ApplyRegistryMode(const ScreenMode& mode);

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

}  // namespace mirelka::driver
