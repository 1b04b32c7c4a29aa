#include "fakes/FakeTray.h"

#include "resources/ResourceIds.h"

namespace mirelka::test {

PopupMenu::Menu FakePopupMenu::Load() {
    ++loads;
    menus.clear();
    popup = 1;
    menus[kResolutions] = {{"起動時の解像度", ID_MODE_STARTUP, 0}};
    menus[popup] = {{"", 0, 0},     {"解像度変更", -1, kResolutions}, {"設定", ID_TRAY_SETTINGS, 0},
                    {"", 0, 0},     {"常駐終了", ID_TRAY_EXIT, 0},    {"", 0, 0},
                    {"ｷｬﾝｾﾙ", 2, 0}};
    return popup;
}

int FakePopupMenu::ItemCount(Menu menu) {
    const auto it = menus.find(menu);
    return it == menus.end() ? -1 : static_cast<int>(it->second.size());
}

int FakePopupMenu::ItemId(Menu menu, int position) {
    if (position < 0 || position >= ItemCount(menu)) {
        return 0;
    }
    return menus[menu][static_cast<std::size_t>(position)].id;
}

std::string FakePopupMenu::ItemText(Menu menu, int position) {
    if (position < 0 || position >= ItemCount(menu)) {
        return {};
    }
    return menus[menu][static_cast<std::size_t>(position)].text;
}

PopupMenu::Menu FakePopupMenu::SubMenu(Menu menu, int position) {
    if (position < 0 || position >= ItemCount(menu)) {
        return 0;
    }
    return menus[menu][static_cast<std::size_t>(position)].sub;
}

void FakePopupMenu::Insert(Menu menu, int position, std::string_view text, int id) {
    auto& items = menus[menu];
    if (position < 0 || static_cast<std::size_t>(position) > items.size()) {
        return;
    }
    items.insert(items.begin() + position, Item{std::string(text), id, 0});
}

void FakePopupMenu::Track(Menu menu, int x, int y) {
    tracking = true;
    tracked = menu;
    trackX = x;
    trackY = y;
}

}  // namespace mirelka::test
