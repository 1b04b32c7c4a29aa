// Data files in a bad state, as a user's machine may have them: held open by another
// program while Mirelka saves, marked read-only, missing, empty, garbled, or holding more
// applications than the tray menu can number.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

// Another program's handle on a file, shared with nobody, as an editor, a virus scanner or
// a backup tool may hold one.
UniqueFile Hold(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw std::runtime_error("cannot hold " + Utf8(path) + ", error " +
                                 std::to_string(GetLastError()));
    }
    return file;
}

// Menu keys: first, then repeated so many times, then Enter.
std::vector<UINT> Keys(UINT first, UINT repeated, int times) {
    std::vector<UINT> keys{first};
    keys.insert(keys.end(), static_cast<std::size_t>(times), repeated);
    keys.push_back(VK_RETURN);
    return keys;
}

class FaultsE2ETest : public MirelkaTest {
protected:
    // One mode ticked: Mirelka starts resident, as it is used.
    FaultsE2ETest() { WriteBytes(screenModes_, DataFileBytes({"800\t600\t32\t60"})); }

    ProbeApp MakeApp(const std::wstring& name) const { return MakeProbeApp(folder_, name, 0); }
    bool ChooseFromMenu(HWND dialog, const std::vector<UINT>& keys) const {
        return ChooseFromTrayMenu(*mirelka_, dialog, keys);
    }
    static std::string Line(const std::string& title, const ProbeApp& app) {
        return AppDataLine(title, app.shortcut);
    }
};

const std::string kNotepad = "Notepad\tC:\\windows\\notepad.lnk\t0\t0\t0\t0\t0";

TEST_F(FaultsE2ETest, RegisteringWhileAppDataIsHeldSaysSoKeepsTheFileAndTheNextSaveHasAll) {
    const ProbeApp first = MakeApp(L"first");
    const ProbeApp second = MakeApp(L"second");
    WriteBytes(appData_, DataFileBytes({kNotepad}));
    Backdate(appData_);
    const FileSnapshot before = Snapshot(appData_);
    const std::vector<std::wstring> entries = FolderEntries(folder_.Path());
    HWND dialog = StartResident();
    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);

    UniqueFile held = Hold(appData_);
    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen("ゲームA"));
    ChooseShortcut(dialog, first.shortcut);
    PostCommand(dialog, IDC_REGISTER);
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「ゲームA」を登録しました");
    const std::optional<AnsweredBox> failed = AnswerNextMessageBox(*mirelka_, IDOK);
    ASSERT_TRUE(failed) << "the failed save went unreported; " << Describe(*mirelka_);
    EXPECT_EQ(failed->text, "AppData.txtをｵｰﾌﾟﾝできません");
    EXPECT_EQ(failed->icon, StandardIcon::Error);
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(FolderEntries(folder_.Path()), entries) << "no AppData.txt.tmp left";
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad", "ゲームA"}));

    // The registration lives on in memory: the menu launches it (second, after Notepad).
    ASSERT_TRUE(ChooseFromMenu(dialog, {VK_DOWN, VK_DOWN, VK_RETURN})) << Describe(*mirelka_);
    EXPECT_EQ(WaitForProbeRecords(first.log, 1).size(), 1u) << Describe(*mirelka_);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);

    held.reset();
    EXPECT_EQ(Snapshot(appData_), before) << "the held file is as it was";

    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);
    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen("ゲームB"));
    ChooseShortcut(dialog, second.shortcut);
    PostCommand(dialog, IDC_REGISTER);
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「ゲームB」を登録しました");
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes,
              DataFileBytes({kNotepad, Line("ゲームA", first), Line("ゲームB", second)}))
        << "the registration the failed save missed is saved with the next one";
    EXPECT_FALSE(Snapshot(appData_ + L".tmp").exists);
}

TEST_F(FaultsE2ETest, AMomentsHoldOnAppDataOnlyDelaysASave) {
    const ProbeApp first = MakeApp(L"first");
    WriteBytes(appData_, DataFileBytes({kNotepad}));
    HWND dialog = StartResident();
    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);
    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen("ゲームA"));
    ChooseShortcut(dialog, first.shortcut);
    // Held for half a second once the save starts, as antivirus and indexers hold a file.
    UniqueFile held = Hold(appData_);
    PostCommand(dialog, IDC_REGISTER);
    ASSERT_TRUE(AnswerNextMessageBox(*mirelka_, IDOK)) << Describe(*mirelka_);
    Sleep(500);
    held.reset();
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes, DataFileBytes({kNotepad, Line("ゲームA", first)}));
}

