// The notification icon and its popup menu as a user meets them, with Mirelka resident (a
// mode ticked in ScreenMode.txt): what each mouse message over the icon does, the menu's
// items chosen by keys, the settings window's keys, ending the program, and a task bar that
// is made anew.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

// One mode ticked, so that Mirelka starts resident.
class TrayE2ETest : public MirelkaTest {
protected:
    TrayE2ETest() { WriteBytes(screenModes_, DataFileBytes({"800\t600\t32\t60"})); }

    ProbeApp MakeApp(const std::wstring& name) const { return MakeProbeApp(folder_, name); }

    // The usual two, Zulu first in the file, so that title order is not file order.
    void RegisterZuluAndAlpha() {
        zulu_ = MakeApp(L"zulu");
        alpha_ = MakeApp(L"alpha");
        WriteBytes(appData_, DataFileBytes({AppDataLine("Zulu", zulu_.shortcut),
                                            AppDataLine("Alpha", alpha_.shortcut)}));
    }

    // Hidden, or hidden again by the paint that follows a flash: a window something really
    // showed stays visible.
    static bool StaysHidden(HWND dialog) {
        return WaitUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog) == FALSE; });
    }

    ProbeApp zulu_;
    ProbeApp alpha_;
};

// Menu positions with the two applications, counted in VK_DOWN presses from no selection
// (separators are skipped): Alpha, Zulu, 解像度変更, 設定, 常駐終了, ｷｬﾝｾﾙ.
constexpr int kDownsToSettings = 4;
constexpr int kDownsToExit = 5;
constexpr int kDownsToCancel = 6;

std::vector<UINT> Downs(int count, UINT last = VK_RETURN) {
    std::vector<UINT> keys(static_cast<std::size_t>(count), VK_DOWN);
    keys.push_back(last);
    return keys;
}

TEST_F(TrayE2ETest, FirstMenuItemLaunchesTheFirstTitleInTitleOrder) {
    RegisterZuluAndAlpha();
    HWND dialog = StartResident();

    ASSERT_TRUE(ChooseFromTrayMenu(*mirelka_, dialog, Downs(1))) << Describe(*mirelka_);

    const std::vector<ProbeRecord> runs = WaitForProbeRecords(alpha_.log, 1);
    ASSERT_EQ(runs.size(), 1u) << "Alpha, first in title order, was not started; "
                               << Describe(*mirelka_);
    EXPECT_EQ(runs[0].at("cwd"), Utf8(alpha_.folder)) << "its shortcut's working folder";
    // Mirelka waits for the program it started: once this is handled, the launch is over.
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
    EXPECT_FALSE(Snapshot(zulu_.log).exists) << "only the chosen application runs";
    EXPECT_TRUE(mirelka_->IsRunning());
    EXPECT_TRUE(StaysHidden(dialog));
    EXPECT_TRUE(TrayIconExists(dialog));
}

TEST_F(TrayE2ETest, CancelAndMouseMessagesOtherThanTheRightButtonChangeNothing) {
    RegisterZuluAndAlpha();
    Backdate(appData_);
    Backdate(screenModes_);
    const FileSnapshot appData = Snapshot(appData_);
    const FileSnapshot screenModes = Snapshot(screenModes_);
    const std::optional<ScreenMode> displayMode = RegistryMode();
    HWND dialog = StartResident();

    constexpr UINT kOtherMouseMessages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                            WM_RBUTTONUP, WM_MOUSEMOVE};
    for (const UINT mouseMessage : kOtherMouseMessages) {
        PostTrayMouseMessage(dialog, mouseMessage);
        ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
        EXPECT_TRUE(PopupMenus(mirelka_->Id()).empty())
            << "mouse message 0x" << std::hex << mouseMessage << " opened a menu";
        EXPECT_TRUE(StaysHidden(dialog))
            << "mouse message 0x" << std::hex << mouseMessage << " showed the window";
    }

    ASSERT_TRUE(ChooseFromTrayMenu(*mirelka_, dialog, Downs(kDownsToCancel)))
        << Describe(*mirelka_);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);

    EXPECT_TRUE(mirelka_->IsRunning());
    EXPECT_TRUE(StaysHidden(dialog));
    EXPECT_FALSE(ShowsMessageBox(*mirelka_)) << Describe(*mirelka_);
    EXPECT_TRUE(TrayIconExists(dialog));
    EXPECT_FALSE(Snapshot(alpha_.log).exists || Snapshot(zulu_.log).exists)
        << "nothing was launched";
    EXPECT_EQ(RegistryMode(), displayMode);
    EXPECT_EQ(Snapshot(appData_), appData);
    EXPECT_EQ(Snapshot(screenModes_), screenModes);
}

