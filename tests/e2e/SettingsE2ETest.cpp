// The settings window as a user meets it: registering, overwriting and deleting an
// application with what the window asks and says, and what AppData.txt holds after; the
// boxes that refuse or ask, one a row, and the guard on the mode tab; a chosen title
// filling the form; and how both tabs look.

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Harness.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

class SettingsE2ETest : public MirelkaTest {
protected:
    SettingsE2ETest()
        // A lead byte followed by 0x5C ('\') in code page 932, in the folder and the title.
        : appFolder_(folder_.MakeFolder(Widen("ソフト"))),
          probe_(appFolder_ + L"\\probe.exe"),
          shortcut_(appFolder_ + Widen("\\ソフト表示.lnk")) {
        // In list order 800x600x32 comes first, whatever the order in the file.
        WriteBytes(screenModes_, DataFileBytes({"640\t480\t16\t60", "800\t600\t32\t60"}));
        CopyInto(ProbePath(), probe_);
        MakeShortcut(shortcut_, probe_, appFolder_);
    }

    // The line AppData.txt holds for an application, in UTF-8.
    std::string Line(const std::string& title, const std::string& modeAndRestore) const {
        return title + "\t" + Utf8(shortcut_) + "\t" + modeAndRestore;
    }

    // Starts Mirelka resident and shows the settings window as 設定 would.
    HWND StartAndOpenSettings() {
        HWND dialog = StartResident();
        if (!ShowSettings(dialog)) {
            throw std::runtime_error("the settings window did not show: " + Describe(*mirelka_));
        }
        return dialog;
    }

    // Presses a button and reads and answers the message box it brings.
    std::optional<AnsweredBox> Press(HWND dialog, int button, int answer) const {
        PostCommand(dialog, button);
        return AnswerNextMessageBox(*mirelka_, answer);
    }
    std::string PressForText(HWND dialog, int button, int answer) const {
        PostCommand(dialog, button);
        return AnswerNextMessageBoxText(*mirelka_, answer);
    }
    static bool Checked(HWND dialog, int id) {
        return Send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
    }

    const std::wstring appFolder_;
    const std::wstring probe_;
    const std::wstring shortcut_;
};

const std::string kTitle = "ソフト表示テスト";
const std::string kNotepad = "Notepad\tC:\\windows\\notepad.lnk\t0\t0\t0\t0\t0";

TEST_F(SettingsE2ETest, RegisteringWritesTheLineAndTheMenuLaunchesItUnderItsMode) {
    WriteBytes(appData_, DataFileBytes({kNotepad}));
    HWND dialog = StartAndOpenSettings();

    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen(kTitle));
    ChooseShortcut(dialog, shortcut_);
    EXPECT_EQ(Text(dialog, IDC_SHORTCUT), Utf8(shortcut_)) << "the shortcut, not its target";
    EXPECT_EQ(Text(dialog, IDC_TARGET), Utf8(probe_));
    EXPECT_EQ(Text(dialog, IDC_WORKDIR), Utf8(appFolder_));
    HWND selector = GetDlgItem(dialog, IDC_MODE_SELECTOR);
    ASSERT_EQ(Utf8(ComboItems(selector)),
              (std::vector<std::string>{"未設定", "800×600×32 60Hz", "640×480×16 60Hz"}));
    ChooseComboItem(selector, 1);
    PostMessageW(GetDlgItem(dialog, IDC_RESTORE), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_TRUE(Checked(dialog, IDC_RESTORE));

    const std::optional<AnsweredBox> registered = Press(dialog, IDC_REGISTER, IDOK);
    ASSERT_TRUE(registered) << Describe(*mirelka_);
    EXPECT_EQ(registered->text, "「" + kTitle + "」を登録しました");
    EXPECT_EQ(registered->icon, StandardIcon::None);
    EXPECT_FALSE(registered->yesNo);
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes,
              DataFileBytes({kNotepad, Line(kTitle, "800\t600\t32\t60\t1")}));
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad", kTitle}));

    // Second in the menu, after Notepad.
    ASSERT_TRUE(ChooseFromTrayMenu(*mirelka_, dialog, {VK_DOWN, VK_DOWN, VK_RETURN}))
        << Describe(*mirelka_);
    const std::vector<ProbeRecord> runs = WaitForProbeRecords(ProbeLogOf(probe_), 1);
    ASSERT_EQ(runs.size(), 1u) << Describe(*mirelka_);
    EXPECT_EQ(runs[0].at("mode"), "800x600x32 60Hz");
    EXPECT_EQ(runs[0].at("cwd"), Utf8(appFolder_));
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    EXPECT_EQ(RegistryMode(), display_.Original()) << "put back when the program ended";
}