TEST_F(FaultsE2ETest, SavingModesWhileScreenModeIsHeldSaysSoAndKeepsTheFile) {
    // No listed mode ticked: Mirelka starts on the mode tab, visible.
    WriteBytes(screenModes_, DataFileBytes({"1234\t567\t8\t60"}));
    Backdate(screenModes_);
    const FileSnapshot before = Snapshot(screenModes_);
    const std::vector<std::wstring> entries = FolderEntries(folder_.Path());
    HWND dialog = StartShown();
    HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
    const std::vector<ScreenMode> listed = ListedModes(list);
    ASSERT_FALSE(listed.empty());
    PressSpaceOnListItem(list, 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));

    UniqueFile held = Hold(screenModes_);
    PostMessageW(GetDlgItem(dialog, IDC_REGISTER), BM_CLICK, 0, 0);
    const std::optional<AnsweredBox> failed = AnswerNextMessageBox(*mirelka_, IDOK);
    ASSERT_TRUE(failed) << "the failed save went unreported; " << Describe(*mirelka_);
    EXPECT_EQ(failed->text, "ScreenMode.txtをｵｰﾌﾟﾝできません");
    EXPECT_EQ(failed->icon, StandardIcon::Error);
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(FolderEntries(folder_.Path()), entries) << "no ScreenMode.txt.tmp left";
    held.reset();
    EXPECT_EQ(Snapshot(screenModes_), before);

    // Released, the same click saves; the mode this display doesn't list stays after it.
    PostMessageW(GetDlgItem(dialog, IDC_REGISTER), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(screenModes_).bytes, FileLine(listed[0]) + "1234\t567\t8\t60\r\n");
    EXPECT_EQ(FolderEntries(folder_.Path()), entries);
}

TEST_F(FaultsE2ETest, RegisteringOverAReadOnlyAppDataLosesNothing) {
    const ProbeApp app = MakeApp(L"app");
    WriteBytes(appData_, DataFileBytes({kNotepad}));
    Backdate(appData_);
    ASSERT_TRUE(SetFileAttributesW(appData_.c_str(), FILE_ATTRIBUTE_READONLY));
    const FileSnapshot before = Snapshot(appData_);
    const std::string saved = DataFileBytes({kNotepad, Line("ゲームA", app)});
    const std::vector<std::wstring> entries = FolderEntries(folder_.Path());
    HWND dialog = StartResident();
    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);

    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen("ゲームA"));
    ChooseShortcut(dialog, app.shortcut);
    PostCommand(dialog, IDC_REGISTER);
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「ゲームA」を登録しました");
    ASSERT_TRUE(RoundTrip(dialog)) << Describe(*mirelka_);
    const std::optional<AnsweredBox> failed =
        ShowsMessageBox(*mirelka_) ? AnswerNextMessageBox(*mirelka_, IDOK) : std::nullopt;
    ExpectNoFurtherBox(dialog);
    const FileSnapshot after = Snapshot(appData_);
    const DWORD attributes = GetFileAttributesW(appData_.c_str());
    EXPECT_EQ(FolderEntries(folder_.Path()), entries) << "no AppData.txt.tmp left";
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad", "ゲームA"}));

    if (!RunsUnderWine()) {
        // Windows refuses to replace a read-only file.
        ASSERT_TRUE(failed) << "the refused save went unreported";
        EXPECT_EQ(failed->text, "AppData.txtをｵｰﾌﾟﾝできません");
        EXPECT_EQ(failed->icon, StandardIcon::Error);
        EXPECT_EQ(after, before);
        EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
        return;
    }
    // Wine may replace it: then all of it is there, and the save said nothing.
    std::printf(
        "[ measured ] Wine, read-only AppData.txt: %s; the file is %s; attributes 0x%lx\n",
        failed ? ("the save was refused: " + failed->text).c_str() : "the save went through",
        after == before        ? "unchanged"
        : after.bytes == saved ? "the new one"
                               : "OTHER",
        static_cast<unsigned long>(attributes));
    if (failed) {
        EXPECT_EQ(failed->text, "AppData.txtをｵｰﾌﾟﾝできません");
        EXPECT_EQ(after, before);
    } else {
        EXPECT_EQ(after.bytes, saved);
    }
}

TEST_F(FaultsE2ETest, LinesAddedMeanwhileSurviveRegisterAndDeleteBesideAFolderNamedLikeTheTemp) {
    const ProbeApp app = MakeApp(L"app");
    folder_.MakeFolder(L"AppData.txt.tmp");
    WriteBytes(appData_, DataFileBytes({kNotepad}));
    HWND dialog = StartResident();
    ASSERT_TRUE(ShowSettings(dialog)) << Describe(*mirelka_);
    const std::vector<std::wstring> entries = FolderEntries(folder_.Path());
    // Another program adds two registrations meanwhile: their lines.
    const auto add = [&](const std::string& a, const std::string& b) {
        const std::string lines =
            DataFileBytes({a + "\tC:\\a.lnk\t0\t0\t0\t0\t0", b + "\tC:\\b.lnk\t0\t0\t0\t0\t0"});
        WriteBytes(appData_, ReadBytes(appData_) + lines);
        return lines;
    };
    const std::string ab = add("A", "B");
    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen("ゲームA"));
    ChooseShortcut(dialog, app.shortcut);
    PostCommand(dialog, IDC_REGISTER);
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「ゲームA」を登録しました");
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes, ab + DataFileBytes({kNotepad, Line("ゲームA", app)}));

    const std::string cd = add("C", "D");
    SetControlText(GetDlgItem(dialog, IDC_TITLE), L"Notepad");
    PostCommand(dialog, IDC_DELETE);
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDYES), "「Notepad」を削除してもよいですか？");
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「Notepad」を削除しました");
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes, ab + cd + DataFileBytes({Line("ゲームA", app)}));
    EXPECT_EQ(FolderEntries(folder_.Path()), entries) << "no other temporary file left";
}

