#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "unit/Fixture.h"

namespace mirelka {
namespace {

using test::kRightButtonDown;
using Items = std::vector<std::pair<std::string, int>>;  // text and id

// The template's items below the titles, and the resolution submenu's last item.
const Items kTemplateTail = {{"", 0},     {"解像度変更", -1},  {"設定", 32901},
                             {"", 0},     {"常駐終了", 32900}, {"", 0},
                             {"ｷｬﾝｾﾙ", 2}};
const std::pair<std::string, int> kStartupItem = {"起動時の解像度", 33000};

Items Of(const std::vector<test::FakePopupMenu::Item>& items) {
    Items out;
    for (const auto& item : items) {
        out.emplace_back(item.text, item.id);
    }
    return out;
}

// Six modes, the file ticking items 2 and 4; "B" from the file, "A" added since.
class Tray : public test::DialogTest {
protected:
    void SetUp() override {
        p.display.AddSixModes();
        p.shortcuts.links["b.lnk"] = {"C:\\b.exe", ""};
        p.processes.existing.insert("C:\\b.exe");
        p.view.cursorX = 123;
        p.view.cursorY = 456;
        Start("800\t600\t32\t60\r\n1024\t768\t32\t75\r\n", "B\tb.lnk\t0\t0\t0\t0\t0\r\n");
        ASSERT_TRUE(dialog.Registry().Insert({"A", "a.lnk", 0, 0, 0, 0, 0}));
    }
};

TEST_F(Tray, OnlyTheRightButtonGoingDownOpensTheMenu) {
    dialog.OnCommand(ID_TRAY_SETTINGS);
    const int foregrounds = p.view.foregrounds;
    for (const std::intptr_t message : {0x200, 0x201, 0x202, 0x203, 0x205, 0x206}) {
        SCOPED_TRACE(message);
        dialog.OnTrayNotify(message);
        EXPECT_EQ(p.menu.loads, 0);
        EXPECT_TRUE(p.view.visible);
        EXPECT_TRUE(dialog.VisibilityFlag());
        EXPECT_EQ(p.view.foregrounds, foregrounds);
        EXPECT_EQ(p.menu.foregrounds, 0);
    }
}

TEST_F(Tray, AMissingIconIsTriedAgainOnlyWhileItIsMissing) {
    EXPECT_TRUE(p.view.timers.empty());
    for (const int failing : {2, 1000}) {  // the shell not ready for a moment, or never
        p.tray.failingAdds = failing;
        const int adds = p.tray.adds;
        dialog.OnTaskbarCreated();
        EXPECT_EQ(p.view.timers.at(LauncherDialog::kIconTimer), 5000u);
        for (int i = 0; i < 100; ++i) {
            dialog.OnTimer(LauncherDialog::kIconTimer);
        }
        EXPECT_EQ(p.tray.adds - adds, failing == 2 ? 3 : 61) << "every 5 s for 5 minutes";
        EXPECT_TRUE(p.view.timers.empty());
    }
}

TEST_F(Tray, TheMenuListsTitlesAndTickedModes) {
    dialog.OnCommand(ID_TRAY_SETTINGS);  // an open settings window closes
    const int foregrounds = p.view.foregrounds;
    dialog.OnTrayNotify(kRightButtonDown);

    EXPECT_FALSE(p.view.visible);
    EXPECT_FALSE(dialog.VisibilityFlag());
    EXPECT_EQ(p.menu.foregrounds, 1);
    EXPECT_EQ(p.view.foregrounds, foregrounds);
    Items popup = {{"A", 34000}, {"B", 34001}};
    popup.insert(popup.end(), kTemplateTail.begin(), kTemplateTail.end());
    EXPECT_EQ(Of(p.menu.Popup()), popup);
    // Ids follow the list index, not the row.
    EXPECT_EQ(Of(p.menu.Resolutions()),
              (Items{{"800×600×32 60Hz", 33003}, {"1024×768×32 75Hz", 33005}, kStartupItem}));
    EXPECT_TRUE(p.menu.tracking);
    EXPECT_EQ(p.menu.tracked, p.menu.popup);
    EXPECT_EQ(std::pair(p.menu.trackX, p.menu.trackY), std::pair(123, 456));
    EXPECT_EQ(p.menu.destroys, 1);

    // What the menu offers is what its commands do.
    EXPECT_TRUE(dialog.OnCommand(p.menu.Popup()[1].id));
    ASSERT_EQ(p.processes.runs.size(), 1u);
    EXPECT_EQ(p.processes.runs[0].program, "C:\\b.exe");
    EXPECT_TRUE(dialog.OnCommand(p.menu.Resolutions()[1].id));
    EXPECT_EQ(p.display.applied.back().driverRecord, p.display.table[4].driverRecord);
}

TEST_F(Tray, AnEmptyRegistryAndNoTicksLeaveTheTemplate) {
    dialog.Registry().Clear();
    SetTicks({});
    dialog.OnTrayNotify(kRightButtonDown);
    EXPECT_EQ(Of(p.menu.Popup()), kTemplateTail);
    EXPECT_EQ(Of(p.menu.Resolutions()), Items{kStartupItem});
    EXPECT_EQ(p.menu.destroys, 1);
}

TEST_F(Tray, ModeItemsFromIndex998OnGetAnIdNothingHandles) {
    test::Mirelka big;
    for (std::uint32_t i = 0; i < 1000; ++i) {
        big.p.display.Add(640 + i, 480, 32, 60);
    }
    big.Start();
    ASSERT_EQ(big.dialog.Modes().Count(), 1000u);
    big.SetTicks({0, 997, 998, 999});
    big.dialog.OnTrayNotify(kRightButtonDown);
    EXPECT_EQ(Of(big.p.menu.Resolutions()), (Items{{"640×480×32 60Hz", 33001},
                                                   {"1637×480×32 60Hz", 33998},
                                                   {"1638×480×32 60Hz", 33999},
                                                   {"1639×480×32 60Hz", 33999},
                                                   kStartupItem}));
    EXPECT_FALSE(big.dialog.OnCommand(33999));
    EXPECT_TRUE(big.p.display.applied.empty());
    EXPECT_TRUE(big.p.processes.runs.empty());

    EXPECT_TRUE(big.dialog.OnCommand(33998));
    ASSERT_EQ(big.p.display.applied.size(), 1u);
    EXPECT_EQ(big.p.display.applied[0].width, 640u + 997u);
    EXPECT_EQ(big.p.display.applied[0].driverRecord, big.p.display.table[997].driverRecord);
}

TEST_F(Tray, SettingsOpenOnTheTabTheTicksCallFor) {
    const struct {
        const char* name;
        bool ticks;
        int lastTab;
        int tab;
    } cases[] = {
        {"ticked, mode tab last", true, 1, 0},
        {"ticked, applications tab last", true, 0, 0},
        {"nothing ticked, applications tab last", false, 0, 1},
        {"nothing ticked, mode tab last", false, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A tick first: the mode tab can't be left without one.
        SetTicks({5});
        ASSERT_TRUE(ClickTab(c.lastTab));
        SetTicks(c.ticks ? std::set<std::size_t>{5} : std::set<std::size_t>{});
        dialog.OnCancel();
        const int foregrounds = p.view.foregrounds;

        EXPECT_TRUE(dialog.OnCommand(ID_TRAY_SETTINGS));
        EXPECT_EQ(p.view.TabSelection(IDC_TAB), c.tab);
        EXPECT_EQ(p.view.ControlShown(IDC_MODE_LIST), c.tab == 1);
        EXPECT_EQ(p.view.ControlShown(IDC_TITLE), c.tab == 0);
        EXPECT_TRUE(p.view.visible);
        EXPECT_TRUE(dialog.VisibilityFlag());
        EXPECT_EQ(p.view.foregrounds, foregrounds + 1);
    }
}

TEST_F(Tray, KeysHideOrMoveOnAndOnlyExitEnds) {
    dialog.OnCommand(ID_TRAY_SETTINGS);
    EXPECT_TRUE(dialog.OnCommand(IDOK_COMMAND));
    EXPECT_EQ(p.view.focusMoves, 1);
    EXPECT_TRUE(p.view.visible);
    EXPECT_TRUE(dialog.VisibilityFlag());

    EXPECT_TRUE(dialog.OnCommand(IDCANCEL_COMMAND));
    EXPECT_FALSE(p.view.visible);
    EXPECT_FALSE(dialog.VisibilityFlag());
    EXPECT_EQ(p.view.endResult, 0);

    EXPECT_EQ(p.tray.adds, 1);
    dialog.OnTaskbarCreated();
    EXPECT_EQ(p.tray.adds, 2);
    EXPECT_TRUE(p.tray.shown);

    const std::map<std::string, std::string> files = p.files.files;
    EXPECT_TRUE(dialog.OnCommand(ID_TRAY_EXIT));
    EXPECT_EQ(p.view.endResult, 2);
    dialog.OnDestroy();
    EXPECT_EQ(p.tray.removes, 1);
    EXPECT_FALSE(p.tray.shown);
    EXPECT_EQ(p.files.files, files) << "nothing is written at exit";
    EXPECT_TRUE(p.view.messages.empty());
}

}  // namespace
}  // namespace mirelka
