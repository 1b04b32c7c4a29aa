// A resident program must not grow: after many tray menus, settings windows and launches,
// what Mirelka holds (handles, GDI and USER objects, private memory) is back where it was
// once a first round of each had filled the system's caches, and every launch switched the
// display mode and put it back.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

// How often each is done after the warm-up.
constexpr int kTrayMenus = 200;
constexpr int kSettingsWindows = 50;
constexpr int kLaunches = 20;

// How much each figure may grow over all those cycles. Objects: one or two that a cache of
// the system may still make late; a leak of one a cycle is 20 or more. Memory: half a
// kilobyte a cycle over 270 cycles; the allocators' own slack moved it by 20-40 KB.
constexpr long long kObjectTolerance = 2;
constexpr long long kMemoryTolerance = 128 * 1024;

// Handles the system itself keeps in a process for each switch and switch back, whoever
// asks for them: Wine 8 leaves three registry keys open per mode change.
long long SystemHandlesPerSwitchAndBack(const ScreenMode& switched, const ScreenMode& original) {
    // Not counted: what the first change opens once for good.
    ApplyRegistryMode(switched);
    ApplyRegistryMode(original);
    constexpr int kPairs = 2;
    const long long before = HandleCountOf(GetCurrentProcessId());
    for (int i = 0; i < kPairs; ++i) {
        ApplyRegistryMode(switched);
        ApplyRegistryMode(original);
    }
    const long long after = HandleCountOf(GetCurrentProcessId());
    return before < 0 || after < before ? 0 : (after - before) / kPairs;
}

class LeakE2ETest : public MirelkaTest {
protected:
    LeakE2ETest() : app_(MakeProbeApp(folder_, L"app", 50)) {
        // A mode ticked: Mirelka starts resident and the menu has its resolution submenu.
        WriteBytes(screenModes_, DataFileBytes({"800\t600\t32\t60"}));
        // The cycles run hundreds of times: every wait looks often, not every 50 ms.
        SetPollInterval(2);
    }
    ~LeakE2ETest() override { SetPollInterval(usualPollInterval_); }

    void OpenAndCloseTrayMenu() const {
        PostTrayMouseMessage(dialog_, WM_RBUTTONDOWN);
        HWND menu = WaitForPopupMenus(*mirelka_, 1);
        ASSERT_NE(menu, nullptr) << "no menu; " << Describe(*mirelka_);
        PostKey(menu, VK_ESCAPE);
        ASSERT_TRUE(WaitForNoPopupMenu(*mirelka_));
        ASSERT_TRUE(WaitForPostedMessages(dialog_)) << Describe(*mirelka_);
    }

    // Shown as 設定 shows it, hidden as ｷｬﾝｾﾙ hides it. Until painted: the window and each
    // control, which fills what the system keeps for painting them.
    void ShowAndHideSettings(bool untilPainted) const {
        ASSERT_TRUE(ShowSettings(dialog_)) << Describe(*mirelka_);
        if (untilPainted) {
            ASSERT_TRUE(WaitForPaint(dialog_));
            for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                ASSERT_TRUE(WaitForPaint(child));
            }
        }
        PostCommand(dialog_, IDCANCEL);
        ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog_) == FALSE; }))
            << Describe(*mirelka_);
        ASSERT_TRUE(WaitForPostedMessages(dialog_));
    }

    // Launches the one application: it must run under its mode, and the mode from before
    // must be back once the launch is over.
    void Launch(const ScreenMode& switched, const ScreenMode& original) {
        PostCommand(dialog_, ID_LAUNCH_FIRST);
        ++launches_;
        std::vector<ProbeRecord> runs = WaitForProbeRecords(app_.log, launches_);
        ASSERT_GE(runs.size(), launches_)
            << "launch " << launches_ << " started nothing; " << Describe(*mirelka_);
        ASSERT_EQ(runs.size(), launches_) << "one program a launch";
        EXPECT_EQ(runs.back()["mode"], ModeText(switched)) << "launch " << launches_;
        // Mirelka handles what was posted once the program has ended and the mode is back.
        ASSERT_TRUE(WaitForPostedMessages(dialog_)) << Describe(*mirelka_);
        ASSERT_EQ(RegistryMode(), original) << "after launch " << launches_;
    }

    ResourceFigures Figures() const { return ResourceFiguresOf(*mirelka_, dialog_); }

    const DWORD usualPollInterval_ = PollInterval();
    ProbeApp app_;
    HWND dialog_ = nullptr;
    std::size_t launches_ = 0;
};

