// Launching a registered application as the tray menu does (WM_COMMAND 34000 + n): the
// shortcut's target runs in the shortcut's working folder under the entry's display mode,
// Mirelka waits for it and then puts the display back when the entry asks. The launch
// probe records how it was started; copies of it stand in for the applications.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

void RemoveFile(const std::wstring& path) {
    if (!DeleteFileW(path.c_str())) {
        throw std::runtime_error("DeleteFileW failed: " + Utf8(path));
    }
}

// Sets an environment variable of this process, so of the programs it starts, for a while.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::wstring name, const std::wstring& value) : name_(std::move(name)) {
        const DWORD size = GetEnvironmentVariableW(name_.c_str(), nullptr, 0);
        if (size > 0) {
            std::wstring old(size, L'\0');
            old.resize(GetEnvironmentVariableW(name_.c_str(), old.data(), size));
            old_ = std::move(old);
        }
        SetEnvironmentVariableW(name_.c_str(), value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> old_;
};

class LaunchE2ETest : public MirelkaTest {
protected:
    LaunchE2ETest() : startFolder_(folder_.MakeFolder(L"start")) {
        // One mode ticked, so that Mirelka starts resident, as it is used. The entries'
        // modes are not ticked: a launch takes any listed mode.
        WriteBytes(screenModes_, DataFileBytes({"640\t480\t32\t60"}));
    }

    // A copy of the launch probe at path that sleeps sleepMs before it ends.
    static std::wstring PlaceProbe(const std::wstring& path, DWORD sleepMs = 0) {
        CopyInto(ProbePath(), path);
        WriteBytes(path + L".sleep", std::to_string(sleepMs));
        return path;
    }

    // Lines of AppData.txt, from AppDataLine.
    void Register(const std::vector<std::string>& lines) const {
        WriteBytes(appData_, DataFileBytes(lines));
    }

    // What the tray menu's item for entry n (in title order) sends.
    static void Launch(HWND dialog, int n) { PostCommand(dialog, ID_LAUNCH_FIRST + n); }

    // The launch that is running, or was posted before and has started, is over, restore
    // included: Mirelka answers sent messages meanwhile, but handles posted ones only then.
    void ExpectLaunchOver(HWND dialog) const {
        EXPECT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
    }

    // Launches entry n, waits for the probe at exe to have run count times in all and for
    // the launch to be over; its records.
    std::vector<ProbeRecord> LaunchAndWait(HWND dialog, int n, const std::wstring& exe,
                                           std::size_t count = 1) const {
        Launch(dialog, n);
        std::vector<ProbeRecord> runs = WaitForProbeRecords(ProbeLogOf(exe), count);
        if (runs.size() != count) {
            throw std::runtime_error(Utf8(exe) + " ran " + std::to_string(runs.size()) +
                                     " times: " + Describe(*mirelka_));
        }
        ExpectLaunchOver(dialog);
        return runs;
    }

    static void RequireModes(std::initializer_list<ScreenMode> modes) {
        const std::vector<ScreenMode> offered = DriverModes();
        for (const ScreenMode& mode : modes) {
            if (std::find(offered.begin(), offered.end(), mode) == offered.end()) {
                throw std::runtime_error("the display offers no " + ModeText(mode));
            }
        }
    }

    const std::wstring startFolder_;
};

