// Measures the real Mirelka.exe from outside, in the same Wine session, each figure beside
// its baseline measured in the same run (scripts/bench.sh runs it; docs/PERFORMANCE.md):
//
//   start    CreateProcess until Mirelka's dialog exists, hidden, with its icon, against
//            CreateProcess until MinimalDialog's dialog shows, painted; runs alternate. Also
//            MinimalControls, the minimal dialog with the common controls 6 as Mirelka has
//            them, MinimalTemplate, the same showing Mirelka's dialog template, and
//            MinimalServices, taking every platform service Mirelka takes
//   memory   PrivateUsage (GetProcessMemoryInfo from here) of each, once settled, with the
//            Linux side of the same process (/proc/<pid>/status) beside it
//   menu     the tray callback posted until the popup menu (#32768) shows, 1,000 entries
//            against none; the same for a bare program building the same menu (MenuBaseline)
//   launch   menu command 34000 posted until the launched program's first instruction (its
//            performance counter reading), for an entry without a mode and one whose mode is
//            the current one, against this program starting the same one itself
//
// usage: WineBench --mirelka=EXE --minimal=EXE --controls=EXE --template=EXE --services=EXE
//                  --probe=EXE --menu-baseline=EXE [--runs=N] [--only=start,menu,launch]
// Exit status 0 when every measurement was taken (whether or not a target is met).
#include <windows.h>

#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Driver.h"
#include "resources/ResourceIds.h"

namespace {

using namespace mirelka::driver;

constexpr DWORD kTimeoutMs = 20000;
constexpr DWORD kSettleMs = 500;

// ---- time and figures -------------------------------------------------------------------

LONGLONG Ticks() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Ms(LONGLONG ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return 1000.0 * static_cast<double>(ticks) / frequency;
}

struct Series {
    std::vector<double> values;

    double Median() const {
        if (values.empty()) {
            return 0;
        }
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Min() const {
        return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
    }
    double Max() const {
        return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    }
};

void PrintSeries(const char* name, const Series& s, const char* unit) {
    std::printf("  %-44s median %9.1f %s   min %9.1f   max %9.1f   n=%zu\n", name, s.Median(), unit,
                s.Min(), s.Max(), s.values.size());
}

// a / b of the medians, with the ratio of the fastest runs beside it (noise only ever adds
// time); the target, if any (0: none), is judged on the medians.
void PrintRatio(const char* what, const Series& a, const Series& b, double target) {
    const double ratio = b.Median() > 0 ? a.Median() / b.Median() : 0;
    const double fastest = b.Min() > 0 ? a.Min() / b.Min() : 0;
    std::printf("  %-44s %6.2fx (fastest %.2fx)", what, ratio, fastest);
    if (target > 0) {
        std::printf("   target <= %.1fx: %s", target, ratio <= target ? "met" : "NOT MET");
    }
    std::printf("\n");
}

// ---- processes and windows ----------------------------------------------------------------

// A program started, and the counter reading just before it was.
struct Child {
    LONGLONG started = 0;
    std::optional<Process> process;

