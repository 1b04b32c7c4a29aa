#include "resources/Texts.h"
#include "unit/Fixture.h"

namespace mirelka::test {
namespace {

using Checked = std::vector<bool>;
constexpr char kTicks13[] = "800\t600\t16\t60\r\n1024\t768\t32\t60\r\n";

class AccessibilityTest : public DialogTest {
protected:
    AccessibilityTest() { p.display.AddSixModes(); }
    const FakeModeListAccess& Reader() const { return p.modeAccess; }
};

// What a screen reader hears of each item is the model's tick, whichever way it got there.
TEST_F(AccessibilityTest, EachItemsCheckedStateFollowsTheModel) {
    p.files.unreadable = {kModeFile};
    Start(kTicks13);
    EXPECT_EQ(Reader().checked, Checked(6, false)) << "filled, ticks not read yet";
    p.files.unreadable.clear();
    EXPECT_TRUE(dialog.OnCommand(ID_TRAY_SETTINGS));
    EXPECT_EQ(Reader().checked, (Checked{false, true, false, true, false, false})) << "caught up";
    EXPECT_TRUE(Reader().stateChanges.empty());

    dialog.OnToggleMode(0);
    dialog.OnToggleMode(3);
    EXPECT_EQ(Reader().checked, (Checked{true, true, false, false, false, false}));
    EXPECT_EQ(Reader().stateChanges, (std::vector<std::size_t>{0, 3}));
    dialog.OnToggleMode(6);  // no such item
    EXPECT_EQ(Reader().stateChanges.size(), 2U);

    dialog.OnDestroy();
    EXPECT_TRUE(Reader().checked.empty()) << "cleared with the list";
}

// Ctrl+Tab asks as a click does: refused without a tick, the strip and the controls stay
// on the mode tab even where the tab control moved its selection all the same.
TEST_F(AccessibilityTest, TurningTheTabFollowsTheRulesOfAClick) {
    Start(kTicks13);
    EXPECT_TRUE(dialog.OnCommand(ID_TRAY_SETTINGS));
    dialog.OnTurnTab(true);
    EXPECT_EQ(p.view.TabSelection(IDC_TAB), 1);
    EXPECT_TRUE(p.view.ControlShown(IDC_MODE_LIST));
    EXPECT_EQ(p.view.focused, IDC_TAB);

    SetTicks({});
    p.view.focused = 0;
    // A second Ctrl+Tab while the refusal shows changes nothing.
    p.view.onMessage = [&] { dialog.OnTurnTab(true); };
    dialog.OnTurnTab(false);
    p.view.onMessage = nullptr;
    ASSERT_EQ(p.view.messages.size(), 1U);
    EXPECT_EQ(p.view.messages[0].text, text::kTickOneToLeave);
    EXPECT_EQ(p.view.TabSelection(IDC_TAB), 1);
    EXPECT_TRUE(p.view.ControlShown(IDC_MODE_LIST));
    EXPECT_EQ(p.view.focused, 0) << "the focus stays where a tick is wanted";

    // The tab control's arrow keys under Wine: refused, yet its selection moved.
    EXPECT_EQ(dialog.OnSelchangingTab(), 1);
    p.view.TabSelect(IDC_TAB, 0);
    dialog.OnTabChangeRefused();
    EXPECT_EQ(p.view.TabSelection(IDC_TAB), 1);
    EXPECT_EQ(Press(IDC_REGISTER), (Said{{text::kTickOneToSave, kError}}));

    SetTicks({4});
    dialog.OnTurnTab(false);
    EXPECT_EQ(p.view.TabSelection(IDC_TAB), 0);
    EXPECT_FALSE(p.view.ControlShown(IDC_MODE_LIST));
    EXPECT_EQ(p.view.ComboTexts(IDC_MODE_SELECTOR), (Texts{"未設定", "1024×768×32 75Hz"}));
}

}  // namespace
}  // namespace mirelka::test
