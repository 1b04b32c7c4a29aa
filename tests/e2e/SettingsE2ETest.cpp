// The settings window as a user meets it: registering, overwriting and deleting an
// application with what the window asks and says, and what AppData.txt holds after; the
// checks that refuse a registration; the guard on the mode tab; a chosen title filling the
// form; and how both tabs look.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Harness.h"
#include "Shortcuts.h"
#include "resources/ResourceIds.h"

namespace mirelka::e2e {
namespace {

constexpr int kFileNameField = 1148;  // cmb13 of the system's open-file dialog

// What a message box showed before the test answered it.
struct ShownBox {
    std::string text;
    StandardIcon icon = StandardIcon::None;
    bool yesNo = false;        // Yes and No rather than OK
    bool noIsDefault = false;  // Enter would answer No
};

// How the test answers a message box: a button's id, or the Enter key.
constexpr int kEnter = 0;

// Waits for Mirelka's next message box, reads it, answers it and waits until it is gone;
// nothing when none showed or it did not go.
std::optional<ShownBox> AnswerMessageBox(const Process& mirelka, int answer) {
    HWND box = WaitForMessageBox(mirelka, kActionTimeoutMs);
    if (box == nullptr) {
        return std::nullopt;
    }
    ShownBox shown;
    shown.text = Utf8(MessageBoxText(box));
    shown.icon = MessageBoxShowsIcon(box) ? WaitForMessageBoxIcon(box) : StandardIcon::None;
    HWND no = GetDlgItem(box, IDNO);
    shown.yesNo = GetDlgItem(box, IDYES) != nullptr && no != nullptr;
    // The default button is the focused one, or the one styled so (DM_GETDEFID can't tell
    // under Wine).
    shown.noIsDefault =
        no != nullptr && (FocusedControl(box) == no ||
                          (GetWindowLongPtrW(no, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    if (answer == kEnter) {
        PostKey(FocusedControl(box), VK_RETURN);
    } else {
        PostCommand(box, answer);
    }
    if (!WaitUntil(kActionTimeoutMs, [&] { return IsWindow(box) == FALSE; })) {
        return std::nullopt;
    }
    return shown;
}

class SettingsE2ETest : public testing::Test {
protected:
    SettingsE2ETest()
        : exe_(folder_.PathOf(L"Mirelka.exe")),
          appData_(folder_.PathOf(L"AppData.txt")),
          screenModes_(folder_.PathOf(L"ScreenMode.txt")),
          // A lead byte followed by 0x5C ('\') in code page 932, in the folder and the title.
          appFolder_(folder_.MakeFolder(Widen("ソフト"))),
          probe_(appFolder_ + L"\\probe.exe"),
          shortcut_(appFolder_ + Widen("\\ソフト表示.lnk")) {
        CopyInto(MirelkaPath(), exe_);
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
        mirelka_.emplace(Process::Start(exe_, folder_.Path()));
        HWND dialog = WaitForMirelka(*mirelka_, Stage::Resident);
        if (dialog == nullptr) {
            return nullptr;
        }
        PostCommand(dialog, ID_TRAY_SETTINGS);
        if (!WaitUntil(kActionTimeoutMs, [&] { return IsWindowVisible(dialog) != FALSE; }) ||
            !WaitForPostedMessages(dialog)) {
            return nullptr;
        }
        return dialog;
    }

    // Browses for a shortcut and types its path into the open-file dialog's name field.
    void ChooseShortcut(HWND dialog, const std::wstring& path) const {
        PostCommand(dialog, IDC_BROWSE_DESKTOP);
        HWND fileDialog = WaitForWindow(*mirelka_, L"#32770", Widen("ｼｮｰﾄｶｯﾄの指定"));
        ASSERT_NE(fileDialog, nullptr) << Describe(*mirelka_);
        // Its thread is the main dialog's: what the file dialog posted itself while it
        // opened (it may fill the name field) is handled before the test types.
        ASSERT_TRUE(WaitForPostedMessages(dialog));
        HWND field = GetDlgItem(fileDialog, kFileNameField);
        ASSERT_NE(field, nullptr) << "the open-file dialog has no file name field";
        // The field is an edit inside a combo box inside an extended combo box.
        HWND edit = FindWindowExW(FindWindowExW(field, nullptr, L"ComboBox", nullptr), nullptr,
                                  L"Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        SetControlText(edit, path);
        PostCommand(fileDialog, IDOK);
        ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return IsWindow(fileDialog) == FALSE; }))
            << "the open-file dialog stays: " << Describe(*mirelka_);
        ASSERT_TRUE(WaitForPostedMessages(dialog));
    }

    // Presses a button and reads and answers the message box it brings.
    std::optional<ShownBox> Press(HWND dialog, int button, int answer) const {
        PostCommand(dialog, button);
        return AnswerMessageBox(*mirelka_, answer);
    }

    // After a box is answered: Mirelka is back in its window's loop with no other box.
    void ExpectNoFurtherBox(HWND dialog) const {
        ASSERT_TRUE(RoundTrip(dialog)) << Describe(*mirelka_);
        EXPECT_FALSE(ShowsMessageBox(*mirelka_)) << Describe(*mirelka_);
    }

    static std::string Text(HWND dialog, int id) {
        return Utf8(WindowText(GetDlgItem(dialog, id)));
    }
    static bool Checked(HWND dialog, int id) {
        return Send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
    }
    static std::vector<std::string> Titles(HWND dialog) {
        return Utf8(ComboItems(GetDlgItem(dialog, IDC_TITLE)));
    }

    DisplayGuard display_;
    TempFolder folder_;
    std::wstring exe_;
    std::wstring appData_;
    std::wstring screenModes_;
    std::wstring appFolder_;
    std::wstring probe_;
    std::wstring shortcut_;
    std::optional<Process> mirelka_;
};

const std::string kTitle = "ソフト表示テスト";
const std::string kNotepad = "Notepad\tC:\\windows\\notepad.lnk\t0\t0\t0\t0\t0";

TEST_F(SettingsE2ETest, RegisteringWritesTheLineAndTheMenuLaunchesItUnderItsMode) {
    WriteBytes(appData_, DataFileBytes({kNotepad}));
    HWND dialog = StartAndOpenSettings();
    ASSERT_NE(dialog, nullptr) << Describe(*mirelka_);

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

    const std::optional<ShownBox> registered = Press(dialog, IDC_REGISTER, IDOK);
    ASSERT_TRUE(registered) << Describe(*mirelka_);
    EXPECT_EQ(registered->text, "「" + kTitle + "」を登録しました");
    EXPECT_EQ(registered->icon, StandardIcon::None);
    EXPECT_FALSE(registered->yesNo);
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes,
              DataFileBytes({kNotepad, Line(kTitle, "800\t600\t32\t60\t1")}));
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad", kTitle}));

    // Second in the menu, after Notepad.
    PostTrayMouseMessage(dialog, WM_RBUTTONDOWN);
    HWND menu = WaitForPopupMenus(*mirelka_, 1);
    ASSERT_NE(menu, nullptr) << Describe(*mirelka_);
    constexpr UINT kSecondItem[] = {VK_DOWN, VK_DOWN, VK_RETURN};
    for (const UINT key : kSecondItem) {
        PostKey(menu, key);
    }
    const std::vector<ProbeRecord> runs = WaitForProbeRecords(ProbeLogOf(probe_), 1);
    ASSERT_EQ(runs.size(), 1u) << Describe(*mirelka_);
    EXPECT_EQ(runs[0].at("mode"), "800x600x32 60Hz");
    EXPECT_EQ(runs[0].at("cwd"), Utf8(appFolder_));
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    EXPECT_EQ(RegistryMode(), display_.Original()) << "put back when the program ended";
}

TEST_F(SettingsE2ETest, OverwritingAsksAndEnterAnswersNo) {
    WriteBytes(appData_, DataFileBytes({kNotepad, Line(kTitle, "800\t600\t32\t60\t1")}));
    HWND dialog = StartAndOpenSettings();
    ASSERT_NE(dialog, nullptr) << Describe(*mirelka_);
    ChooseComboItem(GetDlgItem(dialog, IDC_TITLE), 1);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_EQ(Text(dialog, IDC_SHORTCUT), Utf8(shortcut_));
    Backdate(appData_);
    const FileSnapshot before = Snapshot(appData_);

    const std::optional<ShownBox> question = Press(dialog, IDC_REGISTER, kEnter);
    ASSERT_TRUE(question) << Describe(*mirelka_);
    EXPECT_EQ(question->text, "「" + kTitle + "」を上書きしてもよいですか？");
    EXPECT_TRUE(question->yesNo);
    EXPECT_TRUE(question->noIsDefault);
    EXPECT_EQ(question->icon, StandardIcon::Question);
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_), before) << "Enter is No: nothing changes";