TEST_F(FaultsE2ETest, MissingEmptyOrGarbledAppDataStillStartsWithAWorkingMenu) {
    // A valid line, 600 pseudo-random bytes (any but Ctrl-Z), a NUL, lone CRs, lead bytes
    // without their trail byte, then a Ctrl-Z: the line after it is never read.
    std::string garbage = "Alpha\tC:\\apps\\alpha.lnk\t0\t0\t0\t0\t0\r\n";
    std::uint32_t state = 12345;
    for (int i = 0; i < 600; ++i) {
        state = state * 1103515245u + 12345u;
        const auto byte = static_cast<char>((state >> 16) & 0xFF);
        garbage.push_back(byte == '\x1A' ? '\x1B' : byte);
    }
    constexpr char kOdd[] = "\0x\ry\r\x81\r\n\x82\t\x83";
    garbage.append(kOdd, sizeof kOdd - 1);
    garbage += "\r\n\x1A\r\nZulu\tC:\\apps\\zulu.lnk\t0\t0\t0\t0\t0\r\n";
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"missing", std::nullopt}, {"empty", ""}, {"garbled", garbage}};
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        if (bytes) {
            WriteBytes(appData_, *bytes);
            Backdate(appData_);
        } else {
            DeleteFileW(appData_.c_str());
        }
        const FileSnapshot before = Snapshot(appData_);
        HWND dialog = StartResident();
        EXPECT_FALSE(ShowsMessageBox(*mirelka_)) << Describe(*mirelka_);
        const std::vector<std::string> titles = Titles(dialog);
        if (bytes == garbage) {
            const auto has = [&](const char* title) {
                return std::find(titles.begin(), titles.end(), title) != titles.end();
            };
            EXPECT_TRUE(has("Alpha")) << titles.size() << " titles";
            EXPECT_FALSE(has("Zulu")) << "read past the Ctrl-Z";
        } else {
            EXPECT_TRUE(titles.empty());
        }
        EXPECT_TRUE(ChooseFromMenu(dialog, {VK_ESCAPE}))
            << "the menu opens; " << Describe(*mirelka_);
        ASSERT_TRUE(WaitForPostedMessages(dialog));
        EXPECT_TRUE(mirelka_->IsRunning());
        EXPECT_EQ(Snapshot(appData_), before) << "reading changes nothing";
        mirelka_.reset();
    }
}

TEST_F(FaultsE2ETest, OfAThousandAndOneEntriesTheLastOneDoesNothingAndTheOneBeforeLaunches) {
    const ProbeApp last = MakeApp(L"last");
    const ProbeApp beforeLast = MakeApp(L"before-last");
    std::vector<std::string> lines;
    for (int i = 0; i <= 1000; ++i) {
        char title[16] = {};
        std::snprintf(title, sizeof title, "App%04d", i);
        if (i == 999) {
            lines.push_back(Line(title, beforeLast));
        } else if (i == 1000) {
            lines.push_back(Line(title, last));
        } else {
            lines.push_back(std::string(title) + "\tC:\\nowhere\\" + title + ".lnk\t0\t0\t0\t0\t0");
        }
    }
    WriteBytes(appData_, DataFileBytes(lines));
    HWND dialog = StartResident();

    // From the end of the menu: ｷｬﾝｾﾙ, 常駐終了, 設定, 解像度変更, then the entries from the
    // last one up. The 1001st gets id 35000, past the launch commands.
    ASSERT_TRUE(ChooseFromMenu(dialog, Keys(VK_END, VK_UP, 4))) << Describe(*mirelka_);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
    EXPECT_FALSE(Snapshot(beforeLast.log).exists) << "End, Up x4 chose the 1000th entry";
    ASSERT_TRUE(ChooseFromMenu(dialog, Keys(VK_END, VK_UP, 5))) << Describe(*mirelka_);
    EXPECT_EQ(WaitForProbeRecords(beforeLast.log, 1).size(), 1u)
        << "the 1000th entry (id 34999) launches; " << Describe(*mirelka_);
    ASSERT_TRUE(WaitForPostedMessages(dialog)) << Describe(*mirelka_);
    EXPECT_FALSE(Snapshot(last.log).exists) << "the 1001st entry launched";
    EXPECT_TRUE(mirelka_->IsRunning());
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_FALSE(ShowsMessageBox(*mirelka_)) << Describe(*mirelka_);
}

}  // namespace
}  // namespace mirelka::e2e
