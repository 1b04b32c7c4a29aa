#pragma once

#include <map>
#include <string>
#include <vector>

#include "ports/PopupMenu.h"
#include "ports/TrayIcon.h"

namespace mirelka::test {

class FakeTrayIcon final : public TrayIcon {
public:
    bool shown = false;
    int adds = 0;
    int removes = 0;
    int failingAdds = 0;  // the next adds that fail, as while the shell is not ready
    bool Add() override {
        ++adds;
        if (failingAdds > 0) {
            --failingAdds;
            return false;
        }
        shown = true;
        return true;
    }
    void Remove() override {
        shown = false;
        ++removes;
    }
};

// The menu template as data: position 0 separator, 1 the "解像度変更" submenu holding
// "起動時の解像度", then "設定", separator, "常駐終了", separator, "ｷｬﾝｾﾙ".
class FakePopupMenu final : public PopupMenu {
public:
    struct Item {
        std::string text;  // empty for a separator
        int id = 0;        // -1 for a submenu
        Menu sub = 0;
    };
    std::map<Menu, std::vector<Item>> menus;  // what Load built, kept after Destroy
    Menu popup = 0;
    int loads = 0;
    int destroys = 0;
    bool tracking = false;
    int trackX = 0;
    int trackY = 0;
    Menu tracked = 0;

    Menu Load() override;
    int ItemCount(Menu menu) override;
    int ItemId(Menu menu, int position) override;
    std::string ItemText(Menu menu, int position) override;
    Menu SubMenu(Menu menu, int position) override;
    void Insert(Menu menu, int position, std::string_view text, int id) override;
    void Track(Menu menu, int x, int y) override;
    void Destroy() override { ++destroys; }

    // What a test reads back: the popup's items and the resolution submenu's.
    const std::vector<Item>& Popup() { return menus[popup]; }
    const std::vector<Item>& Resolutions() { return menus[kResolutions]; }

private:
    static constexpr Menu kResolutions = 2;
};

}  // namespace mirelka::test