    void End() {
        if (process && !process->WaitForExit(kTimeoutMs)) {
            process->Terminate();
        }
        process.reset();
    }
};

Child Start(const std::wstring& exe, const std::wstring& folder,
            const std::wstring& arguments = L"", bool inJob = true) {
    Child child;
    child.started = Ticks();
    child.process.emplace(Process::Start(exe, folder, arguments, inJob));
    return child;
}

// The moments of a start, in ms from CreateProcess.
struct Stages {
    double window = 0;    // the dialog exists
    double started = 0;   // its message loop runs: WM_INITDIALOG is over
    double resident = 0;  // hidden, with its icon
};

// Mirelka started and resident: hidden, with its icon.
HWND WaitResident(const Child& child, Stages& stages) {
    HWND dialog = WaitForMirelka(*child.process, Stage::Resident, kTimeoutMs, [&](Stage stage) {
        const double ms = Ms(Ticks() - child.started);
        (stage == Stage::Created ? stages.window : stages.started) = ms;
    });
    if (dialog == nullptr || !WaitUntil(kTimeoutMs, [&] { return TrayIconExists(dialog); })) {
        throw std::runtime_error("Mirelka did not get resident: " + Describe(*child.process));
    }
    stages.resident = Ms(Ticks() - child.started);
    return dialog;
}

HWND WaitResident(const Child& child) {
    Stages ignored;
    return WaitResident(child, ignored);
}

// A minimal dialog shown and painted (and with its icon, when it makes one). The time from
// CreateProcess.
HWND WaitShown(const Child& child, bool withIcon, double& ms) {
    HWND dialog = nullptr;
    if (!WaitUntil(kTimeoutMs, [&] {
            dialog = nullptr;
            for (HWND window : AllTopLevelWindows(child.process->Id(), L"#32770")) {
                if (IsWindowVisible(window)) {
                    dialog = window;
                    break;
                }
            }
            return dialog != nullptr && GetUpdateRect(dialog, nullptr, FALSE) == FALSE &&
                   (!withIcon || TrayIconExists(dialog));
        })) {
        throw std::runtime_error("a minimal dialog did not show");
    }
    ms = Ms(Ticks() - child.started);
    return dialog;
}

void EndMirelka(Child& child, HWND dialog) {
    PostCommand(dialog, ID_TRAY_EXIT);
    child.End();
}

// ---- memory -------------------------------------------------------------------------------

struct Memory {
    double privateKiB = 0;     // PROCESS_MEMORY_COUNTERS_EX::PrivateUsage
    double pagefileKiB = 0;    // ::PagefileUsage
    double workingSetKiB = 0;  // ::WorkingSetSize
    double rssAnonKiB = -1;    // /proc/<pid>/status of the same process; -1: not found
    double rssKiB = -1;
};

// The Linux process of a Windows one, found by a path only it has on its command line.
std::wstring ProcFolderOf(const std::wstring& uniqueText) {
    const std::string needle = Utf8(uniqueText);
    WIN32_FIND_DATAW entry{};
    HANDLE found = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (found == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring result;
    do {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') {
            continue;
        }
        const std::wstring folder = std::wstring(L"Z:\\proc\\") + entry.cFileName;
        std::string commandLine = ReadBytes(folder + L"\\cmdline");
        std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
        // Wine shows a Windows process's command line with its path as Windows spells it.
        std::string unix = needle;
        std::replace(unix.begin(), unix.end(), '\\', '/');
        if (commandLine.find(needle) != std::string::npos ||
            commandLine.find(unix) != std::string::npos) {
            result = folder;
            break;
        }
    } while (FindNextFileW(found, &entry));
    FindClose(found);
    return result;
}

double StatusKiB(const std::string& status, const char* key) {
    const std::size_t at = status.find(key);
    return at == std::string::npos ? -1 : std::atof(status.c_str() + at + std::strlen(key));
}

Memory Counters(HANDLE process) {
    Memory memory;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        memory.privateKiB = static_cast<double>(counters.PrivateUsage) / 1024;
        memory.pagefileKiB = static_cast<double>(counters.PagefileUsage) / 1024;
        memory.workingSetKiB = static_cast<double>(counters.WorkingSetSize) / 1024;
    }
    return memory;
}

void ReadStatus(const std::wstring& folder, Memory& memory) {
    if (!folder.empty()) {
        const std::string status = ReadBytes(folder + L"\\status");
        memory.rssAnonKiB = StatusKiB(status, "RssAnon:");
        memory.rssKiB = StatusKiB(status, "VmRSS:");
    }
}

Memory MeasureMemory(const Child& child, const std::wstring& uniqueText) {
    Memory memory = Counters(child.process->Handle());
    ReadStatus(ProcFolderOf(uniqueText), memory);
    return memory;
}

// What GetProcessMemoryInfo says of this process itself, for comparison.
void PrintSelfCheck() {
    const Memory self = Counters(GetCurrentProcess());
    std::printf(
        "  (this process of itself: PrivateUsage %.0f KiB, PagefileUsage %.0f KiB, "
        "WorkingSetSize %.0f KiB)\n",
        self.privateKiB, self.pagefileKiB, self.workingSetKiB);
}

// ---- the runs -----------------------------------------------------------------------------

struct Options {
    std::wstring mirelka;
    std::wstring minimal;
    std::wstring controls;
    std::wstring dialogTemplate;
    std::wstring services;
    std::wstring probe;
    std::wstring menuBaseline;
    int runs = 11;
    std::wstring only = L"start,menu,launch";
};

struct Workspace {
    std::wstring root;

    Workspace() {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        root = std::wstring(temp) + L"mirelka-bench-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(root);
        if (!CreateDirectoryW(root.c_str(), nullptr)) {
            throw std::runtime_error("cannot make the work folder");
        }
    }
    ~Workspace() { RemoveTree(root); }