TEST_F(LaunchE2ETest, TargetRunsInTheShortcutsFolderUnderTheEntrysModeAndTheModeComesBackIfAsked) {
    const ScreenMode restoring{800, 600, 16, 60};
    const ScreenMode staying{640, 480, 16, 60};
    RequireModes({restoring, staying});
    const ScreenMode original = display_.Original();
    ASSERT_NE(original, restoring);
    ASSERT_NE(original, staying);

    const std::wstring apps = folder_.MakeFolder(L"apps");
    const std::wstring work = folder_.MakeFolder(L"work");
    const std::wstring work2 = folder_.MakeFolder(L"作業");
    // Long enough to look at Mirelka while it waits.
    const std::wstring first = PlaceProbe(apps + L"\\first.exe", 1500);
    const std::wstring second = PlaceProbe(apps + L"\\second.exe");
    MakeShortcut(apps + L"\\first.lnk", first, work, L"-conf \"my game.conf\"");
    MakeShortcut(apps + L"\\second.lnk", second, work2);
    Register({AppDataLine("Stays", apps + L"\\second.lnk", staying),
              AppDataLine("Restores", apps + L"\\first.lnk", restoring, true)});
    HWND dialog = StartResident(startFolder_);

    // "Stays": after "Restores" in title order.
    std::vector<ProbeRecord> runs = LaunchAndWait(dialog, 1, second);
    EXPECT_EQ(runs[0]["cwd"], Utf8(work2));
    EXPECT_EQ(runs[0]["mode"], ModeText(staying));
    EXPECT_EQ(RegistryMode(), staying) << "restore is 0";

    Launch(dialog, 0);
    runs = WaitForProbeRecords(ProbeLogOf(first), 1);
    ASSERT_EQ(runs.size(), 1u) << Describe(*mirelka_);
    EXPECT_EQ(runs[0]["cwd"], Utf8(work));
    EXPECT_EQ(runs[0]["mode"], ModeText(restoring));
    EXPECT_EQ(runs[0]["cmdline"], "\"" + Utf8(first) + "\" -conf \"my game.conf\"");
    EXPECT_EQ(runs[0]["argv2"], "my game.conf");
    // While the program runs the display stays switched; Mirelka answers what is sent, a
    // right click (posted, or sent as the shell does) does nothing, a session end keeps
    // the captured mode for the next logon.
    EXPECT_TRUE(AnswersWithin(dialog, 1000)) << "nobody hangs on the waiting launcher";
    EXPECT_EQ(RegistryMode(), restoring) << "no restore before the program has ended";
    PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
    SendNotifyMessageW(dialog, kTrayCallbackMessage, kTrayIconId, WM_RBUTTONDOWN);
    ASSERT_TRUE(DeleteTrayIcon(dialog));  // Explorer restarts meanwhile
    PostMessageW(dialog, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    LRESULT mayEnd = FALSE;
    ASSERT_TRUE(SendWithTimeout(dialog, WM_QUERYENDSESSION, 0, 0, mayEnd));
    EXPECT_EQ(mayEnd, TRUE);
    LRESULT ignored = 0;
    ASSERT_TRUE(SendWithTimeout(dialog, WM_ENDSESSION, TRUE, 0, ignored));
    EXPECT_EQ(RegistryMode(), staying) << "the mode captured before the launch";
    ExpectLaunchOver(dialog);
    EXPECT_EQ(RegistryMode(), staying)
        << "the mode from just before the launch, not from the start";
    EXPECT_EQ(WaitForPopupMenus(*mirelka_, 1, 500), nullptr) << "a click from the launch";
    EXPECT_TRUE(TrayIconExists(dialog)) << "TaskbarCreated from the launch still counts";
    // Nothing of Mirelka's holds the folder once the program has ended.
    EXPECT_TRUE(MoveFileExW(work.c_str(), (work + L" moved").c_str(), 0)) << GetLastError();
    EXPECT_EQ(ReadProbeLog(ProbeLogOf(second)).size(), 1u) << "each launch starts one program";
}

TEST_F(LaunchE2ETest, WithoutAWorkingFolderTheTargetStartsWhereTheLastLaunchLeftMirelka) {
    const std::wstring apps = folder_.MakeFolder(L"apps");
    const std::wstring work = folder_.MakeFolder(L"work");
    const std::wstring withFolder = PlaceProbe(apps + L"\\with.exe");
    const std::wstring without = PlaceProbe(apps + L"\\without.exe");
    // As installers write it: expanded from Mirelka's environment, which it has from ours.
    const ScopedEnvironment variable(L"MIRELKA_WORK", work);
    MakeShortcut(apps + L"\\with.lnk", withFolder, L"%MIRELKA_WORK%");
    MakeShortcut(apps + L"\\without.lnk", without, L"");
    Register({AppDataLine("A with", apps + L"\\with.lnk"),
              AppDataLine("B without", apps + L"\\without.lnk")});
    HWND dialog = StartResident(startFolder_);

    LaunchAndWait(dialog, 1, without);
    std::vector<ProbeRecord> with = LaunchAndWait(dialog, 0, withFolder);
    LaunchAndWait(dialog, 1, without, 2);
    ASSERT_TRUE(MoveFileExW(work.c_str(), (work + L" moved").c_str(), 0)) << GetLastError();
    std::vector<ProbeRecord> runs = LaunchAndWait(dialog, 1, without, 3);

    EXPECT_EQ(with[0]["cwd"], Utf8(work));
    EXPECT_EQ(runs[0]["cwd"], Utf8(startFolder_)) << "the folder Mirelka was started in";
    EXPECT_EQ(runs[1]["cwd"], Utf8(work)) << "the folder of the launch before";
    EXPECT_EQ(runs[2]["cwd"], Utf8(startFolder_)) << "that folder has gone";
    EXPECT_EQ(RegistryMode(), display_.Original()) << "an entry without a mode switches nothing";
}

TEST_F(LaunchE2ETest, AnExtensionlessTargetStartsTheFirstOfComExeBatCmdThatExists) {
    // A blank and a dot in the folder: only the file name's own dot counts.
    const std::wstring game = folder_.MakeFolder(L"Game v1.2");
    const std::wstring target = game + L"\\game";
    const std::wstring ran = game + L"\\ran.txt";
    const auto placeScript = [&](const wchar_t* extension, const char* word) {
        WriteBytes(target + extension, std::string("@echo ") + word + ">>\"%~dp0ran.txt\"\r\n");
    };
    PlaceProbe(target + L".com");
    PlaceProbe(target + L".exe");
    placeScript(L".bat", "bat");
    placeScript(L".cmd", "cmd");
    const std::wstring sentinel = PlaceProbe(folder_.PathOf(L"sentinel.exe"));
    MakeShortcut(game + L"\\game.lnk", target, game);
    MakeShortcut(folder_.PathOf(L"sentinel.lnk"), sentinel, L"");
    Register({AppDataLine("Game", game + L"\\game.lnk"),
              AppDataLine("Sentinel", folder_.PathOf(L"sentinel.lnk"))});
    // A .bat or .cmd runs as "cmd /c <command line>", and cmd finds the extensionless name
    // itself, by PATHEXT: reversed, a script started in place of a program shows.
    const ScopedEnvironment pathext(L"PATHEXT", L".CMD;.BAT;.EXE;.COM");
    HWND dialog = StartResident(startFolder_);

    std::vector<ProbeRecord> runs = LaunchAndWait(dialog, 0, target + L".com");
    EXPECT_EQ(runs[0]["argv0"], Utf8(target)) << "the target as the shortcut holds it";
    EXPECT_EQ(runs[0]["cmdline"], "\"" + Utf8(target) + "\"");
    EXPECT_EQ(runs[0]["cwd"], Utf8(game));

    RemoveFile(target + L".com");
    LaunchAndWait(dialog, 0, target + L".exe");
    EXPECT_FALSE(Snapshot(ran).exists) << Snapshot(ran) << ": a script ran, not game.exe";

    RemoveFile(target + L".exe");
    RemoveFile(target + L".cmd");
    Launch(dialog, 0);
    EXPECT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return Snapshot(ran).bytes == "bat\r\n"; }))
        << Snapshot(ran);
    ExpectLaunchOver(dialog);

    RemoveFile(target + L".bat");
    placeScript(L".cmd", "cmd");
    Launch(dialog, 0);
    EXPECT_TRUE(WaitUntil(kActionTimeoutMs, [&] {
        return Snapshot(ran).bytes == "bat\r\ncmd\r\n";
    })) << Snapshot(ran);
    ExpectLaunchOver(dialog);

    // None of the four: nothing starts, not even a program named exactly as the target.
    RemoveFile(target + L".cmd");
    PlaceProbe(target);
    Launch(dialog, 0);
    LaunchAndWait(dialog, 1, sentinel);
    EXPECT_FALSE(Snapshot(ProbeLogOf(target)).exists);
    EXPECT_EQ(ReadProbeLog(ProbeLogOf(target + L".com")).size(), 1u);
    EXPECT_EQ(ReadProbeLog(ProbeLogOf(target + L".exe")).size(), 1u);
}

