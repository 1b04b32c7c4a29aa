#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "display/DisplayModes.h"
#include "display/ModeRules.h"
#include "unit/Fixture.h"

namespace mirelka {
namespace {

using namespace std::string_literals;
using test::kError;
using test::kModeFile;
using test::Said;
using test::Texts;
using Record = std::vector<unsigned char>;

const std::string kTemp = kModeFile + ".tmp";
const std::string kTickOne = "解像度を一つ以上ﾁｪｯｸしないと\n保存できません";
const std::string kCannotOpen = "ScreenMode.txtをｵｰﾌﾟﾝできません";
const std::string kDiskFull = kModeFile + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";

// The lines in ScreenMode.txt of the six modes of FakeDisplayDriver::AddSixModes.
const char* const kLines[] = {"640\t480\t8\t60\r\n",   "800\t600\t16\t60\r\n",
                              "800\t600\t32\t60\r\n",  "1024\t768\t32\t60\r\n",
                              "1024\t768\t32\t75\r\n", "1280\t1024\t32\t60\r\n"};

// Starts m with ScreenMode.txt holding content (empty ones too), or with no such file.
void StartWith(test::Mirelka& m, const std::optional<std::string>& content) {
    if (content) {
        m.p.files.files[kModeFile] = *content;
    }
    m.Start();
}

// The driver record of the last mode applied; empty when none was.
Record LastApplied(const test::Mirelka& m) {
    return m.p.display.applied.empty() ? Record{} : m.p.display.applied.back().driverRecord;
}

TEST(Modes, ListsOnlyUsableModesWithTheDriversOwnRecords) {
    const struct {
        std::uint32_t width, height, bits, frequency;
        const char* label;  // null: not listed
    } modes[] = {
        {640, 480, 8, 60, " 640×480×8 60Hz"},
        {640, 400, 8, 60, nullptr},
        {639, 480, 32, 60, nullptr},
        {800, 479, 32, 60, nullptr},
        {800, 600, 4, 60, nullptr},
        {800, 600, 7, 60, nullptr},
        {800, 600, 16, 29, nullptr},
        {800, 600, 16, 30, " 800×600×16 30Hz"},
        {1024, 768, 32, 0, nullptr},
        {1024, 768, 32, 1, nullptr},
        {1024, 768, 32, 60, " 1024×768×32 60Hz"},
        {1024, 768, 32, 60, nullptr},  // differs from the one above elsewhere: listed once
        {1280, 1024, 32, 0xFFFFFFFFu, " 1280×1024×32 -1Hz"},  // compared unsigned, shown as %d
    };
    test::Mirelka s;
    Texts labels;
    std::vector<Record> records;
    for (const auto& m : modes) {
        s.p.display.Add(m.width, m.height, m.bits, m.frequency);
        if (m.label != nullptr) {
            labels.push_back(m.label);
            records.push_back(s.p.display.table.back().driverRecord);
        }
    }
    s.Start();

    EXPECT_EQ(s.p.view.ListTexts(IDC_MODE_LIST), labels);
    ASSERT_EQ(s.dialog.Modes().Count(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(s.dialog.Modes().At(i).driverRecord, records[i]) << i;
    }
    EXPECT_EQ(s.p.display.queries, static_cast<int>(std::size(modes)) + 1)
        << "stops at the first refusal";
}

TEST(Modes, TheFileTicksTheFirstEqualItemPerLine) {
    const struct {
        const char* name;
        std::optional<std::string> content;
        int count;
        std::vector<int> ticked;
    } cases[] = {
        {"no file", std::nullopt, 0, {}},
        {"empty file", "", 0, {}},
        {"one line", kLines[3], 1, {3}},
        {"any order", kLines[5] + "640\t480\t8\t60\r\n"s, 2, {0, 5}},
        {"a line twice", std::string(kLines[4]) + kLines[4], 2, {4}},
        {"unmatched lines", "640\t480\t8\t75\r\n\r\n1\t2\t3\t4\r\n"s + kLines[2], 1, {2}},
        {"nothing matches", "640\t480\t16\t60\r\n", 0, {}},
        {"LF only, no final newline", "800\t600\t16\t60\n1280\t1024\t32\t60", 2, {1, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Mirelka s;
        s.p.display.AddSixModes();
        s.p.display.Add(800, 600, 16, 60);  // a second item equal to item 1
        StartWith(s, c.content);
        EXPECT_EQ(s.Ticked(), c.ticked);
        EXPECT_EQ(s.dialog.VisibilityFlag(), c.count == 0);
        EXPECT_EQ(s.p.files.ReadersOf(kModeFile), 0) << "the file was left open";
        EXPECT_TRUE(s.p.view.messages.empty());

        // How many lines matched; read again, the same ticks.
        DisplayModes modes(s.p.display, s.p.files, s.p.codePage->Leads());
        modes.PlaceBeside(test::kExe);
        modes.FillModeList();
        EXPECT_EQ(modes.RestoreModeChecks(), c.count);
        EXPECT_EQ(modes.RestoreModeChecks(), c.count);
        for (std::size_t i = 0; i < modes.List().Count(); ++i) {
            EXPECT_EQ(modes.List().IsTicked(i), s.dialog.Modes().IsTicked(i)) << i;
        }
    }

    // No usable mode: the file is not even opened (a held one would be waited for and reported).
    test::Mirelka none;
    none.p.display.Add(320, 200, 8, 60);
    none.p.files.unreadable.insert(kModeFile);
    StartWith(none, kLines[0]);
    EXPECT_TRUE(none.p.view.messages.empty());
    EXPECT_EQ(none.p.files.paused, 0u);
}

TEST(Modes, ALineParsesFourNumbersOnly) {
    const struct {
        const char* line;
        std::uint32_t width, height, bits, frequency;
    } cases[] = {
        {"800\t600\t16\t75", 800, 600, 16, 75},
        {"800\t\t16", 800, 0, 16, 0},
        {"\t\t\t", 0, 0, 0, 0},
        {"", 0, 0, 0, 0},
        {"-1\tx\t 32\t60Hz\t99", 0xFFFFFFFFu, 0, 32, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const DisplayMode mode = ParseMode(LeadBytes::Cp932(), c.line);
        EXPECT_EQ(mode.width, c.width);
        EXPECT_EQ(mode.height, c.height);
        EXPECT_EQ(mode.bitsPerPixel, c.bits);
        EXPECT_EQ(mode.frequency, c.frequency);
        EXPECT_TRUE(mode.driverRecord.empty());
    }
}

TEST(Modes, StartupWithTicksFillsTheSelectorAndHidesOnPaint) {
    test::Mirelka s;
    s.p.display.AddSixModes();
    s.Start(kLines[4] + "800\t600\t16\t60\r\n"s);

    EXPECT_TRUE(s.dialog.StartupModeValid());
    EXPECT_TRUE(s.dialog.StartupMode().SameModeAs(s.p.display.table[3]));
    EXPECT_EQ(s.dialog.StartupMode().driverRecord, s.p.display.table[3].driverRecord);
    EXPECT_EQ(s.p.view.tabs[IDC_TAB], (Texts{"アプリケーション設定", "基本設定"}));
    EXPECT_EQ(s.p.view.TabSelection(IDC_TAB), 0);

    EXPECT_EQ(s.p.view.ComboTexts(IDC_MODE_SELECTOR),
              (Texts{"未設定", "800×600×16 60Hz", "1024×768×32 75Hz"}));
    const std::intptr_t data[] = {-1, 1, 4};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.p.view.ComboItemData(IDC_MODE_SELECTOR, i), data[i]) << i;
    }
    EXPECT_EQ(s.p.view.ComboSelection(IDC_MODE_SELECTOR), 0);

    EXPECT_FALSE(s.dialog.VisibilityFlag());
    s.p.view.minimized = true;
    EXPECT_EQ(s.dialog.OnPaint(), LauncherDialog::PaintAction::DrawIcon);
    EXPECT_TRUE(s.p.view.visible);
    s.p.view.minimized = false;
    EXPECT_EQ(s.dialog.OnPaint(), LauncherDialog::PaintAction::Default);
    EXPECT_FALSE(s.p.view.visible);
    EXPECT_TRUE(s.p.view.messages.empty());
}

TEST(Modes, StartupWithoutTicksStaysOnScreenOnTheModeTab) {
    const std::set<int> tabZero = {1025, 1019, 1010, 1008, 1009, 1024, 1020,
                                   1011, 1012, 1013, 1014, 1015, 1022, 1023};
    const struct {
        const char* name;
        bool usableModes;
        std::optional<std::string> content;
        std::set<int> hiddenBefore;  // button 2 either way: it must stay as it was
    } cases[] = {
        {"empty list", false, kLines[0], {2, 1016, 1018}},
        {"no file", true, std::nullopt, {}},
        {"nothing matched", true, "1\t2\t3\t4\r\n", {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Mirelka s;
        if (c.usableModes) {
            s.p.display.AddSixModes();
        } else {
            s.p.display.Add(640, 480, 4, 60);
        }
        s.p.view.hiddenControls = c.hiddenBefore;
        StartWith(s, c.content);

        EXPECT_EQ(s.dialog.StartupModeValid(), c.usableModes);
        EXPECT_EQ(s.p.view.TabSelection(IDC_TAB), 1);
        std::set<int> hidden = tabZero;
        hidden.insert(1021);
        if (c.hiddenBefore.count(2) != 0) {
            hidden.insert(2);
        }
        EXPECT_EQ(s.p.view.hiddenControls, hidden);
        EXPECT_TRUE(s.p.view.ComboTexts(IDC_MODE_SELECTOR).empty());
        EXPECT_TRUE(s.dialog.VisibilityFlag());
        EXPECT_EQ(s.dialog.OnPaint(), LauncherDialog::PaintAction::Default);
        EXPECT_TRUE(s.p.view.visible);
        EXPECT_TRUE(s.p.view.messages.empty());
    }
}

TEST(Modes, SaveWritesTheTicksInListOrder) {
    test::Mirelka s;
    s.p.display.AddSixModes();
    const std::string old = "1\t2\t3\t4\r\n";
    s.Start(old);

    // The user's click while the box is up changes nothing.
    s.p.view.onMessage = [&] { s.dialog.OnToggleMode(0); };
    EXPECT_EQ(s.Press(IDC_REGISTER), (Said{{kTickOne, kError}}));
    EXPECT_EQ(s.Ticked(), std::vector<int>{});
    EXPECT_EQ(s.p.files.files[kModeFile], old);
    EXPECT_EQ(s.p.view.beeps, 0);

    for (const std::size_t index : {5u, 2u, 0u, 3u, 2u}) {
        s.dialog.OnToggleMode(index);
    }
    EXPECT_EQ(s.p.files.files[kModeFile], old) << "written before the user saved";
    ASSERT_TRUE(s.ClickTab(0));
    s.Press(IDC_REGISTER);
    EXPECT_EQ(s.p.files.files[kModeFile], old) << "saved from the applications tab";

    s.p.view.beeps = 0;
    ASSERT_TRUE(s.ClickTab(1));
    EXPECT_EQ(s.Press(IDC_REGISTER), Said{});
    // A mode no item is (another display's) stays, after the ticks.
    const std::string saved = kLines[0] + std::string(kLines[3]) + kLines[5] + old;
    EXPECT_EQ(s.p.files.files[kModeFile], saved);
    EXPECT_FALSE(s.p.files.Exists(kTemp));
    EXPECT_EQ(s.p.view.beeps, 1);

    test::Mirelka next;
    next.p.display.AddSixModes();
    next.Start(saved);
    EXPECT_EQ(next.Ticked(), (std::vector<int>{0, 3, 5}));
}

TEST(Modes, AFailedSaveKeepsTheOldFile) {
    const struct {
        const char* name;
        void (*fault)(test::FakeFileSystem&);
        const std::string& message;
    } cases[] = {
        {"temp cannot be created", [](test::FakeFileSystem& f) { f.uncreatable.insert(kTemp); },
         kCannotOpen},
        {"replace refused (a read-only ScreenMode.txt on Windows)",
         [](test::FakeFileSystem& f) { f.unreplaceable.insert(kModeFile); }, kCannotOpen},
        {"disk full at once", [](test::FakeFileSystem& f) { f.writeLimit = 0; }, kDiskFull},
        {"disk full part-way", [](test::FakeFileSystem& f) { f.writeLimit = 20; }, kDiskFull},
        {"flush fails", [](test::FakeFileSystem& f) { f.failClose = true; }, kDiskFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Mirelka s;
        s.p.display.AddSixModes();
        s.Start(kLines[0]);
        ASSERT_TRUE(s.ClickTab(1));
        s.SetTicks({0, 4});
        c.fault(s.p.files);

        EXPECT_EQ(s.Press(IDC_REGISTER), (Said{{c.message, kError}}));
        EXPECT_EQ(s.p.view.beeps, 0);
        EXPECT_EQ(s.p.files.files[kModeFile], kLines[0]);
        EXPECT_FALSE(s.p.files.Exists(kTemp));
    }
}

TEST(Modes, CommandsApplyListItemsAndTheStartupMode) {
    test::Mirelka s;
    s.p.display.AddSixModes();
    s.Start(kLines[2] + std::string(kLines[4]));
    // The selector's data is the list index; the command is 33001 plus it.
    ASSERT_EQ(s.p.view.ComboItemData(IDC_MODE_SELECTOR, 1), 2);
    ASSERT_EQ(s.p.view.ComboItemData(IDC_MODE_SELECTOR, 2), 4);

    const struct {
        int id;
        std::size_t mode;  // table index applied
    } steps[] = {{33003, 2}, {33005, 4}, {33000, 3}, {33001, 0}, {33006, 5}, {33000, 3}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.id);
        EXPECT_TRUE(s.dialog.OnCommand(step.id));
        EXPECT_EQ(LastApplied(s), s.p.display.table[step.mode].driverRecord);
        EXPECT_EQ(s.p.display.registry->driverRecord, s.p.display.table[step.mode].driverRecord);
    }
    const std::size_t applied = s.p.display.applied.size();
    EXPECT_TRUE(s.dialog.OnCommand(33007)) << "past the list";
    EXPECT_FALSE(s.dialog.OnCommand(32999));
    EXPECT_FALSE(s.dialog.OnCommand(33999));
    EXPECT_EQ(s.p.display.applied.size(), applied);
}

TEST(Modes, WithoutARegistryModeTheStartupCommandDoesNothing) {
    test::Mirelka s;
    s.p.display.AddSixModes();
    s.p.display.registry.reset();
    s.Start(kLines[1]);
    EXPECT_FALSE(s.dialog.StartupModeValid());
    EXPECT_TRUE(s.dialog.OnCommand(33000));
    EXPECT_TRUE(s.p.display.applied.empty());
    EXPECT_TRUE(s.dialog.OnCommand(33002));
    EXPECT_TRUE(s.dialog.OnCommand(33000));
    ASSERT_EQ(s.p.display.applied.size(), 1u);
    EXPECT_EQ(LastApplied(s), s.p.display.table[1].driverRecord);
}

TEST(Modes, ADriversCopiesOfAModeAreOneItemItsTickStaysAndItIsAskedForByItsNumbers) {
    const auto start = [](test::Mirelka& s, const std::string& file) {
        s.p.display.Add(640, 480, 8, 60);
        for (const bool progressive : {false, true, true}) {  // default, stretched, centred
            s.p.display.Add(800, 600, 32, 60);
            s.p.display.table.back().progressive = progressive;
        }
        s.p.display.registry = s.p.display.table[0];
        s.Start(file);
    };
    test::Mirelka s;
    start(s, "");
    EXPECT_EQ(s.p.view.ListTexts(IDC_MODE_LIST), (Texts{" 640×480×8 60Hz", " 800×600×32 60Hz"}));
    s.SetTicks({1});
    ASSERT_TRUE(s.dialog.OnCommand(IDC_REGISTER));
    test::Mirelka next;
    start(next, s.File(kModeFile));
    EXPECT_EQ(next.Ticked(), std::vector<int>{1});
    next.dialog.OnCommand(33002);
    next.dialog.OnCommand(33000);
    EXPECT_EQ(next.p.display.appliedWhole, (std::vector<bool>{false, true}));
    EXPECT_TRUE(next.p.display.applied[0].progressive);
    EXPECT_EQ(next.p.display.applied[0].driverRecord, next.p.display.table[2].driverRecord)
        << "where refused";
}

}  // namespace
}  // namespace mirelka
