#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "resources/Commands.h"
#include "unit/Fixture.h"

namespace mirelka {
namespace {

using test::Texts;
using Record = std::vector<unsigned char>;
using Link = test::FakeShortcutReader::Link;

const std::string kLink = "C:\\Links\\game.lnk";
const std::string kGame = "C:\\Program Files\\Game\\game.exe";
const std::string kGameDir = "C:\\Program Files\\Game";
constexpr unsigned char kSavedTag = 0x77;    // the registry's copy, apart from the table's
constexpr unsigned char kCurrentTag = 0x66;  // the current mode's

using Launch = test::DialogTest;

// Five driver modes, the fifth equal to the second in its four numbers (listed once), and only item
// 3 ticked; the game's shortcut. Entries as AppData.txt holds them.
void StartWithGame(test::Mirelka& m, const std::string& appData = "") {
    m.p.display.Add(640, 480, 8, 60);
    m.p.display.Add(800, 600, 16, 60);
    m.p.display.Add(800, 600, 32, 60);
    m.p.display.Add(1024, 768, 32, 60);
    m.p.display.Add(800, 600, 16, 60);
    m.p.display.registry = test::FakeDisplayDriver::MakeMode(1024, 768, 32, 60, kSavedTag);
    m.p.shortcuts.links[kLink] = {kGame, kGameDir};
    m.p.processes.existing.insert(kGame);
    m.Start("", appData);
    m.SetTicks({3});
}
// Registers entry; its launch command.
int Register(LauncherDialog& dialog, const AppEntry& entry) {
    AppRegistry& registry = dialog.Registry();
    EXPECT_TRUE(registry.Insert(entry));
    return LaunchCommandId(static_cast<std::size_t>(registry.Find(entry) - &registry.At(0)));
}
// Each run as "program | command line | directory", elevated ones marked.
Texts Runs(const test::FakePlatform& p) {
    Texts runs;
    for (const auto& run : p.processes.runs) {
        runs.push_back(run.program + " | " + run.commandLine + " | " + run.directory +
                       (run.elevated ? " | elevated" : ""));
    }
    return runs;
}
// The tags of the driver records applied, in order.
std::vector<int> Applied(const test::FakePlatform& p) {
    std::vector<int> tags;
    for (const DisplayMode& mode : p.display.applied) {
        tags.push_back(mode.driverRecord.at(2));
    }
    return tags;
}

TEST_F(Launch, RunsTheTargetInItsFolderUnderTheEntrysModeAndRestores) {
    StartWithGame(*this);
    Register(dialog, {"a", "x.lnk", 0, 0, 0, 0, 0});
    const int command = Register(dialog, {"game", kLink, 800, 600, 16, 60, 1});
    Register(dialog, {"z", "x.lnk", 0, 0, 0, 0, 0});
    Record during;
    p.processes.onRun = [&] { during = p.display.registry->driverRecord; };
    p.processes.environment = {{"PROGRAMFILES", "C:\\Program Files"}};
    p.shortcuts.links[kLink].workingDirectory = "%PROGRAMFILES%\\Game";  // as installers write it
    p.shortcuts.links[kLink].arguments = "-conf \"my game.conf\"  -window";

    EXPECT_TRUE(dialog.OnCommand(command));

    EXPECT_EQ(dialog.Registry().Cursor(), 1);
    EXPECT_EQ(Runs(p),
              Texts{kGame + " | \"" + kGame + "\" -conf \"my game.conf\"  -window | " + kGameDir});
    EXPECT_EQ(during, p.display.table[1].driverRecord) << "the first equal item, unticked";
    EXPECT_EQ(Applied(p), (std::vector<int>{1, kSavedTag}));
    EXPECT_EQ(p.display.registry->driverRecord.at(2), kSavedTag);
    EXPECT_TRUE(p.view.messages.empty());
}

TEST_F(Launch, NothingStartsWhileALaunchRunsOrAShortcutIsRead) {
    StartWithGame(*this);
    const int command = Register(dialog, {"game", kLink, 800, 600, 32, 60, 1});
    // What the answering wait, and the shell's dialog inside Load, deliver meanwhile.
    const auto meanwhile = [&] {
        dialog.OnTrayNotify(test::kRightButtonDown);
        for (const int id : {command, ID_TRAY_SETTINGS, ID_TRAY_EXIT, int{IDC_REGISTER}}) {
            EXPECT_TRUE(dialog.OnCommand(id));
        }
    };
    p.processes.onRun = meanwhile;
    dialog.OnCommand(command);
    // The shell's dialog inside Load, and the file dialog's loop, from a browse button.
    p.shortcuts.onLoad = meanwhile;
    p.fileDialog.choice = kLink;
    dialog.OnCommand(IDC_BROWSE_DESKTOP);
    p.shortcuts.onLoad = nullptr;
    p.fileDialog.choice.reset();
    p.fileDialog.onChoose = meanwhile;
    dialog.OnCommand(IDC_BROWSE_DESKTOP);
    // A message box's loop.
    p.view.onMessage = meanwhile;
    dialog.OnCommand(IDC_DELETE);
    EXPECT_EQ(p.processes.runs.size(), 1u);
    EXPECT_EQ(p.menu.loads, 0);
    EXPECT_EQ(p.view.endResult, 0);
    EXPECT_EQ(p.view.messages.size(), 1u) << "the delete button's own";
}

TEST_F(Launch, TheSessionEndingMidLaunchLeavesTheUsersModeForTheNextLogon) {
    StartWithGame(*this);
    for (const int restore : {1, 0}) {
        dialog.Registry().Clear();
        p.display.registry = test::FakeDisplayDriver::MakeMode(1024, 768, 32, 60, kSavedTag);
        const int command =
            Register(dialog, {"game", kLink, 800, 600, 32, 60, static_cast<std::uint8_t>(restore)});
        int atEnd = -1;
        p.processes.onRun = [&] {
            dialog.OnEndSession(true);
            atEnd = p.display.registry->driverRecord.at(2);
            EXPECT_EQ(p.display.current->driverRecord.at(2), 2) << "no switch under the game";
        };
        dialog.OnCommand(command);
        EXPECT_EQ(atEnd, restore != 0 ? kSavedTag : 2) << restore;
    }
    dialog.OnEndSession(true);
    EXPECT_EQ(p.display.registry->driverRecord.at(2), 2) << "no launch, nothing changes";
}

TEST_F(Launch, ModeAndRestoreRulesAndAnUnreadableShortcutChangesNothing) {
    StartWithGame(*this);
    const Link game{kGame, kGameDir};
    const Link gone{"C:\\gone.exe", kGameDir};
    const auto broken = [&](bool Link::*part) {
        Link link = game;
        link.*part = false;
        return link;
    };
    const struct {
        const char* name;
        std::int32_t width, height, bits, frequency;
        std::uint8_t restore;
        bool registryReadable;
        std::optional<Link> link;  // none: no such shortcut
        std::vector<int> applied;
        bool runs;
    } cases[] = {
        {"mode and restore", 800, 600, 32, 60, 1, true, game, {2, kSavedTag}, true},
        {"mode, no restore", 800, 600, 32, 60, 0, true, game, {2}, true},
        {"the current mode", 1024, 768, 32, 60, 1, true, game, {3, kSavedTag}, true},
        {"not in the list", 1920, 1080, 32, 60, 1, true, game, {kSavedTag}, true},
        {"differs in rate", 800, 600, 32, 75, 1, true, game, {kSavedTag}, true},
        {"no mode", 0, 0, 0, 0, 1, true, game, {kSavedTag}, true},
        {"no mode, no restore", 0, 0, 0, 0, 0, true, game, {}, true},
        // The mode in force at the launch stands in for the registry's.
        {"registry unreadable", 800, 600, 32, 60, 1, false, game, {2, kCurrentTag}, true},
        {"target did not start", 800, 600, 32, 60, 1, true, gone, {2, kSavedTag}, false},
        {"no such shortcut", 800, 600, 32, 60, 1, true, std::nullopt, {}, false},
        {"load fails", 800, 600, 32, 60, 1, true, broken(&Link::resolves), {}, false},
        {"no folder", 800, 600, 32, 60, 1, true, broken(&Link::folderReadable), {}, false},
        {"no target", 800, 600, 32, 60, 1, true, broken(&Link::targetReadable), {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.Registry().Clear();
        p.display.applied.clear();
        p.processes.runs.clear();
        p.display.current = test::FakeDisplayDriver::MakeMode(1024, 768, 32, 60, kCurrentTag);
        if (!c.registryReadable) {
            p.display.registry.reset();
        } else {
            p.display.registry = test::FakeDisplayDriver::MakeMode(1024, 768, 32, 60, kSavedTag);
        }
        p.shortcuts.links.erase(kLink);
        if (c.link) {
            p.shortcuts.links[kLink] = *c.link;
        }

        EXPECT_TRUE(dialog.OnCommand(
            Register(dialog, {"game", kLink, c.width, c.height, c.bits, c.frequency, c.restore})));
        EXPECT_EQ(Applied(p), c.applied);
        EXPECT_EQ(p.processes.runs.size(), c.runs ? 1u : 0u);
        EXPECT_TRUE(p.view.messages.empty());
    }

    // Without a shortcut reader nothing is launched either.
    test::Mirelka none;
    none.p.shortcuts.available = false;
    StartWithGame(none);
    none.dialog.OnCommand(Register(none.dialog, {"game", kLink, 800, 600, 32, 60, 1}));
    EXPECT_TRUE(none.p.display.applied.empty());
    EXPECT_TRUE(none.p.processes.runs.empty());
}

TEST_F(Launch, FindsTheProgramAsTheRuntimeDoesWithoutTheSearchPath) {
    StartWithGame(*this);
    const std::string run = "C:\\x\\run";
    const std::string hyoRun = "C:\\表\\run";
    const struct {
        const char* name;
        std::string target;
        Texts existing;
        std::optional<std::string> program;  // none: nothing runs
    } cases[] = {
        {"full path", kGame, {kGame}, kGame},
        {"bare name", "tool.exe", {"C:\\Start\\tool.exe"}, "C:\\Start\\tool.exe"},
        {"bare name, search path only", "notepad", {"C:\\Windows\\notepad.exe"}, std::nullopt},
        {"a dot: used as it is", run + ".old", {run + ".old", run + ".old.exe"}, run + ".old"},
        {".com first", run, {run + ".cmd", run + ".exe", run + ".com"}, run + ".com"},
        {".exe before .bat", run, {run + ".bat", run + ".exe"}, run + ".exe"},
        {".bat before .cmd", run, {run + ".cmd", run + ".bat"}, run + ".bat"},
        {".cmd last", "run", {"C:\\Start\\run.cmd"}, "C:\\Start\\run.cmd"},
        {"none exists", run, {run}, std::nullopt},
        {"dot in the folder only", "C:\\v1.2\\run", {"C:\\v1.2\\run.exe"}, "C:\\v1.2\\run.exe"},
        {"slash", "C:/x/run", {"C:/x/run.exe"}, "C:/x/run.exe"},
        {"drive-relative", "D:run", {"D:run.exe"}, "D:run.exe"},
        {"UTF-8 name", "表run", {"C:\\Start\\表run.exe"}, "C:\\Start\\表run.exe"},
        {"UTF-8 folder", hyoRun, {hyoRun + ".exe"}, hyoRun + ".exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.Registry().Clear();
        p.processes.runs.clear();
        p.display.applied.clear();
        p.processes.existing = {c.existing.begin(), c.existing.end()};
        p.shortcuts.links[kLink] = {c.target, ""};

        EXPECT_TRUE(dialog.OnCommand(Register(dialog, {"game", kLink, 0, 0, 0, 0, 1})));
        if (c.program) {
            EXPECT_EQ(Runs(p), Texts{*c.program + " | \"" + c.target + "\" | C:\\Start"});
        } else {
            EXPECT_TRUE(p.processes.runs.empty());
        }
        EXPECT_EQ(Applied(p), std::vector<int>{kSavedTag}) << "restored either way";
    }
}

TEST_F(Launch, AnEmptyFolderRunsWhereTheLastLaunchLeftOff) {
    StartWithGame(*this);
    p.shortcuts.links["b.lnk"] = {"C:\\B\\b.exe", ""};
    p.shortcuts.links["c.lnk"] = {"C:\\C\\c.exe", "C:\\Unreachable"};
    p.processes.existing.insert({"C:\\B\\b.exe", "C:\\C\\c.exe"});
    p.processes.missingFolders.insert("C:\\Unreachable");
    const int a = Register(dialog, {"a", kLink, 0, 0, 0, 0, 0});
    const int b = Register(dialog, {"b", "b.lnk", 0, 0, 0, 0, 0});
    const int c = Register(dialog, {"c", "c.lnk", 0, 0, 0, 0, 0});

    for (const int command : {b, a, b, c}) {
        dialog.OnCommand(command);
    }
    const std::string bRun = "C:\\B\\b.exe | \"C:\\B\\b.exe\" | ";
    EXPECT_EQ(Runs(p), (Texts{bRun + "C:\\Start", kGame + " | \"" + kGame + "\" | " + kGameDir,
                              bRun + kGameDir, "C:\\C\\c.exe | \"C:\\C\\c.exe\" | " + kGameDir}));
    EXPECT_TRUE(p.view.messages.empty());

    // Remembered, not held: once the folder has gone, ours is where the next one starts.
    p.processes.missingFolders.insert(kGameDir);
    dialog.OnCommand(b);
    EXPECT_EQ(Runs(p).back(), bRun + "C:\\Start");
}

TEST_F(Launch, ElevationIsAskedOfTheShellWaitedForAndTheModeStillComesBack) {
    StartWithGame(*this);
    // Creation needs elevation (manifest, installer detection, compatibility setting); the
    // shortcut's own "run as administrator" box; the prompt declined.
    const bool cases[][3] = {
        {true, false, false}, {false, true, false}, {true, false, true}, {false, true, true}};
    for (const auto& [needs, box, declined] : cases) {
        SCOPED_TRACE(testing::Message() << needs << box << declined);
        dialog.Registry().Clear();
        p.processes.runs.clear();
        p.display.applied.clear();
        p.processes.needElevation = needs ? std::set<std::string>{kGame} : std::set<std::string>{};
        p.processes.declineElevation = declined;
        p.shortcuts.links[kLink].arguments = "-window";
        p.shortcuts.links[kLink].flags.runAsAdministrator = box;
        std::vector<int> during;
        p.processes.onRun = [&] { during = Applied(p); };

        EXPECT_TRUE(dialog.OnCommand(Register(dialog, {"game", kLink, 800, 600, 32, 60, 1})));
        EXPECT_EQ(Runs(p),
                  declined ? Texts{} : Texts{kGame + " | -window | " + kGameDir + " | elevated"});
        EXPECT_EQ(during, declined ? std::vector<int>{} : std::vector<int>{2}) << "waited for";
        EXPECT_EQ(Applied(p), (std::vector<int>{2, kSavedTag}));
    }
}

TEST_F(Launch, AnInstallerShortcutStartsAndShowsTheInstallersProgram) {
    const std::string suite = "C:\\Program Files\\Suite\\suite.exe";
    p.processes.existing.insert(suite);
    for (const char* link : {"known.lnk", "unknown.lnk"}) {
        // The installer's cached file, not suite.exe.
        p.shortcuts.links[link] = {kGame, "C:\\Suite"};
        p.shortcuts.links[link].flags.advertised = true;
    }
    p.shortcuts.installed["known.lnk"] = suite;
    StartWithGame(
        *this,
        "known.lnk\tknown.lnk\t0\t0\t0\t0\t1\r\nunknown.lnk\tunknown.lnk\t0\t0\t0\t0\t1\r\n");

    for (const int command : {LaunchCommandId(0), LaunchCommandId(1)}) {
        EXPECT_TRUE(dialog.OnCommand(command));
    }
    EXPECT_EQ(Runs(p), Texts{suite + " | \"" + suite + "\" | C:\\Suite"});
    EXPECT_EQ(Applied(p), std::vector<int>{kSavedTag}) << "the unknown one is not read at all";
    for (const auto& [title, target] : {std::pair{0, suite}, std::pair{1, std::string()}}) {
        ChooseTitle(title);
        EXPECT_EQ(p.view.Text(IDC_TARGET), target);
    }
}

TEST_F(Launch, OnlyARegisteredIndexLaunchesAndItLaunchesACopy) {
    StartWithGame(*this);
    Register(dialog, {"a", "x.lnk", 0, 0, 0, 0, 0});
    const int game = Register(dialog, {"game", kLink, 800, 600, 32, 60, 1});

    for (const int command : {LaunchCommandId(2), ID_LAUNCH_LAST}) {
        EXPECT_TRUE(dialog.OnCommand(command));
    }
    dialog.OnLaunchApp(ID_LAUNCH_FIRST - 1);
    dialog.OnLaunchApp(ID_LAUNCH_FIRST - 100000);
    EXPECT_EQ(dialog.Registry().Cursor(), -1);
    EXPECT_TRUE(p.display.applied.empty());
    EXPECT_TRUE(p.processes.runs.empty());

    // The registry going away while the program runs must not touch what is launched.
    p.processes.onRun = [&] { dialog.Registry().Clear(); };
    EXPECT_TRUE(dialog.OnCommand(game));
    EXPECT_EQ(p.processes.runs.size(), 1u);
    EXPECT_EQ(Applied(p), (std::vector<int>{2, kSavedTag}));
}

TEST_F(Launch, WhatExplorerOpensIsOpenedWithTheRunSettingUnderTheListedMode) {
    StartWithGame(*this);
    const int game = Register(dialog, {"game", kLink, 800, 600, 32, 60, 1});
    const std::string doc = "C:\\Docs\\read me.txt", pct = "C:\\pct%OS%dir", list("\2\0\0\0", 4);
    p.processes.folders = {"C:\\Games", "C:\\v1.2", pct};
    p.processes.documents = {doc};
    p.processes.existing.insert(doc);
    p.processes.missingFolders.insert("C:\\gone");
    p.processes.environment = {{"OS", "Windows_NT"}};
    const struct {
        std::string target, started, where;
        WindowShow show;
    } cases[] = {
        {doc, doc, kGameDir, WindowShow::Maximized},
        {"C:\\Games", "C:\\Games", kGameDir, WindowShow::Minimized},
        {"C:\\v1.2", "C:\\v1.2", kGameDir, WindowShow::Normal},
        {"C:\\gone", "", kGameDir, WindowShow::Normal},
        {kGame, kGame, pct, WindowShow::Minimized},  // a folder really named with a '%'
        {"", "idlist:" + list, kGameDir, WindowShow::Maximized},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        p.display.appliedWhole.clear();
        p.processes.opened.clear();
        auto& link = p.shortcuts.links[kLink] = {c.target, c.where};
        link.show = c.show;
        if (c.target.empty()) {
            link.item = ShortcutReader::Item{{list.begin(), list.end()}, "電卓"};
        }
        EXPECT_TRUE(dialog.OnCommand(game));
        const auto& all = c.target == kGame ? p.processes.runs : p.processes.opened;
        ASSERT_EQ(all.size(), c.started.empty() ? 0u : 1u);
        EXPECT_TRUE(all.empty() || (all[0].program + all[0].directory == c.started + c.where &&
                                    all[0].show == c.show));
        EXPECT_EQ(p.display.appliedWhole, (std::vector<bool>{false, true})) << "listed, captured";
    }
    p.fileDialog.choice = kLink;
    ASSERT_TRUE(dialog.OnCommand(IDC_BROWSE_DESKTOP));
    EXPECT_EQ(p.view.Text(IDC_TARGET), "電卓");
}

TEST_F(Launch, TheRestartManagerHearsNoDuringALaunchAndItsForcedCloseKeepsTheUsersMode) {
    StartWithGame(*this);
    EXPECT_TRUE(dialog.OnQueryEndSession(true));
    p.processes.onRun = [&] {
        EXPECT_FALSE(dialog.OnQueryEndSession(true));
        EXPECT_TRUE(dialog.OnQueryEndSession(false)) << "the session itself ends";
        EXPECT_TRUE(dialog.OnEndSession(true, true));
        EXPECT_EQ(p.display.registry->driverRecord.at(2), kSavedTag);
        EXPECT_FALSE(p.tray.shown);
    };
    dialog.OnCommand(Register(dialog, {"game", kLink, 800, 600, 32, 60, 1}));
    EXPECT_TRUE(dialog.OnQueryEndSession(true));
    EXPECT_FALSE(dialog.OnEndSession(false, true)) << "cancelled: Mirelka stays";
    EXPECT_FALSE(dialog.OnEndSession(true)) << "the session's end: the system ends it";
}

}  // namespace
}  // namespace mirelka
