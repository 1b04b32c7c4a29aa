#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/LauncherDialog.h"
#include "resources/ResourceIds.h"
#include "fakes/FakePlatform.h"

namespace mirelka {
namespace {

using Items = std::vector<std::pair<std::string, int>>;  // text and id

const std::string kExe = "C:\\Mirelka\\Mirelka.exe";
const std::string kModeFile = "C:\\Mirelka\\ScreenMode.txt";
const std::string kAppFile = "C:\\Mirelka\\AppData.txt";
constexpr std::intptr_t kRightButtonDown = 0x204;

// The template's items below the titles, and the resolution submenu's last item.
const Items kTemplateTail = {{"", 0},     {"解像度変更", -1},  {"設定", 32901},
                             {"", 0},     {"常駐終了", 32900}, {"", 0},
                             {"ｷｬﾝｾﾙ", 2}};
const std::pair<std::string, int> kStartupItem = {"起動時の解像度", 33000};

class Tray : public testing::Test {
protected:
    // Six modes; the file ticks items 2 and 4.
    void SetUp() override {
        p.display.AddSixModes();
        p.files.files[kModeFile] = "800\t600\t32\t60\r\n1024\t768\t32\t75\r\n";
        p.files.files[kAppFile] = "B\tb.lnk\t0\t0\t0\t0\t0\r\n";
        p.shortcuts.links["b.lnk"] = {"C:\\b.exe", ""};
        p.processes.existing.insert("C:\\b.exe");
        p.view.cursorX = 123;
        p.view.cursorY = 456;
        ASSERT_TRUE(dialog.OnInitDialog());
        ASSERT_TRUE(dialog.Registry().Insert({"A", "a.lnk", 0, 0, 0, 0, 0}));
    }
    static Items Of(const std::vector<test::FakePopupMenu::Item>& items) {
        Items out;
        for (const auto& item : items) {
            out.emplace_back(item.text, item.id);
        }
        return out;
    }

    test::FakePlatform p;
    LauncherDialog dialog{p.MakePorts(), kExe};
};

TEST_F(Tray, OnlyTheRightButtonGoingDownOpensTheMenu) {
    dialog.Settings().OnSettings();
    const int foregrounds = p.view.foregrounds;
    for (const std::intptr_t message : {0x200, 0x201, 0x202, 0x203, 0x205, 0x206}) {
        SCOPED_TRACE(message);
        dialog.OnTrayNotify(message);
        EXPECT_EQ(p.menu.loads, 0);
        EXPECT_TRUE(p.view.visible);
        EXPECT_TRUE(dialog.VisibilityFlag());
        EXPECT_EQ(p.view.foregrounds, foregrounds);
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
    dialog.Settings().OnSettings();  // an open settings window closes
    const int foregrounds = p.view.foregrounds;
    dialog.OnTrayNotify(kRightButtonDown);

    EXPECT_FALSE(p.view.visible);
    EXPECT_FALSE(dialog.VisibilityFlag());
    EXPECT_EQ(p.view.foregrounds, foregrounds + 1);
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
    for (int i = 0; i < 6; ++i) {
        p.view.ListSetChecked(IDC_MODE_LIST, i, false);
    }
    dialog.OnTrayNotify(kRightButtonDown);
    EXPECT_EQ(Of(p.menu.Popup()), kTemplateTail);
    EXPECT_EQ(Of(p.menu.Resolutions()), Items{kStartupItem});
    EXPECT_EQ(p.menu.destroys, 1);
}

TEST_F(Tray, ModeItemsFromIndex998OnGetAnIdNothingHandles) {
    test::FakePlatform big;
    for (std::uint32_t i = 0; i < 1000; ++i) {
        big.display.Add(640 + i, 480, 32, 60);
    }
    LauncherDialog many(big.MakePorts(), kExe);
    ASSERT_TRUE(many.OnInitDialog());
    for (const int index : {0, 997, 998, 999}) {
        big.view.ListSetChecked(IDC_MODE_LIST, index, true);
    }
    many.OnTrayNotify(kRightButtonDown);
    EXPECT_EQ(Of(big.menu.Resolutions()), (Items{{"640×480×32 60Hz", 33001},
                                                 {"1637×480×32 60Hz", 33998},
                                                 {"1638×480×32 60Hz", 33999},
                                                 {"1639×480×32 60Hz", 33999},
                                                 kStartupItem}));
    EXPECT_FALSE(many.OnCommand(33999));
    EXPECT_TRUE(big.display.applied.empty());
    EXPECT_TRUE(big.processes.runs.empty());
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
        for (int i = 0; i < 6; ++i) {
            p.view.ListSetChecked(IDC_MODE_LIST, i, c.ticks && i == 5);
        }
        dialog.OnCancel();
        p.view.TabSelect(IDC_TAB, c.lastTab);
        dialog.Settings().ShowTab(c.lastTab);
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
    dialog.Settings().OnSettings();
    EXPECT_TRUE(dialog.OnCommand(LauncherDialog::kIdOk));
    EXPECT_EQ(p.view.focusMoves, 1);
    EXPECT_TRUE(p.view.visible);
    EXPECT_TRUE(dialog.VisibilityFlag());

    EXPECT_TRUE(dialog.OnCommand(LauncherDialog::kIdCancel));
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
