// Start-up as a user meets it: one instance at a time, and the registrations read from the
// AppData.txt beside the executable, whatever the current directory.

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

class StartupTest : public MirelkaTest {
protected:
    Process Start() const { return Process::Start(exe_, folder_.Path()); }
};

TEST_F(StartupTest, SecondStartIsTurnedAwayAndTheFirstKeepsRunning) {
    HWND dialog = StartShown();

    Process second = Start();
    HWND box = WaitForMessageBox(second);
    ASSERT_NE(box, nullptr) << Describe(second);
    EXPECT_EQ(Utf8(MessageBoxText(box)), "Mirelka.exeは既に起動しています");
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the box belongs to no window";
    EXPECT_EQ(WaitForMessageBoxIcon(box), StandardIcon::Error);
    EXPECT_EQ(TopLevelWindows(second.Id(), L"#32770", L"Mirelka").size(), 1u)
        << "the second start shows the box and nothing else; " << Describe(second);

    PostCommand(box, IDOK);
    EXPECT_TRUE(second.WaitForExit(kActionTimeoutMs).has_value())
        << "the second start ends once the box is answered";

    EXPECT_TRUE(mirelka_->IsRunning());
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog))
        << "the first instance keeps its dialog; " << Describe(*mirelka_);
}

TEST_F(StartupTest, AGuardThatDeniesUsAccessIsAFirstInstanceAllTheSame) {
    // As a normal process meets the mutex of an elevated first instance.
    PSECURITY_DESCRIPTOR denyAll = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(D;;GA;;;WD)", SDDL_REVISION_1, &denyAll, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, denyAll, FALSE};
    const UniqueHandle guard(CreateMutexW(&attributes, FALSE, L"hMirelkaPrevInstance"));
    LocalFree(denyAll);
    Process second = Start();
    HWND box = WaitForMessageBox(second);
    ASSERT_NE(box, nullptr) << "a silent exit; " << Describe(second);
    EXPECT_EQ(Utf8(MessageBoxText(box)), "Mirelka.exeは既に起動しています");
    PostCommand(box, IDOK);
}

TEST_F(StartupTest, TitlesComeFromTheExecutablesFolderInTitleOrder) {
    // Fields: title, shortcut, width, height, bits per pixel, frequency, restore.
    WriteBytes(folder_.PathOf(L"AppData.txt"),
               DataFileBytes({
                   "Zeta\tC:\\apps\\zeta.lnk\t640\t480\t16\t60\t1",
                   "アルファ\tC:\\アプリ\\アルファ.lnk\t800\t600\t32\t60\t0",
                   "alpha\tC:\\apps\\alpha.lnk\t0\t0\t0\t0\t0",
                   "ｱﾙﾌｧ\tC:\\apps\\half.lnk\t1024\t768\t32\t60\t1",
                   "Beta\tC:\\apps\\beta.lnk\t640\t480\t8\t60\t0",
                   "Zeta\tC:\\apps\\zeta-again.lnk\t800\t600\t32\t60\t0",
               }));
    const std::wstring elsewhere = folder_.MakeFolder(L"elsewhere");
    WriteBytes(elsewhere + L"\\AppData.txt",
               DataFileBytes({"Current directory\tC:\\apps\\cwd.lnk\t640\t480\t16\t60\t0"}));

    Process mirelka = Process::Start(exe_, elsewhere);
    HWND dialog = Require(WaitForMainDialog(mirelka), mirelka);

    // Code-value order of the code page 932 characters: upper case before lower case, and
    // half-width katakana (single bytes 0xA1-0xDF) before any double-byte character.
    // Compared as UTF-8, so that a failure prints readable text.
    EXPECT_EQ(Utf8(ComboItems(GetDlgItem(dialog, IDC_TITLE))),
              (std::vector<std::string>{"Beta", "Zeta", "alpha", "ｱﾙﾌｧ", "アルファ"}));
}

TEST_F(StartupTest, InAFolderNamedInKoreanItsDataFilesAreItsOwn) {
    // Code page 932 has no Korean letters: read through it, the folder would be "C:\...\??".
    const std::wstring home = folder_.MakeFolder(Widen("게임"));
    const std::wstring exe = home + L"\\Mirelka.exe";
    CopyInto(MirelkaPath(), exe);
    const std::string beta = "Beta\tC:\\apps\\beta.lnk\t640\t480\t8\t60\t0";
    const std::string alpha = "アルファ\tC:\\apps\\alpha.lnk\t800\t600\t32\t60\t1";
    WriteBytes(home + L"\\AppData.txt", DataFileBytes({alpha, beta}));

    Process mirelka = Process::Start(exe, folder_.Path());
    HWND dialog = Require(WaitForMainDialog(mirelka), mirelka);
    HWND titles = GetDlgItem(dialog, IDC_TITLE);
    EXPECT_EQ(Utf8(ComboItems(titles)), (std::vector<std::string>{"Beta", "アルファ"}));

    // Deleting saves: beside the executable, whole.
    SetControlText(titles, L"Beta");
    PostCommand(dialog, IDC_DELETE);
    EXPECT_EQ(AnswerNextMessageBoxText(mirelka, IDYES), "「Beta」を削除してもよいですか？");
    EXPECT_EQ(AnswerNextMessageBoxText(mirelka, IDOK), "「Beta」を削除しました")
        << "no message naming another file";
    ASSERT_TRUE(RoundTrip(dialog));
    EXPECT_EQ(Snapshot(home + L"\\AppData.txt").bytes, DataFileBytes({alpha}));
    EXPECT_EQ(Utf8(FolderEntries(home)), (std::vector<std::string>{"AppData.txt", "Mirelka.exe"}));
}

}  // namespace
}  // namespace mirelka::e2e
