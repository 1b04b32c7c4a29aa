#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "resources/Commands.h"
#include "unit/Fixture.h"
#include "unit/Sjis.h"

namespace mirelka {
namespace {

using namespace std::string_literals;
using namespace test;
using namespace test::sjis;

const std::string kLink = "C:\\Links\\game.lnk";
const std::string kOther = "C:\\Links\\other.lnk";
const std::string kHyoLink = "C:\\"s + kHyo + "\\x.lnk";  // as stored; on file, C:\表\x.lnk
const std::string kHyoPath = "C:\\表\\x.lnk";
const std::string kGame = "C:\\Games\\game.exe";
const std::string kGameDir = "C:\\Games";

// Starts w over six modes (unless told otherwise), items 1 and 3 ticked by ScreenMode.txt:
// the mode selector holds "未設定", item 1 and item 3. The shortcuts the cases name exist.
void Open(Mirelka& w, const std::string& appData = "", bool modes = true) {
    if (modes) {
        w.p.display.AddSixModes();
    }
    for (const std::string& path : {kLink, kOther, kHyoPath, "C:\\Café\\x.lnk"s}) {
        w.p.files.files[path] = "shortcut";
        w.p.shortcuts.links[path] = {"C:\\x.exe", ""};
    }
    w.p.shortcuts.links[kLink] = {kGame, kGameDir};
    w.p.shortcuts.links[kOther] = {"C:\\Other\\other.exe", ""};
    w.Start("800\t600\t16\t60\r\n1024\t768\t32\t60\r\n", appData);
}

TEST(Settings, LeavingTheModeTabNeedsATick) {
    const Texts fromFile = {"未設定", "800×600×16 60Hz", "1024×768×32 60Hz"};
    const struct {
        const char* name;
        bool modes;
        int tab;
        std::set<std::size_t> ticks;
        int refused;
        Texts selector;
    } cases[] = {
        {"nothing ticked", true, 1, {}, 1, fromFile},
        {"unsaved ticks", true, 1, {5, 0}, 0, {"未設定", "640×480×8 60Hz", "1280×1024×32 60Hz"}},
        {"asked on the other tab", true, 0, {}, 0, fromFile},
        {"empty list", false, 1, {}, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mirelka w;
        Open(w, "", c.modes);
        w.SetTicks(c.ticks);
        w.p.view.TabSelect(IDC_TAB, c.tab);

        EXPECT_EQ(w.dialog.OnSelchangingTab(), c.refused);
        EXPECT_EQ(w.p.view.messages.size(), c.refused == 1 ? 1u : 0u);
        if (c.refused == 1) {
            EXPECT_EQ(w.p.view.messages[0].text,
                      "解像度を一つ以上ﾁｪｯｸしないと\n他のメニューは選べません");
            EXPECT_EQ(w.p.view.messages[0].type, kError);
        }
        EXPECT_EQ(w.p.view.ComboTexts(IDC_MODE_SELECTOR), c.selector);
        if (c.ticks.size() == 2) {
            EXPECT_EQ(w.p.view.ComboItemData(IDC_MODE_SELECTOR, 1), 0);
            EXPECT_EQ(w.p.view.ComboItemData(IDC_MODE_SELECTOR, 2), 5);
        }
    }

    Mirelka w;
    Open(w);
    for (const int tab : {1, 0}) {
        EXPECT_TRUE(w.ClickTab(tab));
        EXPECT_EQ(w.p.view.ControlShown(IDC_MODE_LIST), tab == 1);
        EXPECT_EQ(w.p.view.ControlShown(IDC_TITLE), tab == 0);
        EXPECT_EQ(w.p.view.ControlShown(IDC_DELETE), tab == 0);
        EXPECT_TRUE(w.p.view.ControlShown(IDC_REGISTER));
    }
}

TEST(Settings, AFileThatCouldNotBeReadIsNeverWrittenOver) {
    const std::string three = "A\t" + kLink + "\t0\t0\t0\t0\t0\r\nB\t\t0\t0\t0\t0\t0\r\n" + "C\t" +
                              kOther + "\t0\t0\t0\t0\t1\r\n";
    const Said cannotOpen = {{"AppData.txtをｵｰﾌﾟﾝできません", kError}};
    for (const bool held : {true, false}) {
        SCOPED_TRACE(held ? "held" : "read in part");
        Mirelka w;
        if (held) {
            w.p.files.unreadable = {kAppFile, kModeFile};
        } else {
            w.p.files.readFailsAfter = 10;
        }
        Open(w, three);
        EXPECT_EQ(w.p.view.messages.at(0).text,
                  kAppFile + " へのｱｸｾｽ中に不明なｴﾗｰが発生しました。");
        EXPECT_EQ(w.p.view.messages.size(), 2u) << "ScreenMode.txt's too, once each";
        EXPECT_GE(w.p.files.paused, 2000u) << "each tried again for about a second";
        w.p.view.TabSelect(IDC_TAB, 0);
        w.Fill("New", kLink, 0, false);
        EXPECT_EQ(w.Press(IDC_REGISTER), cannotOpen);
        EXPECT_EQ(w.Press(IDC_DELETE), cannotOpen);
        w.p.view.TabSelect(IDC_TAB, 1);
        w.SetTicks({0});
        EXPECT_EQ(w.Press(IDC_REGISTER), (Said{{"ScreenMode.txtをｵｰﾌﾟﾝできません", kError}}));

        w.p.files.unreadable.clear();
        w.p.files.readFailsAfter.reset();
        const int drawn = w.p.view.listRedraws[IDC_MODE_LIST];
        EXPECT_EQ(w.Press(IDC_REGISTER), Said{}) << "the saved ticks come back, unsaved";
        EXPECT_EQ(w.Ticked(), (std::vector<int>{1, 3}));
        EXPECT_GT(w.p.view.listRedraws[IDC_MODE_LIST], drawn) << "and are shown";
        EXPECT_EQ(w.File(kModeFile), "800\t600\t16\t60\r\n1024\t768\t32\t60\r\n");
        w.p.view.TabSelect(IDC_TAB, 0);
        EXPECT_EQ(w.Press(IDC_REGISTER), (Said{{"「New」を登録しました", kNotice}}));
        EXPECT_EQ(w.File(kAppFile), three + "New\t" + kLink + "\t0\t0\t0\t0\t0\r\n");
    }
}

TEST(Settings, RegistersOverwritesAndDeletes) {
    Mirelka w;
    Open(w);
    const auto titleBox = [&] { return w.p.view.ComboTexts(IDC_TITLE); };
    w.Fill("Game", kLink, 2, true);  // the selector's item 2 is list item 3
    EXPECT_EQ(w.Press(IDC_REGISTER), (Said{{"「Game」を登録しました", kNotice}}));
    std::string game = "Game\t" + kLink + "\t1024\t768\t32\t60\t1\r\n";
    EXPECT_EQ(w.File(kAppFile), game);
    EXPECT_EQ(w.p.view.beeps, 1);

    w.Fill("Game 2", "C:\\表\\x.lnk", 0, false);
    EXPECT_EQ(w.Press(IDC_REGISTER), (Said{{"「Game 2」を登録しました", kNotice}}));
    const std::string game2 = "Game 2\t" + kHyoLink + "\t0\t0\t0\t0\t0\r\n";
    EXPECT_EQ(w.File(kAppFile), game + game2);
    EXPECT_EQ(titleBox(), (Texts{"Game", "Game 2"}));
    EXPECT_EQ(w.p.view.ComboSelection(IDC_TITLE), 1);

    // The default answer keeps what is registered.
    w.Fill("Game", kOther, 1, false);
    EXPECT_EQ(w.Press(IDC_REGISTER), (Said{{"「Game」を上書きしてもよいですか？", kConfirm}}));
    EXPECT_EQ(w.File(kAppFile), game + game2);
    EXPECT_EQ(w.p.view.beeps, 2);

    EXPECT_EQ(w.Press(IDC_REGISTER, {kYes}), (Said{{"「Game」を上書きしてもよいですか？", kConfirm},
                                                   {"「Game」を登録しました", kNotice}}));
    game = "Game\t" + kOther + "\t800\t600\t16\t60\t0\r\n";
    EXPECT_EQ(w.File(kAppFile), game + game2);
    EXPECT_EQ(w.p.view.beeps, 3);
    EXPECT_EQ(titleBox(), (Texts{"Game", "Game 2"}));
    EXPECT_EQ(w.p.view.ComboSelection(IDC_TITLE), 0) << "the title itself, not one it begins";
    EXPECT_EQ(w.p.view.Text(IDC_TITLE), "Game");

    w.Fill("game", kLink, 0, true);
    EXPECT_EQ(w.Press(IDC_REGISTER), (Said{{"「game」を登録しました", kNotice}}));
    const std::string lower = "game\t" + kLink + "\t0\t0\t0\t0\t1\r\n";
    EXPECT_EQ(w.File(kAppFile), game + game2 + lower);
    EXPECT_EQ(titleBox(), (Texts{"Game", "Game 2", "game"}));
    EXPECT_EQ(w.p.view.ComboSelection(IDC_TITLE), 2) << "not a title differing in case";

    w.Fill("Game 2", kLink, 2, true);
    EXPECT_EQ(w.Press(IDC_DELETE, {kYes}), (Said{{"「Game 2」を削除してもよいですか？", kConfirm},
                                                 {"「Game 2」を削除しました", kNotice}}));
    EXPECT_EQ(w.File(kAppFile), game + lower);
    EXPECT_EQ(w.p.view.beeps, 5);
    EXPECT_EQ(titleBox(), (Texts{"Game", "game"}));
    EXPECT_EQ(w.p.view.Text(IDC_TITLE), "Game 2");
    EXPECT_EQ(w.p.view.Text(IDC_SHORTCUT), kLink);
    EXPECT_EQ(w.p.view.ComboSelection(IDC_MODE_SELECTOR), 2);
    EXPECT_TRUE(w.p.view.Checked(IDC_RESTORE));
}

TEST(Settings, RulesCheckedBeforeAnythingChanges) {
    const std::string data = "Game\t" + kLink + "\t0\t0\t0\t0\t0\r\n";
    const auto missing = [](const char* action) {
        return "アプリ名称を指定しないと"s + action + "できません";
    };
    const std::string control = "アプリ名称にタブや改行などの制御文字は使えません";
    const std::string noShortcut = "ショートカットを指定しないと登録できません";
    const std::string lostTitle = "アプリ名称に保存できない文字が含まれています";
    const std::string lostPath = "ショートカットのパスに保存できない文字が含まれています";
    const std::string unreachable =
        "指定されたショートカットにはアクセスできないので登録できません";
    const Said overwrite = {{"「Game」を上書きしてもよいですか？", kConfirm}};
    const Said remove = {{"「Game」を削除してもよいですか？", kConfirm}};
    const auto unknown = [](const char* title) {
        return Said{{"「"s + title + "」という名称で登録されたアプリは存在しないので削除できません",
                     kError}};
    };
    const struct {
        const char* name;
        int button;
        std::string title;
        std::string shortcut;
        Said said;
    } cases[] = {
        {"register, no title", IDC_REGISTER, "", "", {{missing("登録"), kError}}},
        {"delete, no title", IDC_DELETE, "", kLink, {{missing("削除"), kError}}},
        {"TAB before the shortcut", IDC_REGISTER, "a\tb", "", {{control, kError}}},
        {"LF", IDC_REGISTER, "a\nb", kLink, {{control, kError}}},
        {"Ctrl-Z", IDC_REGISTER, "Game\x1A", kLink, {{control, kError}}},
        {"new title, no shortcut", IDC_REGISTER, "New", "", {{noShortcut, kError}}},
        {"no shortcut before the question", IDC_REGISTER, "Game", "", {{noShortcut, kError}}},
        {"unreachable shortcut", IDC_REGISTER, "Game", "C:\\nowhere.lnk", {{unreachable, kError}}},
        {"overwrite, default answer", IDC_REGISTER, "Game", kOther, overwrite},
        {"delete, default answer", IDC_DELETE, "Game", "", remove},
        {"delete, not registered", IDC_DELETE, "Gam", kLink, unknown("Gam")},
        {"delete, a TAB is not looked at", IDC_DELETE, "a\tb", "", unknown("a\tb")},
        // What code page 932 can't hold exactly is never stored as a look-alike or '?'.
        {"title with é", IDC_REGISTER, "Café", kLink, {{lostTitle, kError}}},
        {"title in Korean", IDC_REGISTER, "게임", kLink, {{lostTitle, kError}}},
        {"title with an emoji", IDC_REGISTER, "Game😀", "", {{lostTitle, kError}}},
        {"shortcut path with é", IDC_REGISTER, "New", "C:\\Café\\x.lnk", {{lostPath, kError}}},
        {"delete, a title it can't hold", IDC_DELETE, "Café", "", unknown("Café")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mirelka w;
        Open(w, data);
        w.Fill(c.title, c.shortcut, 1, true);
        EXPECT_EQ(w.Press(c.button), c.said);
        EXPECT_EQ(w.File(kAppFile), data);
        EXPECT_EQ(w.p.view.beeps, 0);
        EXPECT_EQ(w.p.view.ComboTexts(IDC_TITLE), Texts{"Game"});
    }
}

TEST(Settings, ATitleWithTwoCodesIsKnownByItsOwnBytes) {
    // 0x87 0x90 and 0x81 0xE0 are both "≒"; 0xED 0x40 and 0xFA 0x5C are the same kanji. What
    // the box shows converts back to the second of each, not to the title's own bytes.
    const std::string nec = "\x87\x90"s + "x";
    const std::string jis = "\x81\xE0"s + "x";
    const std::string ibm = "\xED\x40"s + "y";
    const std::string necLine = nec + "\t" + kLink + "\t800\t600\t16\t60\t1\r\n";
    const std::string jisLine = jis + "\t" + kOther + "\t0\t0\t0\t0\t0\r\n";
    const std::string ibmLine = ibm + "\t" + kOther + "\t0\t0\t0\t0\t0\r\n";
    Mirelka w;
    Open(w, ibmLine + necLine);
    ASSERT_EQ(w.p.view.ComboTexts(IDC_TITLE), (Texts{"≒x", "纊y"}));
    ASSERT_EQ(w.p.codePage->FromUtf8Exact("≒x"), jis);
    ASSERT_EQ(w.p.codePage->FromUtf8Exact("纊y"), "\xFA\x5C"s + "y");

    w.ChooseTitle(0);
    EXPECT_EQ(w.p.view.Text(IDC_SHORTCUT), kLink);
    EXPECT_EQ(w.p.view.Text(IDC_TARGET), kGame);
    EXPECT_EQ(w.p.view.ComboSelection(IDC_MODE_SELECTOR), 1);
    EXPECT_EQ(w.Press(IDC_REGISTER, {kYes}), (Said{{"「≒x」を上書きしてもよいですか？", kConfirm},
                                                   {"「≒x」を登録しました", kNotice}}));
    EXPECT_EQ(w.File(kAppFile), necLine + ibmLine);
    EXPECT_EQ(w.p.view.ComboSelection(IDC_TITLE), 0);

    w.ChooseTitle(1);
    EXPECT_EQ(w.p.view.Text(IDC_SHORTCUT), kOther);
    w.p.view.checks[IDC_RESTORE] = true;
    EXPECT_EQ(w.Press(IDC_REGISTER, {kYes}).size(), 2u);
    EXPECT_EQ(w.File(kAppFile), necLine + ibm + "\t" + kOther + "\t0\t0\t0\t0\t1\r\n");

    EXPECT_EQ(w.Press(IDC_DELETE, {kYes}), (Said{{"「纊y」を削除してもよいですか？", kConfirm},
                                                 {"「纊y」を削除しました", kNotice}}));
    EXPECT_EQ(w.File(kAppFile), necLine);

    // Registered under both codes, "≒x" shows twice: typed, it is neither; picked, each is
    // found by its place.
    Mirelka twice;
    Open(twice, necLine + jisLine);
    ASSERT_EQ(twice.p.view.ComboTexts(IDC_TITLE), (Texts{"≒x", "≒x"}));
    twice.Fill("≒x", kLink, 0, false);
    twice.p.view.ComboSelect(IDC_TITLE, -1);
    EXPECT_EQ(twice.Press(IDC_REGISTER),
              (Said{{"アプリ名称に保存できない文字が含まれています", kError}}));
    EXPECT_EQ(twice.File(kAppFile), necLine + jisLine);
    twice.ChooseTitle(1);
    EXPECT_EQ(twice.p.view.Text(IDC_SHORTCUT), kLink);
    EXPECT_EQ(twice.Press(IDC_DELETE, {kYes}).size(), 2u);
    EXPECT_EQ(twice.File(kAppFile), jisLine);
}

TEST(Settings, ChoosingATitleFillsTheFields) {
    Mirelka w;
    Open(w, "Game\t " + kLink + " \t1024\t768\t32\t60\t1\r\n" +        //
                "Old\tC:\\Links\\gone.lnk\t800\t600\t32\t60\t0\r\n" +  //
                "Quiet\t" + kOther + "\t800\t600\t16\t60\t0\r\n");
    w.p.view.texts[IDC_TARGET] = "stale";
    w.p.view.texts[IDC_WORKDIR] = "stale";
    EXPECT_FALSE(w.dialog.OnCommand(IDC_TITLE, 0)) << "only a selection change counts";
    EXPECT_EQ(w.p.view.Text(IDC_TARGET), "stale");

    const struct {
        int title;
        int selector;
        std::string shortcut, target, folder;
        bool restore;
    } cases[] = {
        // The blanks stay in the box; the reader gets the path without them.
        {0, 2, " " + kLink + " ", kGame, kGameDir, true},
        // Its mode is no longer ticked, its shortcut is gone.
        {1, 0, "C:\\Links\\gone.lnk", "", "", false},
        {2, 1, kOther, "C:\\Other\\other.exe", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        w.p.view.checks[IDC_RESTORE] = !c.restore;
        w.ChooseTitle(c.title);
        EXPECT_EQ(w.p.view.ComboSelection(IDC_MODE_SELECTOR), c.selector);
        EXPECT_EQ(w.p.view.Text(IDC_SHORTCUT), c.shortcut);
        EXPECT_EQ(w.p.view.Text(IDC_TARGET), c.target);
        EXPECT_EQ(w.p.view.Text(IDC_WORKDIR), c.folder);
        EXPECT_EQ(w.p.view.Checked(IDC_RESTORE), c.restore);
    }
    EXPECT_TRUE(w.p.view.messages.empty());
}

TEST(Settings, BrowsingPutsTheChosenShortcutInTheFields) {
    const std::map<int, std::string> folders = {
        {2, "C:\\Menu\\Programs"}, {23, "C:\\All\\Programs"}, {0, "C:\\Desktop"}};
    const struct {
        int button;
        int csidl;
        bool known;  // whether the shell knows the folder
        std::optional<std::string> choice;
        std::string shortcut, target, workdir;
    } cases[] = {
        {IDC_BROWSE_STARTMENU, 2, true, kLink, kLink, kGame, kGameDir},
        {IDC_BROWSE_COMMON_STARTMENU, 23, true, kHyoPath, kHyoPath, "C:\\x.exe", ""},
        // Shown, though code page 932 can't store it: only 登録 refuses it.
        {IDC_BROWSE_DESKTOP, 0, true, "C:\\게임\\x.lnk"s, "C:\\게임\\x.lnk", "", ""},
        {IDC_BROWSE_DESKTOP, 0, true, std::nullopt, "typed", "old", "old"},
        {IDC_BROWSE_STARTMENU, 2, false, kOther, kOther, "C:\\Other\\other.exe", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        Mirelka w;
        Open(w);
        w.p.fileDialog.folders = folders;
        if (!c.known) {
            w.p.fileDialog.folders.erase(c.csidl);
        }
        w.p.fileDialog.choice = c.choice;
        w.p.view.texts[IDC_SHORTCUT] = "typed";
        w.p.view.texts[IDC_TARGET] = "old";
        w.p.view.texts[IDC_WORKDIR] = "old";

        EXPECT_TRUE(w.dialog.OnCommand(c.button));
        ASSERT_EQ(w.p.fileDialog.requests.size(), 1u);
        const FileDialog::Request& request = w.p.fileDialog.requests[0];
        EXPECT_EQ(request.title, "ｼｮｰﾄｶｯﾄの指定");
        ASSERT_EQ(request.filters.size(), 1u);
        EXPECT_EQ(request.filters[0].description, "ｼｮｰﾄｶｯﾄ(*.lnk)");
        EXPECT_EQ(request.filters[0].pattern, "*.lnk");
        EXPECT_EQ(request.defaultExtension, "lnk");
        EXPECT_EQ(request.initialFolder, c.known ? folders.at(c.csidl) : "");
        EXPECT_EQ(w.p.view.Text(IDC_SHORTCUT), c.shortcut);
        EXPECT_EQ(w.p.view.Text(IDC_TARGET), c.target);
        EXPECT_EQ(w.p.view.Text(IDC_WORKDIR), c.workdir);
    }
}

TEST(Settings, OnAUtf8SystemAnyTextRegistersSavesLoadsAndLaunches) {
    // Windows set to "use Unicode UTF-8 for worldwide language support": data text is UTF-8,
    // with no lead bytes, and titles order by bytes.
    Mirelka w(MakeUtf8());
    const std::string link = "C:\\ゲーム\\😀.lnk";
    w.p.display.AddSixModes();
    w.p.files.files[link] = "shortcut";
    w.p.shortcuts.links[link] = {"C:\\ゲーム\\😀.exe", "C:\\ゲーム"};
    w.p.processes.existing.insert("C:\\ゲーム\\😀.exe");
    w.Start("800\t600\t16\t60\r\n", "Zeta\tC:\\z.lnk\t0\t0\t0\t0\t0\r\n");
    for (const std::string title : {"😀 게임", "Éclair", "表\\"}) {
        w.Fill(title, link, 1, false);
        EXPECT_EQ(w.Press(IDC_REGISTER), (Said{{"「" + title + "」を登録しました", kNotice}}));
    }
    const std::string tail = "\t" + link + "\t800\t600\t16\t60\t0\r\n";
    EXPECT_EQ(w.File(kAppFile),
              "Zeta\tC:\\z.lnk\t0\t0\t0\t0\t0\r\nÉclair" + tail + "表\\" + tail + "😀 게임" + tail);

    LauncherDialog again(w.p.MakePorts(), kExe);
    ASSERT_TRUE(again.OnInitDialog());
    EXPECT_EQ(w.p.view.ComboTexts(IDC_TITLE), (Texts{"Zeta", "Éclair", "表\\", "😀 게임"}));
    ASSERT_TRUE(again.OnCommand(LaunchCommandId(3)));
    ASSERT_EQ(w.p.processes.runs.size(), 1u);
    EXPECT_EQ(w.p.processes.runs[0].program + " in " + w.p.processes.runs[0].directory,
              "C:\\ゲーム\\😀.exe in C:\\ゲーム");
}

}  // namespace
}  // namespace mirelka
