#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "ports/DialogView.h"

namespace mirelka::test {

// The dialog's controls as plain data; message boxes are recorded and answered from a
// queue the test fills (No when it is empty, as the default button of every question).
class FakeView final : public DialogView {
public:
    struct Message {
        std::string text;
        MessageType type;
    };
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    int beeps = 0;
    bool iconsSet = false;
    std::map<int, std::vector<std::string>> combos;

    void SetIcons() override { iconsSet = true; }
    MessageAnswer ShowMessage(std::string_view text, MessageType type) override;
    void Beep() override { ++beeps; }

    void ComboReset(int id) override { combos[id].clear(); }
    int ComboAdd(int id, std::string_view text) override;
    int ComboCount(int id) const override;
    std::string ComboItemText(int id, int index) const override;
};

}  // namespace mirelka::test