TEST_F(LeakE2ETest, HandlesGdiUserObjectsAndMemoryComeBackAfterMenusSettingsAndLaunches) {
    const ScreenMode switched{640, 480, 16, 60};
    const std::vector<ScreenMode> offered = DriverModes();
    ASSERT_NE(std::find(offered.begin(), offered.end(), switched), offered.end())
        << "the display offers no " << switched;
    const ScreenMode original = display_.Original();
    ASSERT_NE(original, switched);
    // The one application, switching to that mode and back.
    WriteBytes(appData_, DataFileBytes({AppDataLine("Probe", app_.shortcut, switched, true)}));
    const long long systemHandlesPerLaunch = SystemHandlesPerSwitchAndBack(switched, original);
    ASSERT_EQ(RegistryMode(), original);

    const ULONGLONG started = GetTickCount64();
    dialog_ = StartResident();
    const ResourceFigures atStart = Figures();

    // First use fills caches: fonts, the menu's window class, what painting keeps, the
    // child's process data.
    for (int i = 0; i < 2; ++i) {
        ASSERT_NO_FATAL_FAILURE(OpenAndCloseTrayMenu());
        ASSERT_NO_FATAL_FAILURE(ShowAndHideSettings(true));
        ASSERT_NO_FATAL_FAILURE(Launch(switched, original));
    }
    const ResourceFigures warm = Figures();

    ULONGLONG phase = GetTickCount64();
    for (int i = 0; i < kTrayMenus; ++i) {
        ASSERT_NO_FATAL_FAILURE(OpenAndCloseTrayMenu()) << "menu " << i;
    }
    const ULONGLONG menusMs = GetTickCount64() - phase;
    const ResourceFigures afterMenus = Figures();

    phase = GetTickCount64();
    for (int i = 0; i < kSettingsWindows; ++i) {
        ASSERT_NO_FATAL_FAILURE(ShowAndHideSettings(false)) << "settings " << i;
    }
    const ULONGLONG settingsMs = GetTickCount64() - phase;
    const ResourceFigures afterSettings = Figures();

    phase = GetTickCount64();
    for (int i = 0; i < kLaunches; ++i) {
        ASSERT_NO_FATAL_FAILURE(Launch(switched, original));
    }
    const ULONGLONG launchesMs = GetTickCount64() - phase;
    const ResourceFigures after = Figures();

    std::ostringstream report;
    report << "start:              " << atStart << "\nafter warm-up:      " << warm << "\nafter "
           << kTrayMenus << " menus:    " << afterMenus << " (" << menusMs << " ms)\nafter "
           << kSettingsWindows << " settings:  " << afterSettings << " (" << settingsMs
           << " ms)\nafter " << kLaunches << " launches:  " << after << " (" << launchesMs
           << " ms)\nhandles the system keeps a launch: " << systemHandlesPerLaunch << "\nin all "
           << GetTickCount64() - started << " ms";
    const std::string figures = report.str();
    std::printf("%s\n", figures.c_str());

    // Figures that could not be read, or read 0, could not tell a leak from none.
    EXPECT_GT(warm.handles, 0) << figures;
    EXPECT_GT(warm.gdiObjects, 0) << figures;
    EXPECT_GT(warm.userObjects, 0) << figures;
    EXPECT_GT(warm.privateBytes, 0) << figures;
    ASSERT_FALSE(after.handles < 0 || after.gdiObjects < 0 || after.userObjects < 0 ||
                 after.privateBytes < 0)
        << figures;

    EXPECT_LE(after.handles - warm.handles, kLaunches * systemHandlesPerLaunch + kObjectTolerance)
        << figures;
    EXPECT_LE(after.gdiObjects - warm.gdiObjects, kObjectTolerance) << figures;
    EXPECT_LE(after.userObjects - warm.userObjects, kObjectTolerance) << figures;
    EXPECT_LE(after.privateBytes - warm.privateBytes, kMemoryTolerance) << figures;
    EXPECT_TRUE(mirelka_->IsRunning());
}

}  // namespace
}  // namespace mirelka::e2e
