#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/LauncherDialog.h"
#include "fakes/FakePlatform.h"
#include "resources/ResourceIds.h"

namespace mirelka::test {

using Texts = std::vector<std::string>;
using Said = std::vector<std::pair<std::string, MessageType>>;

// The executable sits in a folder code page 932 can't name: paths are UTF-8 throughout.
inline const std::string kExe = "C:\\게임\\Mirelka.exe";
inline const std::string kAppFile = "C:\\게임\\AppData.txt";
inline const std::string kModeFile = "C:\\게임\\ScreenMode.txt";

inline constexpr MessageType kError = MessageType::Error;
inline constexpr MessageType kConfirm = MessageType::Confirm;
inline constexpr MessageType kNotice = MessageType::Notice;
inline constexpr MessageAnswer kYes = MessageAnswer::Yes;
inline constexpr std::intptr_t kRightButtonDown = 0x204;

// The AppData.txt line of an entry with no mode and restore off.
inline std::string AppDataLine(const std::string& title, const std::string& shortcut) {
    return title + "\t" + shortcut + "\t0\t0\t0\t0\t0\r\n";
}

// The main dialog over the fake platform, driven as the user and the window procedure
// would: set up p, Start(), then act through the dialog's own handlers.
struct Mirelka {
    explicit Mirelka(std::unique_ptr<CodePage> codePage = MakeCp932())
        : p(std::move(codePage)), dialog(p.MakePorts(), kExe) {}

    FakePlatform p;
    LauncherDialog dialog;

    // OnInitDialog with ScreenMode.txt and AppData.txt as given (empty: no such file).
    void Start(const std::string& modeFile = "", const std::string& appData = "") {
        if (!modeFile.empty()) {
            p.files.files[kModeFile] = modeFile;
        }
        if (!appData.empty()) {
            p.files.files[kAppFile] = appData;
        }
        EXPECT_TRUE(dialog.OnInitDialog());
    }

    // The user's ticks: toggles items until exactly these are ticked.
    void SetTicks(const std::set<std::size_t>& ticks) {
        for (std::size_t i = 0; i < dialog.Modes().Count(); ++i) {
            if (dialog.Modes().IsTicked(i) != (ticks.count(i) != 0)) {
                dialog.OnToggleMode(i);
            }
        }
    }
    std::vector<int> Ticked() const {
        std::vector<int> ticked;
        for (std::size_t i = 0; i < dialog.Modes().Count(); ++i) {
            if (dialog.Modes().IsTicked(i)) {
                ticked.push_back(static_cast<int>(i));
            }
        }
        return ticked;
    }

    // Asks for tab as a click on it would: the change, then the news of it if allowed.
    bool ClickTab(int tab) {
        if (dialog.OnSelchangingTab() != 0) {
            return false;
        }
        p.view.TabSelect(IDC_TAB, tab);
        dialog.OnSelchangeTab();
        return true;
    }
    // What the user typed and chose on the applications tab.
    void Fill(const std::string& title, const std::string& shortcut, int selector, bool restore) {
        p.view.texts[IDC_TITLE] = title;
        p.view.texts[IDC_SHORTCUT] = shortcut;
        p.view.ComboSelect(IDC_MODE_SELECTOR, selector);
        p.view.checks[IDC_RESTORE] = restore;
    }
    // 登録 on the applications tab: title with shortcut, no mode, restore off. What was said.
    Said RegisterTitle(const std::string& title, const std::string& shortcut) {
        EXPECT_TRUE(ClickTab(0));
        Fill(title, shortcut, 0, false);
        return Press(IDC_REGISTER);
    }
    void ChooseTitle(int index) {
        p.view.ComboSelect(IDC_TITLE, index);
        EXPECT_TRUE(dialog.OnCommand(IDC_TITLE, 1));
    }
    // Runs command with the answers given to its questions; what it said.
    Said Press(int command, std::deque<MessageAnswer> answers = {}) {
        p.view.messages.clear();
        p.view.answers = std::move(answers);
        EXPECT_TRUE(dialog.OnCommand(command));
        Said said;
        for (const auto& message : p.view.messages) {
            said.emplace_back(message.text, message.type);
        }
        return said;
    }
    // A data file's bytes, or "<none>".
    std::string File(const std::string& path) const {
        const auto it = p.files.files.find(path);
        return it == p.files.files.end() ? "<none>" : it->second;
    }
    Texts Titles() {
        Texts titles;
        dialog.Registry().ForEach([&](const AppEntry& entry) { titles.push_back(entry.title); });
        return titles;
    }
};

// The same, as a GoogleTest fixture.
class DialogTest : public testing::Test, public Mirelka {};

}  // namespace mirelka::test