    ChooseComboItem(GetDlgItem(dialog, IDC_MODE_SELECTOR), 2);
    PostMessageW(GetDlgItem(dialog, IDC_RESTORE), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_FALSE(Checked(dialog, IDC_RESTORE));
    const std::optional<ShownBox> again = Press(dialog, IDC_REGISTER, IDYES);
    ASSERT_TRUE(again) << Describe(*mirelka_);
    EXPECT_EQ(again->text, question->text);
    const std::optional<ShownBox> registered = AnswerMessageBox(*mirelka_, IDOK);
    ASSERT_TRUE(registered) << Describe(*mirelka_);
    EXPECT_EQ(registered->text, "「" + kTitle + "」を登録しました");
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes,
              DataFileBytes({kNotepad, Line(kTitle, "640\t480\t16\t60\t0")}));
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad", kTitle}));
}

TEST_F(SettingsE2ETest, DeletingAsksFirstAndAnUnknownTitleIsRefused) {
    WriteBytes(appData_, DataFileBytes({kNotepad, Line(kTitle, "800\t600\t32\t60\t1")}));
    HWND dialog = StartAndOpenSettings();
    ASSERT_NE(dialog, nullptr) << Describe(*mirelka_);

    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen(kTitle));
    const std::optional<ShownBox> question = Press(dialog, IDC_DELETE, IDYES);
    ASSERT_TRUE(question) << Describe(*mirelka_);
    EXPECT_EQ(question->text, "「" + kTitle + "」を削除してもよいですか？");
    EXPECT_TRUE(question->yesNo);
    EXPECT_EQ(question->icon, StandardIcon::Question);
    const std::optional<ShownBox> deleted = AnswerMessageBox(*mirelka_, IDOK);
    ASSERT_TRUE(deleted) << Describe(*mirelka_);
    EXPECT_EQ(deleted->text, "「" + kTitle + "」を削除しました");
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_).bytes, DataFileBytes({kNotepad}));
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad"}));

    Backdate(appData_);
    const FileSnapshot before = Snapshot(appData_);
    SetControlText(GetDlgItem(dialog, IDC_TITLE), Widen("未登録アプリ"));
    const std::optional<ShownBox> refused = Press(dialog, IDC_DELETE, IDOK);
    ASSERT_TRUE(refused) << Describe(*mirelka_);
    EXPECT_EQ(refused->text,
              "「未登録アプリ」という名称で登録されたアプリは存在しないので削除できません");
    EXPECT_FALSE(refused->yesNo) << "no question first";
    EXPECT_EQ(refused->icon, StandardIcon::Error);
    ExpectNoFurtherBox(dialog);
    EXPECT_EQ(Snapshot(appData_), before);
}

