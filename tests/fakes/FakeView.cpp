#include "fakes/FakeView.h"

#include <utility>

namespace mirelka::test {

namespace {

template <typename Items>
bool InRange(const Items& items, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < items.size();
}

}  // namespace

MessageAnswer FakeView::ShowMessage(std::string_view text, MessageType type) {
    messages.push_back({std::string(text), type});
    // Once: a box opened meanwhile doesn't run it again.
    if (const std::function<void()> meanwhile = std::exchange(onMessage, nullptr)) {
        meanwhile();
    }
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

void FakeView::ShowControl(int id, bool show) {
    if (show) {
        hiddenControls.erase(id);
    } else {
        hiddenControls.insert(id);
    }
}

std::vector<std::string> FakeView::ComboTexts(int id) const {
    std::vector<std::string> items;
    const auto it = combos.find(id);
    if (it != combos.end()) {
        for (const Item& item : it->second.items) {
            items.push_back(item.text);
        }
    }
    return items;
}

std::vector<std::string> FakeView::ListTexts(int id) const {
    std::vector<std::string> items;
    const auto it = lists.find(id);
    if (it != lists.end()) {
        for (const Item& item : it->second) {
            items.push_back(item.text);
        }
    }
    return items;
}

std::string FakeView::Text(int id) const {
    const auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}

void FakeView::ComboReset(int id) {
    combos[id] = Combo();
    // An editable combo's text is its own; emptying the list leaves it.
}

int FakeView::ComboAdd(int id, std::string_view text) {
    auto& items = combos[id].items;
    items.push_back({std::string(text)});
    return static_cast<int>(items.size()) - 1;
}

int FakeView::ComboInsert(int id, int index, std::string_view text) {
    auto& items = combos[id].items;
    if (index < 0 || static_cast<std::size_t>(index) > items.size()) {
        return -1;
    }
    items.insert(items.begin() + index, Item{std::string(text)});
    return index;
}

void FakeView::ComboSetItemData(int id, int index, std::intptr_t data) {
    auto& items = combos[id].items;
    if (InRange(items, index)) {
        items[static_cast<std::size_t>(index)].data = data;
    }
}

std::intptr_t FakeView::ComboItemData(int id, int index) const {
    const auto it = combos.find(id);
    if (it == combos.end() || !InRange(it->second.items, index)) {
        return -1;  // CB_ERR
    }
    return it->second.items[static_cast<std::size_t>(index)].data;
}

std::string FakeView::ComboItemText(int id, int index) const {
    const auto it = combos.find(id);
    if (it == combos.end() || !InRange(it->second.items, index)) {
        return {};
    }
    return it->second.items[static_cast<std::size_t>(index)].text;
}

int FakeView::ComboSelection(int id) const {
    const auto it = combos.find(id);
    return it == combos.end() ? -1 : it->second.selection;
}

void FakeView::ComboSelect(int id, int index) {
    Combo& combo = combos[id];
    combo.selection = InRange(combo.items, index) ? index : -1;
    if (combo.selection >= 0) {
        texts[id] = combo.items[static_cast<std::size_t>(index)].text;
    }
}

int FakeView::ComboSelectString(int id, int start, std::string_view text) {
    Combo& combo = combos[id];
    const int count = static_cast<int>(combo.items.size());
    auto lower = [](std::string_view s) {
        std::string out(s);
        for (char& c : out) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return out;
    };
    const std::string wanted = lower(text);
    for (int step = 1; step <= count; ++step) {
        const int index = (start + step) % count;
        const std::string& item = combo.items[static_cast<std::size_t>(index)].text;
        if (lower(item).compare(0, wanted.size(), wanted) == 0) {
            ComboSelect(id, index);
            return index;
        }
    }
    return -1;
}

void FakeView::ListAdd(int id, std::string_view text) {
    lists[id].push_back({std::string(text)});
}

void FakeView::TabInsert(int id, int index, std::string_view text) {
    auto& items = tabs[id];
    if (index >= 0 && static_cast<std::size_t>(index) <= items.size()) {
        items.insert(items.begin() + index, std::string(text));
        if (tabSelection.count(id) == 0) {
            tabSelection[id] = 0;  // the first tab inserted becomes the current one
        }
    }
}

int FakeView::TabSelection(int id) const {
    const auto it = tabSelection.find(id);
    return it == tabSelection.end() ? -1 : it->second;
}

void FakeView::TabSelect(int id, int index) {
    if (InRange(tabs[id], index)) {
        tabSelection[id] = index;
    }
}

}  // namespace mirelka::test
