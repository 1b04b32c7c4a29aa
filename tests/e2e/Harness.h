#pragma once

// What the end-to-end tests add to the driver: the files Mirelka reads, the program under
// test, message boxes read from the screen, snapshots, the launch probe's log and what a
// process holds.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Driver.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {

using namespace mirelka::driver;

// ---- text ----------------------------------------------------------------------------

// A data file: each UTF-8 line in code page 932, each ending in CR LF.
std::string DataFileBytes(const std::vector<std::string>& utf8Lines);
// A line of AppData.txt, in UTF-8; no mode is all zeros.
std::string AppDataLine(const std::string& title, const std::wstring& shortcut,
                        const ScreenMode& mode = {}, bool restore = false);
// A mode as the launch probe records it, "800x600x32 60Hz".
std::string ModeText(const ScreenMode& mode);

// A mode as the mode list labels it (" 800×600×32 60Hz") and as ScreenMode.txt holds it.
std::string ListLabel(const ScreenMode& mode);
std::string FileLine(const ScreenMode& mode);
// The modes a mode list shows, read back from its labels; throws on a label of another form.
std::vector<ScreenMode> ListedModes(HWND list);

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

// ---- message boxes read from the screen -----------------------------------------------

enum class StandardIcon { None, Error, Warning, Information, Question };
std::ostream& operator<<(std::ostream& out, StandardIcon icon);
// Which standard icon a message box shows, judged from its pixels on the screen (another
// process's icon handle means nothing here). None while it shows no icon, or none of them.
StandardIcon MessageBoxIcon(HWND box);
// The same once the box has painted an icon; None when it shows none in time.
StandardIcon WaitForMessageBoxIcon(HWND box, DWORD timeoutMs = kActionTimeoutMs);

// Whether the process has a message box now, shown yet or not.
bool ShowsMessageBox(const Process& process);
// Whether a message box shows any icon at all (unlike MessageBoxIcon, no wait for paint).
bool MessageBoxShowsIcon(HWND box);

// ---- files compared, screenshots, the launch probe's log, folders ------------------------

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

// An application to register: a copy of the launch probe in a folder of its own, and a
// shortcut to it with that folder as its working folder.
struct ProbeApp {
    std::wstring folder;
    std::wstring exe;
    std::wstring shortcut;
    std::wstring log;  // what the probe writes when it runs
};
// Makes one in the folder name inside in; sleepMs, when given, is how long it runs.
ProbeApp MakeProbeApp(const TempFolder& in, std::wstring_view name,
                      std::optional<unsigned> sleepMs = std::nullopt);

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

// ---- message boxes answered, the open-file dialog, helper files, the platform ---------

// A message box as the test found it before answering it.
struct AnsweredBox {
    std::string text;
    StandardIcon icon = StandardIcon::None;
    bool yesNo = false;        // Yes and No rather than OK
    bool noIsDefault = false;  // Enter would answer No
    HWND owner = nullptr;
};
// The answer that is the Enter key rather than a button.
constexpr int kEnter = 0;
// Waits for the process's next message box, reads it, answers it with this button's id (or
// Enter) and waits until it is gone; nothing when none showed or it did not go.
std::optional<AnsweredBox> AnswerNextMessageBox(const Process& process, int button);
// The same box's text, or one that says what went wrong.
std::string AnswerNextMessageBoxText(const Process& process, int button);
// After the last box: Mirelka is back in its dialog's loop and shows none.
void ExpectNoFurtherBox(const Process& process, HWND dialog);
// The main dialog has painted and is still on screen, on the mode tab with its controls.
void ExpectOnScreenOnTheModeTab(const Process& process, HWND dialog);

// A file of ours built beside the launch probe: a helper program or DLL.
std::wstring HelperPath(std::wstring_view fileName);
// Whether this runs under Wine: its file system differs from Windows' in places.
bool RunsUnderWine();
// A Linux path (from CMake or the environment) as the Windows path of Wine's drive for the
// root; any other path as it is.
std::wstring WindowsPath(const std::wstring& path);

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

// ---- the fixture the end-to-end tests share ---------------------------------------------

namespace mirelka::e2e {

// A copy of Mirelka.exe in a fresh folder, where its data files go; the display mode found
// at the start is put back at the end.
class MirelkaTest : public testing::Test {
protected:
    MirelkaTest() { CopyInto(MirelkaPath(), exe_); }

    // Starts the copy (in its folder unless told) and waits until it is settled; throws when
    // it is not.
    HWND StartResident() { return StartResident(folder_.Path()); }
    HWND StartResident(const std::wstring& currentDirectory) {
        return driver::StartResident(mirelka_, exe_, currentDirectory);
    }
    // Starts the copy in its folder and waits for its main dialog on screen, as it shows with
    // no mode ticked; throws when it does not show.
    HWND StartShown() {
        mirelka_.emplace(Process::Start(exe_, folder_.Path()));
        return Require(WaitForMainDialog(*mirelka_), *mirelka_);
    }
    // Browses with this button for a shortcut: its path, or a bare name looked up in the
    // folder the open-file dialog shows.
    void ChooseShortcut(HWND dialog, const std::wstring& path,
                        int button = IDC_BROWSE_DESKTOP) const {
        driver::ChooseShortcut(*mirelka_, dialog, path, button);
    }
    void ExpectNoFurtherBox(HWND dialog) const { e2e::ExpectNoFurtherBox(*mirelka_, dialog); }
    // Mirelka's main dialog as a wait found it; throws when it found none.
    static HWND Require(HWND dialog, const Process& process) {
        if (dialog == nullptr) {
            throw std::runtime_error("no main dialog: " + Describe(process));
        }
        return dialog;
    }
    // A control's text, and the titles the title box offers, in UTF-8.
    static std::string Text(HWND dialog, int id) {
        return Utf8(WindowText(GetDlgItem(dialog, id)));
    }
    static std::vector<std::string> Titles(HWND dialog) {
        return Utf8(ComboItems(GetDlgItem(dialog, IDC_TITLE)));
    }

    DisplayGuard display_;  // first in, last out: after Mirelka has gone
    TempFolder folder_;
    const std::wstring exe_ = folder_.PathOf(L"Mirelka.exe");
    const std::wstring appData_ = folder_.PathOf(L"AppData.txt");
    const std::wstring screenModes_ = folder_.PathOf(L"ScreenMode.txt");
    std::optional<Process> mirelka_;  // ended first, and the program it runs with it
};

}  // namespace mirelka::e2e
