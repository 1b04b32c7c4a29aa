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

inline constexpr const char kTabApplications[] = "アプリケーション設定";
inline constexpr const char kTabBasic[] = "基本設定";

}  // namespace mirelka::text
