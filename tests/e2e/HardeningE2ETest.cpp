// Mirelka narrows its own DLL search to the system's folders at start, since every launch
// moves its current directory into some program's folder. What must still work with that:
// reading shortcuts, the open-file dialog, launching; and a launched program, which keeps
// the usual search, still finds a DLL in the working folder its shortcut gives.

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

// Where the process loaded this DLL from, or nothing when it hasn't loaded it.
std::optional<std::wstring> LoadedFrom(DWORD processId, const wchar_t* dll) {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot) {
        throw std::runtime_error("no module list of the process");
    }
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot.get(), &module); more;
         more = Module32NextW(snapshot.get(), &module)) {
        if (_wcsicmp(module.szModule, dll) == 0) {
            return std::wstring(module.szExePath);
        }
    }
    return std::nullopt;
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

class HardeningE2ETest : public MirelkaTest {
protected:
    HardeningE2ETest() { WriteBytes(screenModes_, DataFileBytes({"800\t600\t32\t60"})); }

    // Opens the open-file dialog with this browse button and cancels it.
    void BrowseAndCancel(HWND dialog, int button) const {
        PostCommand(dialog, button);
        HWND fileDialog = WaitForShortcutDialog(*mirelka_);
        ASSERT_NE(fileDialog, nullptr) << "no open-file dialog; " << Describe(*mirelka_);
        PostCommand(fileDialog, IDCANCEL);
        ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return IsWindow(fileDialog) == FALSE; }))
            << Describe(*mirelka_);
        ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
        EXPECT_FALSE(ShowsMessageBox(*mirelka_)) << Describe(*mirelka_);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "cancelling keeps the settings window";
    }
};

TEST_F(HardeningE2ETest, ShortcutsTheFileDialogAndLaunchingStillWork) {
    const ProbeApp app = MakeProbeApp(folder_, L"apps", 0);
    HWND dialog = StartResident();
    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);
    // The common dialogs, and the print spooler they bring, are left out of the resident
    // program until it needs them; then they come from the system's folder only.
    EXPECT_EQ(LoadedFrom(mirelka_->Id(), L"comdlg32.dll"), std::nullopt);

    ASSERT_NO_FATAL_FAILURE(BrowseAndCancel(dialog, IDC_BROWSE_STARTMENU));
    EXPECT_EQ(Text(dialog, IDC_SHORTCUT), "") << "a cancelled dialog chooses nothing";
    const std::optional<std::wstring> comdlg = LoadedFrom(mirelka_->Id(), L"comdlg32.dll");
    ASSERT_TRUE(comdlg);
    EXPECT_EQ(_wcsicmp(comdlg->c_str(), (SystemFolder() + L"\\comdlg32.dll").c_str()), 0)
        << Utf8(*comdlg);

    // Chosen in the dialog and read through the shell's shortcut object.
    ChooseShortcut(dialog, app.shortcut);
    EXPECT_EQ(Text(dialog, IDC_TARGET), Utf8(app.exe));
    EXPECT_EQ(Text(dialog, IDC_WORKDIR), Utf8(app.folder));

    SetControlText(GetDlgItem(dialog, IDC_TITLE), L"Probe");
    PostCommand(dialog, IDC_REGISTER);
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「Probe」を登録しました");

    PostCommand(dialog, ID_LAUNCH_FIRST);
    const std::vector<ProbeRecord> runs = WaitForProbeRecords(app.log, 1);
    ASSERT_EQ(runs.size(), 1u) << Describe(*mirelka_);
    EXPECT_EQ(runs[0].at("cwd"), Utf8(app.folder));
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);

    // Mirelka's current directory is now the program's folder.
    ASSERT_NO_FATAL_FAILURE(BrowseAndCancel(dialog, IDC_BROWSE_STARTMENU));
    EXPECT_TRUE(mirelka_->IsRunning());
}

TEST_F(HardeningE2ETest, ALaunchedProgramLoadsADllFromItsWorkingFolder) {
    // The program and the DLL in different folders: only the working folder has the DLL.
    const std::wstring bin = folder_.MakeFolder(L"bin");
    const std::wstring work = folder_.MakeFolder(L"work");
    const std::wstring program = bin + L"\\libprobe.exe";
    const std::wstring library = work + L"\\ProbeLib.dll";
    CopyInto(HelperPath(L"mirelka_lib_probe.exe"), program);
    CopyInto(HelperPath(L"ProbeLib.dll"), library);
    MakeShortcut(bin + L"\\libprobe.lnk", program, work);
    WriteBytes(appData_,
               DataFileBytes({"LibProbe\t" + Utf8(bin) + "\\libprobe.lnk\t0\t0\t0\t0\t0"}));
    HWND dialog = StartResident();

    PostCommand(dialog, ID_LAUNCH_FIRST);
    const std::vector<ProbeRecord> runs = WaitForProbeRecords(ProbeLogOf(program), 1);
    ASSERT_EQ(runs.size(), 1u) << Describe(*mirelka_);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
    const ProbeRecord& run = runs[0];
    EXPECT_EQ(run.at("cwd"), Utf8(work));
    ASSERT_EQ(run.at("loaded"), "1") << "LoadLibraryW failed with error " << run.at("error");
    EXPECT_EQ(_wcsicmp(Widen(run.at("from")).c_str(), library.c_str()), 0)
        << "loaded from " << run.at("from");
    EXPECT_EQ(run.at("answer"), "42");
}

}  // namespace
}  // namespace mirelka::e2e