TEST_F(LaunchE2ETest, AMissingTargetStartsNothingYetItsModeAndFolderApply) {
    const ScreenMode restoring{800, 600, 16, 60};
    const ScreenMode staying{640, 480, 16, 60};
    RequireModes({restoring, staying});
    const ScreenMode original = display_.Original();
    ASSERT_NE(original, staying);

    const std::wstring apps = folder_.MakeFolder(L"apps");
    const std::wstring work = folder_.MakeFolder(L"work");
    const std::wstring after = PlaceProbe(apps + L"\\after.exe");
    // Without an extension none of .com, .exe, .bat, .cmd is found; with one, the start fails.
    MakeShortcut(apps + L"\\gone.lnk", apps + L"\\gone", work);
    MakeShortcut(apps + L"\\gone-exe.lnk", apps + L"\\gone.exe", L"");
    MakeShortcut(apps + L"\\after.lnk", after, L"");
    Register({AppDataLine("A restores", apps + L"\\gone.lnk", restoring, true),
              AppDataLine("B after", apps + L"\\after.lnk"),
              AppDataLine("C stays", apps + L"\\gone-exe.lnk", staying),
              AppDataLine("D restores", apps + L"\\gone-exe.lnk", restoring, true)});
    HWND dialog = StartResident(startFolder_);

    // The program after a missing one records where that launch left things. One at a
    // time: a command that arrives while a launch runs is dropped with it.
    for (const int n : {0, 1, 2, 1, 3, 1}) {
        Launch(dialog, n);
        ExpectLaunchOver(dialog);
    }
    std::vector<ProbeRecord> runs = WaitForProbeRecords(ProbeLogOf(after), 3);
    ASSERT_EQ(runs.size(), 3u) << Describe(*mirelka_);
    ExpectLaunchOver(dialog);
    EXPECT_EQ(runs[0]["cwd"], Utf8(work)) << "the launch went on past the shortcut";
    EXPECT_EQ(runs[0]["mode"], ModeText(original)) << "restore is 1, whether a program ran or not";
    EXPECT_EQ(runs[1]["mode"], ModeText(staying)) << "the entry's mode applies, restore is 0";
    EXPECT_EQ(runs[2]["mode"], ModeText(staying)) << "restore is 1, whether a program ran or not";
    EXPECT_EQ(FolderEntries(apps),
              (std::vector<std::wstring>{L"after.exe", L"after.exe.log", L"after.exe.sleep",
                                         L"after.lnk", L"gone-exe.lnk", L"gone.lnk"}));
    EXPECT_TRUE(mirelka_->IsRunning());
}