    // A folder of its own with a copy of exe in it; returns the copy's path.
    std::wstring Install(const std::wstring& name, const std::wstring& exe) const {
        const std::wstring folder = root + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring copy = folder + exe.substr(exe.find_last_of(L"\\/"));
        CopyInto(exe, copy);
        return copy;
    }
};

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/"));
}

ScreenMode CurrentRegistryMode() {
    const std::optional<ScreenMode> mode = RegistryMode();
    if (!mode) {
        throw std::runtime_error("no registry display mode");
    }
    return *mode;
}

std::string ModeLine(const ScreenMode& m) {
    return std::to_string(m.width) + "\t" + std::to_string(m.height) + "\t" +
           std::to_string(m.bitsPerPixel) + "\t" + std::to_string(m.frequency) + "\r\n";
}

// Registered applications: count entries whose shortcuts need not exist (the menu never
// reads them), titles in code page 932 as a Japanese user's.
std::string AppData(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%04d", i);
        bytes += Cp932(std::string("ゲーム ") + number) + "\tC:\\Games\\" + std::to_string(i) +
                 ".lnk\t800\t600\t16\t60\t1\r\n";
    }
    return bytes;
}

void RunStart(const Options& options, const Workspace& work) {
    const ScreenMode mode = CurrentRegistryMode();
    constexpr int kPrograms = 5;
    const std::wstring exes[kPrograms] = {work.Install(L"start-mirelka", options.mirelka),
                                          work.Install(L"start-minimal", options.minimal),
                                          work.Install(L"start-controls", options.controls),
                                          work.Install(L"start-template", options.dialogTemplate),
                                          work.Install(L"start-services", options.services)};
    const wchar_t* folders[kPrograms] = {L"start-mirelka", L"start-minimal", L"start-controls",
                                         L"start-template", L"start-services"};
    WriteBytes(FolderOf(exes[0]) + L"\\ScreenMode.txt", ModeLine(mode));

    Series ms[kPrograms], anon[kPrograms], rss[kPrograms], privateUsage[kPrograms],
        pagefile[kPrograms], workingSet[kPrograms];
    Series window, started;
    auto one = [&](int which, bool counted) {
        Child child = Start(exes[which], FolderOf(exes[which]));
        HWND dialog = nullptr;
        Stages stages;
        if (which == 0) {
            dialog = WaitResident(child, stages);
        } else {
            dialog = WaitShown(child, which == 4, stages.resident);
        }
        Sleep(kSettleMs);
        const Memory memory = MeasureMemory(child, folders[which]);
        if (which == 0) {
            EndMirelka(child, dialog);
        } else {
            PostCommand(dialog, IDCANCEL);
            child.End();
        }
        if (counted) {
            ms[which].values.push_back(stages.resident);
            anon[which].values.push_back(memory.rssAnonKiB);
            rss[which].values.push_back(memory.rssKiB);
            privateUsage[which].values.push_back(memory.privateKiB);
            pagefile[which].values.push_back(memory.pagefileKiB);
            workingSet[which].values.push_back(memory.workingSetKiB);
            if (which == 0) {
                window.values.push_back(stages.window);
                started.values.push_back(stages.started);
            }
        }
        Sleep(100);
    };
    // One of each first, not counted: the files come into the cache, Wine's DLLs load once.
    for (int which = 0; which < kPrograms; ++which) {
        one(which, false);
    }
    for (int i = 0; i < options.runs; ++i) {
        // Rotating which goes first, so that none always follows another.
        for (int k = 0; k < kPrograms; ++k) {
            one((i + k) % kPrograms, true);
        }
    }

    std::printf(
        "\nstart: CreateProcess until resident (Mirelka: hidden, icon present; "
        "MinimalDialog: shown, painted)\n");
    PrintSeries("Mirelka.exe", ms[0], "ms ");
    PrintSeries("MinimalDialog.exe (baseline)", ms[1], "ms ");
    PrintRatio("Mirelka / MinimalDialog", ms[0], ms[1], 1.5);
    PrintSeries("  Mirelka: its dialog exists", window, "ms ");
    PrintSeries("  Mirelka: WM_INITDIALOG over", started, "ms ");
    PrintSeries("MinimalControls.exe (shown, painted)", ms[2], "ms ");
    PrintRatio("MinimalControls / MinimalDialog", ms[2], ms[1], 0);
    PrintRatio("Mirelka / MinimalControls", ms[0], ms[2], 0);
    PrintSeries("MinimalTemplate.exe (shown, painted)", ms[3], "ms ");
    PrintRatio("MinimalTemplate / MinimalDialog", ms[3], ms[1], 0);
    PrintRatio("Mirelka / MinimalTemplate", ms[0], ms[3], 0);
    PrintSeries("MinimalServices.exe (shown, painted, icon)", ms[4], "ms ");
    PrintRatio("MinimalServices / MinimalDialog", ms[4], ms[1], 0);
    PrintRatio("Mirelka / MinimalServices", ms[0], ms[4], 0);

    std::printf("\nmemory, %lu ms after that, of the same processes\n",
                static_cast<unsigned long>(kSettleMs));
    std::printf(" GetProcessMemoryInfo from this process:\n");
    PrintSeries("Mirelka.exe PrivateUsage", privateUsage[0], "KiB");
    PrintSeries("MinimalDialog.exe PrivateUsage", privateUsage[1], "KiB");
    PrintSeries("Mirelka.exe PagefileUsage", pagefile[0], "KiB");
    PrintSeries("MinimalDialog.exe PagefileUsage", pagefile[1], "KiB");
    PrintSeries("Mirelka.exe WorkingSetSize", workingSet[0], "KiB");
    PrintSeries("MinimalDialog.exe WorkingSetSize", workingSet[1], "KiB");
    PrintSelfCheck();
    std::printf(" Linux's view of the same processes (/proc/<pid>/status, read through Z:):\n");
    PrintSeries("Mirelka.exe RssAnon (private, resident)", anon[0], "KiB");
    PrintSeries("MinimalDialog.exe RssAnon (baseline)", anon[1], "KiB");
    PrintRatio("Mirelka / MinimalDialog (RssAnon)", anon[0], anon[1], 1.5);
    PrintSeries("MinimalControls.exe RssAnon", anon[2], "KiB");
    PrintRatio("MinimalControls / MinimalDialog (RssAnon)", anon[2], anon[1], 0);
    PrintRatio("Mirelka / MinimalControls (RssAnon)", anon[0], anon[2], 0);
    PrintSeries("MinimalTemplate.exe RssAnon (shown)", anon[3], "KiB");
    PrintSeries("MinimalServices.exe RssAnon", anon[4], "KiB");
    PrintRatio("Mirelka / MinimalServices (RssAnon)", anon[0], anon[4], 0);
    PrintSeries("Mirelka.exe VmRSS", rss[0], "KiB");
    PrintSeries("MinimalDialog.exe VmRSS", rss[1], "KiB");
    PrintSeries("MinimalControls.exe VmRSS", rss[2], "KiB");
    PrintSeries("MinimalServices.exe VmRSS", rss[4], "KiB");
    PrintRatio("Mirelka / MinimalDialog (VmRSS)", rss[0], rss[1], 0);
}

