// The display modes as a user meets them: the mode list on the "基本設定" tab, ticking and
// saving it to ScreenMode.txt, the start-up that hides the window once a mode is ticked,
// and switching the display with the mode commands of the tray menu.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

int IndexOf(const std::vector<ScreenMode>& modes, const ScreenMode& mode) {
    const auto at = std::find(modes.begin(), modes.end(), mode);
    return at == modes.end() ? -1 : static_cast<int>(at - modes.begin());
}

class ModesE2ETest : public MirelkaTest {};

TEST_F(ModesE2ETest, FirstStartShowsEveryUsableDriverModeOnTheModeTabAndNoTitles) {
    HWND dialog = StartShown();
    ExpectOnScreenOnTheModeTab(*mirelka_, dialog);
    EXPECT_TRUE(Titles(dialog).empty());
    EXPECT_FALSE(ShowsMessageBox(*mirelka_)) << "missing data files are no error to report";

    // At least 640x480, 8 bits and 30 Hz, in the driver's order.
    std::vector<std::string> usable;
    const std::vector<ScreenMode> driver = DriverModes();
    for (const ScreenMode& mode : driver) {
        if (mode.width >= 640 && mode.height >= 480 && mode.bitsPerPixel >= 8 &&
            mode.frequency >= 30) {
            usable.push_back(ListLabel(mode));
        }
    }
    ASSERT_LT(usable.size(), driver.size()) << "Wine's desktop offers small modes to leave out";
    EXPECT_EQ(Utf8(ListItems(GetDlgItem(dialog, IDC_MODE_LIST))), usable);
    EXPECT_FALSE(Snapshot(screenModes_).exists) << "showing the list writes nothing";
}

TEST_F(ModesE2ETest, TickedModesAreSavedInListOrder) {
    HWND dialog = StartShown();
    HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
    const std::vector<ScreenMode> listed = ListedModes(list);
    ASSERT_GE(listed.size(), 20u) << "enough modes to scroll the list";
    const std::size_t last = listed.size() - 1;
    const std::size_t middle = last / 2;

    ClickListItem(list, static_cast<int>(last), ItemPart::CheckBox);
    ClickListItem(list, 1, ItemPart::Label);  // beside the box: no tick
    ClickListItem(list, 3, ItemPart::CheckBox);
    ClickListItem(list, 3, ItemPart::CheckBox);  // and off again
    PressSpaceOnListItem(list, static_cast<int>(middle));
    PressSpaceOnListItem(list, 5);
    PressSpaceOnListItem(list, 5);  // and off again
    PostMessageW(GetDlgItem(dialog, IDC_REGISTER), BM_CLICK, 0, 0);

    ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return Snapshot(screenModes_).exists; }))
        << Describe(*mirelka_);
    ASSERT_TRUE(RoundTrip(dialog));
    EXPECT_EQ(Snapshot(screenModes_).bytes, FileLine(listed[middle]) + FileLine(listed[last]));
    EXPECT_EQ(FolderEntries(folder_.Path()),
              (std::vector<std::wstring>{L"Mirelka.exe", L"ScreenMode.txt"}))
        << "no temporary file left behind";
    EXPECT_FALSE(ShowsMessageBox(*mirelka_)) << Describe(*mirelka_);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "saving keeps the window open";
}

TEST_F(ModesE2ETest, StoredListedModesAreTickedAndTheWindowHidesAtStart) {
    WriteBytes(screenModes_,
               DataFileBytes({"640\t480\t16\t60", "1234\t567\t8\t60", "800\t600\t32\t60"}));
    const FileSnapshot before = Snapshot(screenModes_);

    HWND dialog = StartResident();
    EXPECT_TRUE(mirelka_->IsRunning());
    EXPECT_TRUE(TrayIconExists(dialog)) << "resident: only the icon shows";

    // The settings window offers the ticked modes, in list order, for applications.
    EXPECT_EQ(Utf8(ComboItems(GetDlgItem(dialog, IDC_MODE_SELECTOR))),
              (std::vector<std::string>{"未設定", "800×600×32 60Hz", "640×480×16 60Hz"}));
    EXPECT_EQ(Snapshot(screenModes_), before) << "reading is all the start does to the file";
    EXPECT_FALSE(IsWindowVisible(dialog)) << Describe(*mirelka_);
}

TEST_F(ModesE2ETest, ModeCommandsSwitchTheDisplayAndTheStartCommandGoesBackToTheStartMode) {
    const ScreenMode first{800, 600, 16, 60};
    const ScreenMode second{640, 480, 32, 60};
    const ScreenMode start = display_.Original();
    ASSERT_NE(start, first);
    ASSERT_NE(start, second);
    WriteBytes(screenModes_, DataFileBytes({"640\t480\t32\t60"}));

    HWND dialog = StartResident();
    const std::vector<ScreenMode> listed = ListedModes(GetDlgItem(dialog, IDC_MODE_LIST));
    const int firstIndex = IndexOf(listed, first);
    const int secondIndex = IndexOf(listed, second);
    ASSERT_GE(firstIndex, 0) << "the driver offers " << first;
    ASSERT_GE(secondIndex, 0) << "the driver offers " << second;

    // Commands of a hidden window: the tray menu sends them while the dialog is hidden.
    PostCommand(dialog, ID_MODE_FIRST + firstIndex);
    EXPECT_TRUE(WaitForRegistryMode(first)) << RegistryMode().value_or(ScreenMode{});
    // In the lower right of the larger screen, the window would stand off the smaller one.
    RECT window{};
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left),
                 GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostCommand(dialog, ID_MODE_FIRST + secondIndex);
    EXPECT_TRUE(WaitForRegistryMode(second)) << RegistryMode().value_or(ScreenMode{});
    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT inside{};
    GetWindowRect(dialog, &window);
    EXPECT_LE(monitor.rcWork.right, 640);
    EXPECT_TRUE(IntersectRect(&inside, &window, &monitor.rcWork) && EqualRect(&inside, &window));
    PostCommand(dialog, IDCANCEL);
    PostCommand(dialog, ID_MODE_STARTUP);
    EXPECT_TRUE(WaitForRegistryMode(start)) << RegistryMode().value_or(ScreenMode{});
    EXPECT_TRUE(mirelka_->IsRunning());
    EXPECT_FALSE(IsWindowVisible(dialog));
}

}  // namespace
}  // namespace mirelka::e2e