// Each browse button opens the dialog in its own folder, the one used first too when it comes
// back after the others: a bare name picks that folder's shortcut. (On Windows 7 and later
// the old GetOpenFileNameW sent it to the last folder used; Wine never did, so here this shows
// that the item dialog opens each folder and that what is picked registers as before.)
TEST_F(SettingsE2ETest, EachBrowseButtonOpensItsOwnFolderAfterAnother) {
    const std::wstring name = L"MirelkaBrowse.lnk";
    std::map<int, std::wstring> links;  // by button, in the folder the button stands for
    struct Remove {
        const std::map<int, std::wstring>& links;
        ~Remove() {
            for (const auto& link : links) {
                DeleteFileW(link.second.c_str());
            }
        }
    } remove{links};
    for (const auto& [button, csidl] : {std::pair{IDC_BROWSE_DESKTOP, CSIDL_DESKTOPDIRECTORY},
                                        {IDC_BROWSE_STARTMENU, CSIDL_PROGRAMS},
                                        {IDC_BROWSE_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS}}) {
        wchar_t folder[MAX_PATH] = {};
        ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, csidl, TRUE)) << csidl;
        links[button] = std::wstring(folder) + L"\\" + name;
        MakeShortcut(links[button], probe_, appFolder_);
    }
    HWND dialog = StartAndOpenSettings();

    for (const int button : {IDC_BROWSE_DESKTOP, IDC_BROWSE_STARTMENU, IDC_BROWSE_COMMON_STARTMENU,
                             IDC_BROWSE_DESKTOP}) {
        ASSERT_NO_FATAL_FAILURE(ChooseShortcut(dialog, name, button));
        EXPECT_EQ(Text(dialog, IDC_SHORTCUT), Utf8(links[button])) << button;
    }
    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen(kTitle));
    EXPECT_EQ(PressForText(dialog, IDC_REGISTER, IDOK), "「" + kTitle + "」を登録しました");
    ExpectNoFurtherBox(dialog);  // the file is written once the box is answered
    EXPECT_EQ(Snapshot(appData_).bytes,
              DataFileBytes({AppDataLine(kTitle, links[IDC_BROWSE_DESKTOP])}));
}

TEST_F(SettingsE2ETest, OverwritingAndDeletingAskFirstAndSaveOnYes) {
    WriteBytes(appData_, DataFileBytes({kNotepad, Line(kTitle, "800\t600\t32\t60\t1")}));
    HWND dialog = StartAndOpenSettings();
    ChooseComboItem(GetDlgItem(dialog, IDC_TITLE), 1);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_EQ(Text(dialog, IDC_SHORTCUT), Utf8(shortcut_));
    ChooseComboItem(GetDlgItem(dialog, IDC_MODE_SELECTOR), 2);
    PostMessageW(GetDlgItem(dialog, IDC_RESTORE), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_FALSE(Checked(dialog, IDC_RESTORE));

    EXPECT_EQ(PressForText(dialog, IDC_REGISTER, IDYES),
              "「" + kTitle + "」を上書きしてもよいですか？");
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「" + kTitle + "」を登録しました");
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes,
              DataFileBytes({kNotepad, Line(kTitle, "640\t480\t16\t60\t0")}));
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad", kTitle}));

    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen(kTitle));
    const std::optional<AnsweredBox> question = Press(dialog, IDC_DELETE, IDYES);
    ASSERT_TRUE(question) << Describe(*mirelka_);
    EXPECT_EQ(question->text, "「" + kTitle + "」を削除してもよいですか？");
    EXPECT_TRUE(question->yesNo);
    EXPECT_EQ(question->icon, StandardIcon::Question);
    EXPECT_EQ(AnswerNextMessageBoxText(*mirelka_, IDOK), "「" + kTitle + "」を削除しました");
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes, DataFileBytes({kNotepad}));
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad"}));
}

