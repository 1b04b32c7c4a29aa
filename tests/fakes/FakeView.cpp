#include "fakes/FakeView.h"

namespace mirelka::test {

MessageAnswer FakeView::ShowMessage(std::string_view text, MessageType type) {
    messages.push_back({std::string(text), type});
    if (type != MessageType::Confirm) {
        return MessageAnswer::Ok;
    }
    if (answers.empty()) {
        return MessageAnswer::No;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

int FakeView::ComboAdd(int id, std::string_view text) {
    auto& items = combos[id];
    items.emplace_back(text);
    return static_cast<int>(items.size()) - 1;
}

int FakeView::ComboCount(int id) const {
    const auto it = combos.find(id);
    return it == combos.end() ? 0 : static_cast<int>(it->second.size());
}

std::string FakeView::ComboItemText(int id, int index) const {
    const auto it = combos.find(id);
    if (it == combos.end() || index < 0 || index >= static_cast<int>(it->second.size())) {
        return {};
    }
    return it->second[static_cast<std::size_t>(index)];
}

}  // namespace mirelka::test