TEST_F(LaunchE2ETest, ATargetUnderFoldersWithBlanksGetsItsWholePathAsOneArgument) {
    const std::wstring programs = folder_.MakeFolder(L"Program Files");
    // ソ is 0x83 0x5C in code page 932: its second byte is a backslash.
    const std::wstring dir = programs + L"\\ソフト Dir";
    if (!CreateDirectoryW(dir.c_str(), nullptr)) {
        throw std::runtime_error("CreateDirectoryW failed: " + Utf8(dir));
    }
    const std::wstring target = PlaceProbe(dir + L"\\game one.exe");
    MakeShortcut(dir + L"\\game.lnk", target, dir);
    Register({AppDataLine("ゲーム", dir + L"\\game.lnk")});
    HWND dialog = StartResident(startFolder_);

    std::vector<ProbeRecord> runs = LaunchAndWait(dialog, 0, target);
    EXPECT_EQ(runs[0]["argc"], "1");
    EXPECT_EQ(runs[0]["argv0"], Utf8(target));
    EXPECT_EQ(runs[0]["cmdline"], "\"" + Utf8(target) + "\"");
    EXPECT_EQ(runs[0]["cwd"], Utf8(dir));
}

TEST_F(LaunchE2ETest, ALaunchCommandPastTheLastEntryDoesNothing) {
    const ScreenMode mode{800, 600, 16, 60};
    RequireModes({mode});
    const std::wstring apps = folder_.MakeFolder(L"apps");
    const std::wstring first = PlaceProbe(apps + L"\\first.exe");
    const std::wstring last = PlaceProbe(apps + L"\\last.exe");
    MakeShortcut(apps + L"\\first.lnk", first, apps);
    MakeShortcut(apps + L"\\last.lnk", last, apps);
    Register({AppDataLine("First", apps + L"\\first.lnk", mode),
              AppDataLine("Last", apps + L"\\last.lnk")});
    HWND dialog = StartResident(startFolder_);

    Launch(dialog, 2);
    Launch(dialog, ID_LAUNCH_LAST - ID_LAUNCH_FIRST);
    LaunchAndWait(dialog, 1, last);  // handled after the two before it

    EXPECT_TRUE(mirelka_->IsRunning());
    EXPECT_FALSE(Snapshot(ProbeLogOf(first)).exists);
    EXPECT_EQ(ReadProbeLog(ProbeLogOf(last)).size(), 1u);
    EXPECT_EQ(RegistryMode(), display_.Original());
}

TEST_F(LaunchE2ETest, ADocumentOpensInNotepadUnderItsModeWhichComesBackOnceNotepadHasClosed) {
    const ScreenMode mode{800, 600, 16, 60};
    RequireModes({mode});
    const std::wstring apps = folder_.MakeFolder(L"apps");
    WriteBytes(apps + L"\\read me.txt", "Mirelka\r\n");
    MakeShortcut(apps + L"\\doc.lnk", apps + L"\\read me.txt", apps);
    // Windows maps .txt to Notepad out of the box; a fresh Wine prefix lacks the mapping.
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, REG_SZ, L"txtfile", sizeof L"txtfile"),
        ERROR_SUCCESS);
    Register({AppDataLine("Doc", apps + L"\\doc.lnk", mode, true)});
    HWND dialog = StartResident(startFolder_);

    Launch(dialog, 0);
    HWND notepad = PollUntil(kActionTimeoutMs, [] {
        const std::vector<HWND> windows = AllTopLevelWindows(0, L"Notepad");
        return windows.empty() ? HWND{} : windows[0];
    });
    ASSERT_NE(notepad, nullptr) << Describe(*mirelka_);
    EXPECT_NE(WindowText(notepad).find(L"read me"), std::wstring::npos);
    Sleep(500);
    EXPECT_EQ(RegistryMode(), mode) << "Mirelka waits for Notepad";
    PostMessageW(notepad, WM_CLOSE, 0, 0);
    ExpectLaunchOver(dialog);
    EXPECT_EQ(RegistryMode(), display_.Original());
}

}  // namespace
}  // namespace mirelka::e2e
