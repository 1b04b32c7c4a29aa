#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ports/DialogView.h"

namespace mirelka::test {

// The dialog's window and controls as plain data; message boxes are recorded and answered
// from a queue the test fills (No when it is empty, as the default button of every question).
class FakeView final : public DialogView {
public:
    struct Message {
        std::string text;
        MessageType type;
    };
    struct Item {
        std::string text;
        std::intptr_t data = 0;
    };
    struct Combo {
        std::vector<Item> items;
        int selection = -1;
    };

    std::vector<Message> messages;
    std::function<void()> onMessage;  // the next box's loop, running our messages meanwhile
    std::deque<MessageAnswer> answers;
    int beeps = 0;
    bool iconsSet = false;
    bool visible = true;  // the template is visible at creation
    bool minimized = false;
    int foregrounds = 0;
    int focusMoves = 0;
    int focused = 0;    // the control FocusControl last moved the focus to
    int endResult = 0;  // 0: not ended
    int cursorX = 500;
    int cursorY = 400;
    std::set<int> hiddenControls;
    std::map<int, std::string> texts;  // edit controls and the title box's own text
    std::map<int, bool> checks;
    std::map<int, Combo> combos;
    std::map<int, std::vector<Item>> lists;
    std::map<int, int> listRedraws;
    std::map<int, std::vector<std::string>> tabs;
    std::map<int, int> tabSelection;
    std::map<int, unsigned> timers;  // running: id -> period

    // Helpers for tests.
    std::vector<std::string> ComboTexts(int id) const;
    std::vector<std::string> ListTexts(int id) const;
    bool ControlShown(int id) const { return hiddenControls.count(id) == 0; }

    void SetIcons() override { iconsSet = true; }
    MessageAnswer ShowMessage(std::string_view text, MessageType type) override;
    void Beep() override { ++beeps; }

    bool IsVisible() const override { return visible; }
    bool IsMinimized() const override { return minimized; }
    void Hide() override { visible = false; }
    void ShowNormal() override { visible = true; }
    void SetForeground() override { ++foregrounds; }
    void End(int result) override { endResult = result; }
    void FocusNextControl() override { ++focusMoves; }
    void FocusControl(int id) override { focused = id; }
    void CursorPosition(int& x, int& y) const override {
        x = cursorX;
        y = cursorY;
    }
    void ShowControl(int id, bool show) override;
    void KeepOnScreen() override {}
    void StartTimer(int id, unsigned milliseconds) override { timers[id] = milliseconds; }
    void StopTimer(int id) override { timers.erase(id); }

    std::string Text(int id) const override;
    void SetText(int id, std::string_view text) override { texts[id] = std::string(text); }
    bool Checked(int id) const override {
        const auto it = checks.find(id);
        return it != checks.end() && it->second;
    }
    void SetChecked(int id, bool checked) override { checks[id] = checked; }

    void ComboReset(int id) override;
    int ComboAdd(int id, std::string_view text) override;
    int ComboInsert(int id, int index, std::string_view text) override;
    void ComboSetItemData(int id, int index, std::intptr_t data) override;
    std::intptr_t ComboItemData(int id, int index) const override;
    std::string ComboItemText(int id, int index) const override;
    int ComboSelection(int id) const override;
    void ComboSelect(int id, int index) override;
    int ComboSelectString(int id, int start, std::string_view text) override;

    void ListAdd(int id, std::string_view text) override;
    void ListRedraw(int id) override { ++listRedraws[id]; }

    void TabInsert(int id, int index, std::string_view text) override;
    int TabSelection(int id) const override;
    void TabSelect(int id, int index) override;
};

}  // namespace mirelka::test