TEST_F(SettingsE2ETest, IncompleteOrStaleFormsAreRefusedWithTheirReason) {
    WriteBytes(appData_, DataFileBytes({kNotepad}));
    Backdate(appData_);
    const FileSnapshot before = Snapshot(appData_);
    HWND dialog = StartAndOpenSettings();
    ASSERT_NE(dialog, nullptr) << Describe(*mirelka_);
    HWND title = GetDlgItem(dialog, IDC_TITLE);

    const auto expectRefusal = [&](int button, const std::string& reason) {
        const std::optional<ShownBox> box = Press(dialog, button, IDOK);
        ASSERT_TRUE(box) << reason << "; " << Describe(*mirelka_);
        EXPECT_EQ(box->text, reason);
        EXPECT_EQ(box->icon, StandardIcon::Error) << reason;
        EXPECT_FALSE(box->yesNo) << reason;
        ExpectNoFurtherBox(dialog);
    };

    SetControlText(title, Widen("新しいアプリ"));
    expectRefusal(IDC_REGISTER, "ショートカットを指定しないと登録できません");

    ChooseShortcut(dialog, shortcut_);
    ASSERT_EQ(Text(dialog, IDC_SHORTCUT), Utf8(shortcut_));
    SetControlText(title, L"");
    expectRefusal(IDC_REGISTER, "アプリ名称を指定しないと登録できません");
    expectRefusal(IDC_DELETE, "アプリ名称を指定しないと削除できません");

    // Code page 932 has no Korean letters: stored, they would become "??".
    SetControlText(title, Widen("새 게임"));
    expectRefusal(IDC_REGISTER, "アプリ名称に保存できない文字が含まれています");

    SetControlText(title, Widen("新しいアプリ"));
    ASSERT_TRUE(DeleteFileW(shortcut_.c_str()));
    expectRefusal(IDC_REGISTER, "指定されたショートカットにはアクセスできないので登録できません");

    EXPECT_EQ(Snapshot(appData_), before);
    EXPECT_EQ(Titles(dialog), (std::vector<std::string>{"Notepad"}));
}

