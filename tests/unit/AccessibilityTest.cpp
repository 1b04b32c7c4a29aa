#include "resources/Texts.h"
#include "unit/Fixture.h"

namespace mirelka::test {
namespace {

using AccessibilityTest = DialogTest;
using Checked = std::vector<bool>;
const std::string kTicks13 = "800\t600\t16\t60\r\n1024\t768\t32\t60\r\n";

// What a screen reader hears of each item is the model's tick, whichever way it got there.
TEST_F(AccessibilityTest, EachItemsCheckedStateFollowsTheModel) {
    p.display.AddSixModes();
    p.files.unreadable = {kModeFile};
    Start(kTicks13);
    EXPECT_EQ(p.modeAccess.checked, Checked(6, false)) << "filled, ticks not read yet";
    p.files.unreadable.clear();
    EXPECT_TRUE(dialog.OnCommand(ID_TRAY_SETTINGS));
    EXPECT_EQ(p.modeAccess.checked, (Checked{false, true, false, true, false, false}));
    dialog.OnToggleMode(0);
    dialog.OnToggleMode(3);
    EXPECT_EQ(p.modeAccess.checked, (Checked{true, true, false, false, false, false}));
    EXPECT_EQ(p.modeAccess.stateChanges, (std::vector<std::size_t>{0, 3}));
    dialog.OnDestroy();
    EXPECT_TRUE(p.modeAccess.checked.empty()) << "cleared with the list";
}

// Ctrl+Tab asks as a click does; a refused change leaves the strip on the mode tab even
// where the tab control moved its selection all the same (Wine's arrow keys).
TEST_F(AccessibilityTest, TurningTheTabFollowsTheRulesOfAClick) {
    p.display.AddSixModes();
    Start(kTicks13);
    EXPECT_TRUE(dialog.OnCommand(ID_TRAY_SETTINGS));
    dialog.OnTurnTab(true);
    EXPECT_TRUE(p.view.ControlShown(IDC_MODE_LIST));
    EXPECT_EQ(p.view.focused, IDC_TAB);
    SetTicks({});
    p.view.focused = 0;
    p.view.onMessage = [&] { dialog.OnTurnTab(true); };  // again, while the refusal shows
    dialog.OnTurnTab(false);
    EXPECT_EQ(p.view.messages.size(), 1U);
    EXPECT_TRUE(p.view.ControlShown(IDC_MODE_LIST));
    EXPECT_EQ(p.view.focused, 0) << "the focus stays where a tick is wanted";

    EXPECT_EQ(dialog.OnSelchangingTab(), 1);
    p.view.TabSelect(IDC_TAB, 0);
    dialog.OnTabChangeRefused();
    EXPECT_EQ(Press(IDC_REGISTER), (Said{{text::kTickOneToSave, kError}}));
}

}  // namespace
}  // namespace mirelka::test