// The refusals and questions whose words and kind the unit tests pin, as the real program
// shows them: each row brings one box, which changes nothing once answered. No listed mode
// is ticked at the start, so the mode tab's come first.
TEST_F(SettingsE2ETest, RefusalsAndUnansweredQuestionsShowTheirBoxAndChangeNothing) {
    // The second line differs from a listed mode in its frequency only.
    WriteBytes(screenModes_, DataFileBytes({"1234\t567\t8\t60", "640\t480\t32\t59"}));
    WriteBytes(appData_, DataFileBytes({kNotepad, Line(kTitle, "800\t600\t32\t60\t1")}));
    Backdate(screenModes_);
    Backdate(appData_);
    const FileSnapshot modesBefore = Snapshot(screenModes_);
    const FileSnapshot appsBefore = Snapshot(appData_);
    const std::vector<std::wstring> entries = FolderEntries(folder_.Path());
    HWND dialog = StartShown();
    ExpectOnScreenOnTheModeTab(*mirelka_, dialog);
    HWND tab = GetDlgItem(dialog, IDC_TAB);
    HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
    HWND title = GetDlgItem(dialog, IDC_TITLE);

    struct Row {
        const char* name;
        std::function<void()> press;  // brings the box
        std::string text;
        StandardIcon icon = StandardIcon::Error;
        int answer = IDOK;
    };
    const auto typeAndPress = [&](const std::string& text, int button) {
        return [=] {
            SetControlText(title, Widen(text));
            PostCommand(dialog, button);
        };
    };
    const auto expectRows = [&](const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            row.press();
            const std::optional<AnsweredBox> box = AnswerNextMessageBox(*mirelka_, row.answer);
            ASSERT_TRUE(box) << Describe(*mirelka_);
            EXPECT_EQ(box->text, row.text);
            EXPECT_EQ(box->icon, row.icon);
            const bool question = row.icon == StandardIcon::Question;
            EXPECT_EQ(box->yesNo, question);
            EXPECT_EQ(box->noIsDefault, question) << "a question's default is No";
            EXPECT_EQ(box->owner, dialog);
            ExpectNoFurtherBox(dialog);
        }
    };

    expectRows({
        {"saving no mode", [&] { PostMessageW(GetDlgItem(dialog, IDC_REGISTER), BM_CLICK, 0, 0); },
         "解像度を一つ以上ﾁｪｯｸしないと\n保存できません"},
    });

    // A click, Ctrl+Tab and the strip's own Left (real key presses: a posted key carries no
    // Ctrl) are refused alike, and the strip stays on the mode tab: Wine's tab control moves
    // its selection on the arrow keys even when the change is refused.
    const auto refused = [&](const char* how, const std::function<bool()>& ask) {
        SCOPED_TRACE(how);
        ASSERT_TRUE(ask());
        const std::optional<AnsweredBox> box = AnswerNextMessageBox(*mirelka_, IDOK);
        ASSERT_TRUE(box) << Describe(*mirelka_);
        EXPECT_EQ(box->text, "解像度を一つ以上ﾁｪｯｸしないと\n他のメニューは選べません");
        EXPECT_EQ(box->icon, StandardIcon::Error);
        EXPECT_EQ(box->owner, dialog);
        ExpectNoFurtherBox(dialog);
        ASSERT_TRUE(WaitForPostedMessages(dialog));
        EXPECT_EQ(Send(tab, TCM_GETCURSEL), 1) << "the mode tab stays";
        EXPECT_TRUE(IsWindowVisible(list));
        EXPECT_FALSE(IsWindowVisible(title));
    };
    refused("click", [&] { return ClickTab(tab, 0); });
    refused("Ctrl+Tab", [&] { return PressKeys(dialog, {VK_CONTROL, VK_TAB}); });
    Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tab), TRUE);
    refused("Left", [&] { return PressKeys(dialog, {VK_LEFT}); });

    // With a mode ticked the same click goes through, and the selector offers that mode.
    const std::string first = Utf8(ListItems(list).at(0));
    PressSpaceOnListItem(list, 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_TRUE(ClickTab(tab, 0));
    ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return Send(tab, TCM_GETCURSEL) == 0; }))
        << Describe(*mirelka_);
    ExpectNoFurtherBox(dialog);
    EXPECT_TRUE(IsWindowVisible(title));
    EXPECT_FALSE(IsWindowVisible(list));
    // The list shows each mode after a blank.
    EXPECT_EQ(Utf8(ComboItems(GetDlgItem(dialog, IDC_MODE_SELECTOR))),
              (std::vector<std::string>{"未設定", first.substr(1)}));

    // Ctrl+Tab and its kin turn the tab from any control, wrapping, and focus the strip.
    Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_TITLE)), TRUE);
    for (const auto& [keys, to] :
         std::vector<std::pair<std::vector<WORD>, int>>{{{VK_CONTROL, VK_SHIFT, VK_TAB}, 1},
                                                        {{VK_CONTROL, VK_PRIOR}, 0},
                                                        {{VK_CONTROL, VK_NEXT}, 1},
                                                        {{VK_CONTROL, VK_TAB}, 0}}) {
        ASSERT_TRUE(PressKeys(dialog, keys));
        ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return Send(tab, TCM_GETCURSEL) == to; }));
        ASSERT_TRUE(WaitForPostedMessages(dialog));
        EXPECT_EQ(IsWindowVisible(list) != FALSE, to == 1);
        EXPECT_EQ(FocusedControl(dialog), tab);
    }
    ExpectNoFurtherBox(dialog);

    expectRows({
        {"a new title, no shortcut", typeAndPress("新しいアプリ", IDC_REGISTER),
         "ショートカットを指定しないと登録できません"},
        {"no title",
         [&] {
             ChooseShortcut(dialog, shortcut_);
             ASSERT_EQ(Text(dialog, IDC_SHORTCUT), Utf8(shortcut_));
             typeAndPress("", IDC_REGISTER)();
         },
         "アプリ名称を指定しないと登録できません"},
        {"no title to delete", [&] { PostCommand(dialog, IDC_DELETE); },
         "アプリ名称を指定しないと削除できません"},
        // Code page 932 has no Korean letters: stored, they would become "??".
        {"a title in Korean", typeAndPress("새 게임", IDC_REGISTER),
         "アプリ名称に保存できない文字が含まれています"},
        {"deleting an unknown title, not asked first", typeAndPress("未登録アプリ", IDC_DELETE),
         "「未登録アプリ」という名称で登録されたアプリは存在しないので削除できません"},
        {"a registered title, Enter", typeAndPress(kTitle, IDC_REGISTER),
         "「" + kTitle + "」を上書きしてもよいですか？", StandardIcon::Question, kEnter},
        {"a shortcut deleted since",
         [&] {
             ASSERT_TRUE(DeleteFileW(shortcut_.c_str()));
             typeAndPress("新しいアプリ", IDC_REGISTER)();
         },
         "指定されたショートカットにはアクセスできないので登録できません"},
    });
    EXPECT_EQ(Snapshot(appData_), appsBefore);
    EXPECT_EQ(Snapshot(screenModes_), modesBefore);
    EXPECT_EQ(FolderEntries(folder_.Path()), entries) << "no temporary file left";
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad", kTitle}));
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(SettingsE2ETest, ChoosingATitleFillsTheForm) {
    const std::wstring otherFolder = folder_.MakeFolder(L"other");
    const std::wstring otherProbe = otherFolder + L"\\other.exe";
    const std::wstring otherShortcut = otherFolder + L"\\other.lnk";
    CopyInto(ProbePath(), otherProbe);
    MakeShortcut(otherShortcut, otherProbe, otherFolder);
    WriteBytes(appData_, DataFileBytes({
                             "Alpha\t" + Utf8(shortcut_) + "\t800\t600\t32\t60\t1",
                             "Beta\t" + Utf8(otherShortcut) + "\t0\t0\t0\t0\t0",
                             // A mode no longer ticked.
                             "Gamma\t" + Utf8(shortcut_) + "\t1024\t768\t32\t60\t1",
                         }));
    HWND dialog = StartAndOpenSettings();

    struct Expected {
        std::wstring shortcut;
        std::wstring target;
        std::wstring folder;
        std::string mode;
        bool restore;
    };
    const Expected expected[] = {
        {shortcut_, probe_, appFolder_, "800×600×32 60Hz", true},
        {otherShortcut, otherProbe, otherFolder, "未設定", false},
        {shortcut_, probe_, appFolder_, "未設定", true},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("title " + std::to_string(i));
        ChooseComboItem(GetDlgItem(dialog, IDC_TITLE), i);
        ASSERT_TRUE(WaitForPostedMessages(dialog));
        const Expected& want = expected[i];
        EXPECT_EQ(Text(dialog, IDC_SHORTCUT), Utf8(want.shortcut));
        EXPECT_EQ(Text(dialog, IDC_TARGET), Utf8(want.target));
        EXPECT_EQ(Text(dialog, IDC_WORKDIR), Utf8(want.folder));
        EXPECT_EQ(Text(dialog, IDC_MODE_SELECTOR), want.mode);
        EXPECT_EQ(Checked(dialog, IDC_RESTORE), want.restore);
    }
}

TEST_F(SettingsE2ETest, ScreenshotsOfBothTabs) {
    WriteBytes(appData_, DataFileBytes({Line(kTitle, "800\t600\t32\t60\t1")}));
    HWND dialog = StartAndOpenSettings();
    HWND tab = GetDlgItem(dialog, IDC_TAB);
    ChooseComboItem(GetDlgItem(dialog, IDC_TITLE), 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_EQ(Send(tab, TCM_GETCURSEL), 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_DELETE)));
    ASSERT_TRUE(WaitForPaint(dialog));
    Sleep(200);  // the controls paint after their dialog
    SaveScreenshot(L"mirelka-settings-tab0.bmp", dialog);

    ASSERT_TRUE(ClickTab(tab, 1));
    ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return Send(tab, TCM_GETCURSEL) == 1; }));
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_MODE_LIST)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_REGISTER)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_DELETE)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_TITLE)));
    ASSERT_TRUE(WaitForPaint(dialog));
    Sleep(200);
    SaveScreenshot(L"mirelka-settings-tab1.bmp", dialog);
}

}  // namespace
}  // namespace mirelka::e2e