// Opens a started program's menu `runs` times (after one opening not counted) and notes when
// the popup shows and when it is painted.
void OpenMenus(const Child& child, HWND window, int runs, Series& shown, Series& painted) {
    // The cursor where a click on the icon would leave it: the menu opens there.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 20, GetSystemMetrics(SM_CYSCREEN) - 30);
    for (int i = -1; i < runs; ++i) {
        const LONGLONG posted = Ticks();
        PostTrayMouseMessage(window, WM_RBUTTONDOWN);
        HWND menu = WaitForPopupMenus(*child.process, 1, kTimeoutMs);
        if (menu == nullptr) {
            throw std::runtime_error("the menu did not open");
        }
        const double shownMs = Ms(Ticks() - posted);
        WaitForPaint(menu, kTimeoutMs);
        const double paintedMs = Ms(Ticks() - posted);
        if (i >= 0) {
            shown.values.push_back(shownMs);
            painted.values.push_back(paintedMs);
        }
        PostKey(menu, VK_ESCAPE);
        if (!WaitForNoPopupMenu(*child.process, kTimeoutMs) || !AnswersWithin(window, kTimeoutMs)) {
            throw std::runtime_error("the menu did not close");
        }
        Sleep(100);
    }
}

void RunMenu(const Options& options, const Workspace& work) {
    const ScreenMode mode = CurrentRegistryMode();
    const int counts[] = {0, 1000};
    std::wstring exes[2];
    for (int k = 0; k < 2; ++k) {
        exes[k] = work.Install(L"menu-" + std::to_wstring(counts[k]), options.mirelka);
        WriteBytes(FolderOf(exes[k]) + L"\\ScreenMode.txt", ModeLine(mode));
        WriteBytes(FolderOf(exes[k]) + L"\\AppData.txt", AppData(counts[k]));
    }
    const std::wstring bare = work.Install(L"menu-baseline", options.menuBaseline);
    Series shown[2], painted[2], bareShown[2], barePainted[2];
    // Two rounds of each, so that a slow spell of the machine does not fall on one alone.
    const int perRound = (options.runs + 1) / 2;
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < 2; ++k) {
            Child child = Start(exes[k], FolderOf(exes[k]));
            HWND dialog = WaitResident(child);
            OpenMenus(child, dialog, perRound, shown[k], painted[k]);
            EndMirelka(child, dialog);

            Child baseline = Start(bare, FolderOf(bare), L"--items=" + std::to_wstring(counts[k]));
            HWND window = nullptr;
            if (!WaitUntil(kTimeoutMs, [&] {
                    const std::vector<HWND> found =
                        AllTopLevelWindows(baseline.process->Id(), L"MirelkaMenuBaseline");
                    window = found.empty() ? nullptr : found.front();
                    return window != nullptr && AnswersWithin(window, kTimeoutMs);
                })) {
                throw std::runtime_error("MenuBaseline did not start");
            }
            OpenMenus(baseline, window, perRound, bareShown[k], barePainted[k]);
            PostMessageW(window, WM_CLOSE, 0, 0);
            baseline.End();
        }
    }
    std::printf("\nmenu: tray callback posted until the popup menu shows (and is painted)\n");
    PrintSeries("Mirelka, 1,000 entries, shown", shown[1], "ms ");
    PrintSeries("Mirelka, 0 entries, shown (baseline)", shown[0], "ms ");
    PrintRatio("Mirelka 1,000 / 0 entries, shown", shown[1], shown[0], 2.0);
    PrintSeries("Mirelka, 1,000 entries, painted", painted[1], "ms ");
    PrintSeries("Mirelka, 0 entries, painted", painted[0], "ms ");
    PrintRatio("Mirelka 1,000 / 0 entries, painted", painted[1], painted[0], 0);
    std::printf(" the same menu built by a bare program (MenuBaseline):\n");
    PrintSeries("bare, 1,000 items, shown", bareShown[1], "ms ");
    PrintSeries("bare, 0 items, shown", bareShown[0], "ms ");
    PrintRatio("bare 1,000 / 0 items, shown", bareShown[1], bareShown[0], 0);
    PrintRatio("Mirelka / bare, 1,000, shown", shown[1], bareShown[1], 0);
    PrintRatio("Mirelka / bare, 0, shown", shown[0], bareShown[0], 0);
}

