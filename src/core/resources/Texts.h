// Every text the program shows from its code, in UTF-8. The dialog and menu templates
// (res/Mirelka.rc) hold the rest. Half-width katakana stay half-width on purpose.
#pragma once

namespace mirelka::text {

inline constexpr const char kCaption[] = "Mirelka";
inline constexpr const char kAlreadyRunning[] = "Mirelka.exeは既に起動しています";

// %1 is the data file's full path.
inline constexpr const char kDiskFull[] = "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";
inline constexpr const char kReadError[] = "%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";

inline constexpr const char kCannotOpenAppData[] = "AppData.txtをｵｰﾌﾟﾝできません";
inline constexpr const char kCannotOpenScreenMode[] = "ScreenMode.txtをｵｰﾌﾟﾝできません";

inline constexpr const char kTickOneToSave[] = "解像度を一つ以上ﾁｪｯｸしないと\n保存できません";
inline constexpr const char kNoMode[] = "未設定";

// Must equal the submenu's text in the menu template.
inline constexpr const char kMenuResolutions[] = "解像度変更";

inline constexpr const char kTickOneToLeave[] =
    "解像度を一つ以上ﾁｪｯｸしないと\n他のメニューは選べません";

// Application tab. %1 is the title, or the action in kTitleMissing.
inline constexpr const char kRegisterAction[] = "登録";
inline constexpr const char kDeleteAction[] = "削除";
inline constexpr const char kTitleMissing[] = "アプリ名称を指定しないと%1できません";
inline constexpr const char kTitleHasControl[] = "アプリ名称にタブや改行などの制御文字は使えません";
// A character the ANSI code page can't hold exactly: AppData.txt couldn't keep it.
inline constexpr const char kTitleNotStorable[] = "アプリ名称に保存できない文字が含まれています";
inline constexpr const char kShortcutNotStorable[] =
    "ショートカットのパスに保存できない文字が含まれています";
inline constexpr const char kShortcutMissing[] = "ショートカットを指定しないと登録できません";
inline constexpr const char kShortcutInaccessible[] =
    "指定されたショートカットにはアクセスできないので登録できません";
// There, but the shortcut reader can't load it: not a shortcut (a program's .exe), a
// damaged one, or one whose target the shell can't find.
inline constexpr const char kShortcutUnreadable[] =
    "指定されたショートカットを読み込めないので登録できません";
inline constexpr const char kConfirmOverwrite[] = "「%1」を上書きしてもよいですか？";
inline constexpr const char kConfirmDelete[] = "「%1」を削除してもよいですか？";
inline constexpr const char kNotRegistered[] =
    "「%1」という名称で登録されたアプリは存在しないので削除できません";
inline constexpr const char kRegistered[] = "「%1」を登録しました";
inline constexpr const char kRegisterFailed[] = "「%1」の登録に失敗しました";
inline constexpr const char kDeleted[] = "「%1」を削除しました";
inline constexpr const char kDeleteFailed[] = "「%1」の削除に失敗しました";

// The open-file dialog for shortcuts.
inline constexpr const char kShortcutFilterName[] = "ｼｮｰﾄｶｯﾄ(*.lnk)";
inline constexpr const char kShortcutFilterPattern[] = "*.lnk";
inline constexpr const char kShortcutDialogTitle[] = "ｼｮｰﾄｶｯﾄの指定";
inline constexpr const char kShortcutExtension[] = "lnk";

inline constexpr const char kTabApplications[] = "アプリケーション設定";
inline constexpr const char kTabBasic[] = "基本設定";

}  // namespace mirelka::text