TEST_F(SettingsE2ETest, ModeTabCannotBeLeftWithNothingTicked) {
    DeleteFileW(screenModes_.c_str());
    mirelka_.emplace(Process::Start(exe_, folder_.Path()));
    HWND dialog = WaitForMainDialog(*mirelka_);
    ASSERT_NE(dialog, nullptr) << Describe(*mirelka_);
    HWND tab = GetDlgItem(dialog, IDC_TAB);
    HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
    ASSERT_EQ(Send(tab, TCM_GETCURSEL), 1) << "nothing ticked: the mode tab";

    ASSERT_TRUE(ClickTab(tab, 0));
    const std::optional<ShownBox> refused = AnswerMessageBox(*mirelka_, IDOK);
    ASSERT_TRUE(refused) << Describe(*mirelka_);
    EXPECT_EQ(refused->text, "解像度を一つ以上ﾁｪｯｸしないと\n他のメニューは選べません");
    EXPECT_EQ(refused->icon, StandardIcon::Error);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    EXPECT_EQ(Send(tab, TCM_GETCURSEL), 1) << "the mode tab stays";
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_TITLE)));

    // With a mode ticked the same click goes through, and the selector offers that mode.
    const std::string first = Utf8(ListItems(list).at(0));
    PressSpaceOnListItem(list, 0);
    ASSERT_TRUE(WaitForPostedMessages(dialog));
    ASSERT_TRUE(ClickTab(tab, 0));
    ASSERT_TRUE(WaitUntil(kActionTimeoutMs, [&] { return Send(tab, TCM_GETCURSEL) == 0; }))
        << Describe(*mirelka_);
    ExpectNoFurtherBox(dialog);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_TITLE)));
    EXPECT_FALSE(IsWindowVisible(list));
    // The list shows each mode after a blank.
    EXPECT_EQ(Utf8(ComboItems(GetDlgItem(dialog, IDC_MODE_SELECTOR))),
              (std::vector<std::string>{"未設定", first.substr(1)}));
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
    ASSERT_NE(dialog, nullptr) << Describe(*mirelka_);

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
    ASSERT_NE(dialog, nullptr) << Describe(*mirelka_);
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