// The stamps the probe copy at exe has written, as counter readings.
std::vector<LONGLONG> Stamps(const std::wstring& exe) {
    std::vector<LONGLONG> stamps;
    const std::string bytes = ReadBytes(exe + L".stamp");
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        stamps.push_back(std::atoll(bytes.substr(start, end - start).c_str()));
    }
    return stamps;
}

void RunLaunch(const Options& options, const Workspace& work) {
    const ScreenMode mode = CurrentRegistryMode();
    const std::wstring mirelka = work.Install(L"launch", options.mirelka);
    const std::wstring probe = work.Install(L"launch-probe", options.probe);
    const std::wstring link = FolderOf(mirelka) + L"\\probe.lnk";
    MakeShortcut(link, probe, FolderOf(probe));
    const std::string linkBytes = Cp932(Utf8(link));
    WriteBytes(FolderOf(mirelka) + L"\\ScreenMode.txt", ModeLine(mode));
    // Titles in this order: command 34000 is the one without a mode, 34001 the same mode.
    std::string mirelkaModeFields = ModeLine(mode);
    mirelkaModeFields.resize(mirelkaModeFields.size() - 2);
    WriteBytes(FolderOf(mirelka) + L"\\AppData.txt",
               "1 no mode\t" + linkBytes + "\t0\t0\t0\t0\t0\r\n" + "2 same mode\t" + linkBytes +
                   "\t" + mirelkaModeFields + "\t0\r\n");

    Child child = Start(mirelka, FolderOf(mirelka));
    HWND dialog = WaitResident(child);

    Series direct, noMode, sameMode;
    for (int i = -1; i < options.runs; ++i) {
        for (int kind = 0; kind < 3; ++kind) {
            const std::size_t before = Stamps(probe).size();
            LONGLONG posted = 0;
            Child started;
            if (kind == 0) {
                // Plainly, as Mirelka's own CreateProcess does it.
                started.started = Ticks();
                started.process.emplace(Process::Start(probe, FolderOf(probe), L"", false));
                posted = started.started;
            } else {
                posted = Ticks();
                PostCommand(dialog, ID_LAUNCH_FIRST + kind - 1);
            }
            std::vector<LONGLONG> stamps;
            if (!WaitUntil(kTimeoutMs, [&] { return (stamps = Stamps(probe)).size() > before; })) {
                throw std::runtime_error("the probe did not start");
            }
            const double ms = Ms(stamps.back() - posted);
            started.End();
            // Mirelka waits for the program it started: it answers again once that ended.
            if (!WaitUntil(kTimeoutMs, [&] { return AnswersWithin(dialog, 100); })) {
                throw std::runtime_error("Mirelka did not come back from the launch");
            }
            Sleep(100);
            if (i >= 0) {
                (kind == 0 ? direct : kind == 1 ? noMode : sameMode).values.push_back(ms);
            }
        }
    }
    EndMirelka(child, dialog);

    Series overheadNoMode, overheadSameMode;
    for (std::size_t i = 0; i < direct.values.size(); ++i) {
        overheadNoMode.values.push_back(noMode.values[i] - direct.values[i]);
        overheadSameMode.values.push_back(sameMode.values[i] - direct.values[i]);
    }
    std::printf(
        "\nlaunch: command posted until the program's first instruction (its counter "
        "reading)\n");
    std::printf("  registry mode %lux%lux%lu %luHz\n", mode.width, mode.height, mode.bitsPerPixel,
                mode.frequency);
    PrintSeries("through Mirelka, entry without a mode", noMode, "ms ");
    PrintSeries("through Mirelka, entry with the current mode", sameMode, "ms ");
    PrintSeries("started directly by CreateProcess (baseline)", direct, "ms ");
    PrintRatio("Mirelka (no mode) / direct", noMode, direct, 0);
    PrintSeries("Mirelka's overhead, no mode (run by run)", overheadNoMode, "ms ");
    PrintSeries("Mirelka's overhead, same mode (run by run)", overheadSameMode, "ms ");
    Series modeChange;
    for (std::size_t i = 0; i < noMode.values.size(); ++i) {
        modeChange.values.push_back(sameMode.values[i] - noMode.values[i]);
    }
    PrintSeries("the mode change itself (same - no mode)", modeChange, "ms ");
}