TEST_F(TrayE2ETest, RightButtonHidesTheSettingsWindow) {
    HWND dialog = StartResident();

    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);

    PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
    HWND menu = WaitForPopupMenus(*mirelka_, 1);
    ASSERT_NE(menu, nullptr) << Describe(*mirelka_);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "hidden before the menu shows";

    PostKey(menu, VK_ESCAPE);
    ASSERT_TRUE(WaitForNoPopupMenu(*mirelka_));
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    EXPECT_TRUE(StaysHidden(dialog)) << "a menu closed unused shows nothing again";
    EXPECT_TRUE(mirelka_->IsRunning());
}

TEST_F(TrayE2ETest, SettingsWindowStaysOnEnterAndHidesOnEscCloseBoxOrCancel) {
    RegisterZuluAndAlpha();
    HWND dialog = StartResident();

    ASSERT_TRUE(ChooseFromTrayMenu(*mirelka_, dialog, Downs(kDownsToSettings)))
        << Describe(*mirelka_);
    ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog) != FALSE; }))
        << "設定 shows the window; " << Describe(*mirelka_);
    EXPECT_EQ(Send(GetDlgItem(dialog, IDC_TAB), TCM_GETCURSEL), 0) << "with a mode ticked, tab 0";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_TITLE)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_MODE_LIST)));

    HWND focused = FocusedControl(dialog);
    ASSERT_NE(focused, nullptr);
    ASSERT_TRUE(IsChild(dialog, focused));
    PostKey(focused, VK_RETURN);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
    // Enter answers with a posted request to move on; it must have been handled too.
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
    EXPECT_NE(FocusedControl(dialog), focused) << "Enter moves the focus on";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "Enter neither closes nor hides the window";
    EXPECT_TRUE(mirelka_->IsRunning());

    const std::pair<const char*, std::function<void()>> hidings[] = {
        {"Esc", [&] { PostKey(FocusedControl(dialog), VK_ESCAPE); }},
        {"the close box", [&] { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"ｷｬﾝｾﾙ", [&] { PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); }},
    };
    for (const auto& [how, hide] : hidings) {
        SCOPED_TRACE(how);
        ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);
        hide();
        EXPECT_TRUE(StaysHidden(dialog)) << "hides the window";
        ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
        EXPECT_TRUE(mirelka_->IsRunning()) << "and the program stays";
        EXPECT_TRUE(TrayIconExists(dialog)) << "with its icon";
    }
}

TEST_F(TrayE2ETest, ExitEndsTheProgramAndLeavesTheDataFilesAlone) {
    RegisterZuluAndAlpha();
    Backdate(appData_);
    Backdate(screenModes_);
    const FileSnapshot appData = Snapshot(appData_);
    const FileSnapshot screenModes = Snapshot(screenModes_);
    HWND dialog = StartResident();

    ASSERT_TRUE(ChooseFromTrayMenu(*mirelka_, dialog, Downs(kDownsToExit))) << Describe(*mirelka_);

    EXPECT_TRUE(mirelka_->WaitForExit(kActionTimeoutMs).has_value())
        << "常駐終了 ends the program; " << Describe(*mirelka_);
    EXPECT_EQ(Snapshot(appData_), appData);
    EXPECT_EQ(Snapshot(screenModes_), screenModes);
    EXPECT_FALSE(Snapshot(alpha_.log).exists || Snapshot(zulu_.log).exists);
}

TEST_F(TrayE2ETest, TaskbarCreatedAddsTheLostIconAgain) {
    HWND dialog = StartResident();
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    ASSERT_TRUE(TrayIconExists(dialog));

    // Sent to the window, then broadcast to every top-level window as a new shell does.
    for (const bool broadcast : {false, true}) {
        SCOPED_TRACE(broadcast ? "broadcast" : "sent to the dialog");
        ASSERT_TRUE(DeleteTrayIcon(dialog));
        ASSERT_FALSE(TrayIconExists(dialog));
        PostMessageW(broadcast ? HWND_BROADCAST : dialog, taskbarCreated, 0, 0);
        EXPECT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return TrayIconExists(dialog); }));
    }

    EXPECT_TRUE(ChooseFromTrayMenu(*mirelka_, dialog, {VK_ESCAPE}))
        << "the icon still answers; " << Describe(*mirelka_);
}

TEST_F(TrayE2ETest, ScreenshotOfTheMenuWithItsResolutionSubmenu) {
    const ProbeApp alpha = MakeApp(L"alpha");
    const ProbeApp game = MakeApp(L"game");
    WriteBytes(appData_,
               DataFileBytes({AppDataLine("ゲーム", game.shortcut, {640, 480, 32, 60}, true),
                              AppDataLine("Alpha", alpha.shortcut)}));
    WriteBytes(screenModes_, DataFileBytes({"800\t600\t32\t60", "640\t480\t32\t60"}));
    HWND dialog = StartResident();

    // Just above the task bar, clear of the icon and its tip: the menu opens up and to the
    // left of the cursor. (From a point on Wine's task bar, the bar covers the last item.)
    RECT workArea{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0));
    SetCursorPos(workArea.right - 80, workArea.bottom - 2);
    PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
    HWND menu = WaitForPopupMenus(*mirelka_, 1);
    ASSERT_NE(menu, nullptr) << Describe(*mirelka_);
    // Alpha, ゲーム, then 解像度変更: opened with the right arrow, its first item selected.
    constexpr UINT kToSubmenu[] = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT};
    for (const UINT key : kToSubmenu) {
        PostKey(menu, key);
    }
    ASSERT_NE(WaitForPopupMenus(*mirelka_, 2), nullptr) << "the submenu opens";
    // Nothing tells when a menu has painted; give it a moment.
    Sleep(300);
    SaveScreenshot(L"mirelka-tray-menu.bmp");

    // The ticked modes come in list order, not the file's: 640x480 first, 800x600 second.
    PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
    EXPECT_TRUE(WaitForNoPopupMenu(*mirelka_));
    EXPECT_TRUE(WaitForRegistryMode({800, 600, 32, 60})) << RegistryMode().value_or(ScreenMode{});
    EXPECT_FALSE(Snapshot(alpha.log).exists || Snapshot(game.log).exists);
}

TEST_F(TrayE2ETest, AClickOnTheOpenMenuLeavesItAloneAndTheRestartManagerClosesMirelka) {
    RegisterZuluAndAlpha();
    const FileSnapshot appData = Snapshot(appData_);
    const FileSnapshot screenModes = Snapshot(screenModes_);
    HWND dialog = StartResident();
    Process& mirelka = *mirelka_;
    PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
    HWND menu = WaitForPopupMenus(mirelka, 1);
    ASSERT_NE(menu, nullptr) << Describe(mirelka);
    PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << "handled inside the menu's loop";
    EXPECT_EQ(PopupMenus(mirelka.Id()), std::vector<HWND>{menu});
    PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
    EXPECT_EQ(WaitForProbeRecords(alpha_.log, 1).size(), 1u) << Describe(mirelka);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << "the launch is over";

    LRESULT answer = FALSE;
    ASSERT_TRUE(SendWithTimeout(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, answer));
    EXPECT_EQ(answer, TRUE);
    SendWithTimeout(dialog, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, answer);
    EXPECT_TRUE(mirelka.WaitForExit(kActionTimeoutMs).has_value()) << Describe(mirelka);
    EXPECT_FALSE(TrayIconExists(dialog));
    EXPECT_EQ(Snapshot(appData_), appData);
    EXPECT_EQ(Snapshot(screenModes_), screenModes);
}

}  // namespace
}  // namespace mirelka::e2e