bool Option(const std::wstring& arg, const wchar_t* name, std::wstring& value) {
    const std::wstring prefix = std::wstring(L"--") + name + L"=";
    if (arg.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    value = arg.substr(prefix.size());
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::wstring value;
        if (Option(argv[i], L"mirelka", options.mirelka) ||
            Option(argv[i], L"minimal", options.minimal) ||
            Option(argv[i], L"controls", options.controls) ||
            Option(argv[i], L"template", options.dialogTemplate) ||
            Option(argv[i], L"services", options.services) ||
            Option(argv[i], L"probe", options.probe) ||
            Option(argv[i], L"menu-baseline", options.menuBaseline) ||
            Option(argv[i], L"only", options.only)) {
            continue;
        }
        if (Option(argv[i], L"runs", value)) {
            options.runs = std::max(1, static_cast<int>(std::wcstol(value.c_str(), nullptr, 10)));
            continue;
        }
        std::fprintf(stderr, "WineBench: unknown argument; see bench/WineBench.cpp\n");
        return 2;
    }
    if (options.mirelka.empty() || options.minimal.empty() || options.controls.empty() ||
        options.dialogTemplate.empty() || options.services.empty() || options.probe.empty() ||
        options.menuBaseline.empty()) {
        std::fprintf(stderr,
                     "WineBench: --mirelka, --minimal, --controls, --template, "
                     "--services, --probe and --menu-baseline are needed\n");
        return 2;
    }
    SetPollInterval(1);
    try {
        Workspace work;
        std::printf("WineBench: %d counted runs of each, after one that is not\n", options.runs);
        if (options.only.find(L"start") != std::wstring::npos) {
            RunStart(options, work);
            std::fflush(stdout);
        }
        if (options.only.find(L"menu") != std::wstring::npos) {
            RunMenu(options, work);
            std::fflush(stdout);
        }
        if (options.only.find(L"launch") != std::wstring::npos) {
            RunLaunch(options, work);
        }
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "WineBench: %s\n", error.what());
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
