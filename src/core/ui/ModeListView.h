#pragma once

#include <cstddef>

namespace mirelka {

class DialogView;
class ModeList;
class ModeListAccess;

// The mode list as the user sees and hears it: the check-list box's labels and boxes, and
// what a screen reader is told of the ticks. The ticks themselves are the ModeList's.
class ModeListView {
public:
    ModeListView(DialogView& view, ModeListAccess& access) : view_(view), access_(access) {}

    // The labels, once the list was filled, and the ticks.
    void Show(const ModeList& modes);
    // Every item's tick again, after they were read or the list was emptied.
    void TicksChanged(const ModeList& modes);
    // The user toggled item index.
    void Toggled(const ModeList& modes, std::size_t index);

private:
    DialogView& view_;
    ModeListAccess& access_;
};

}  // namespace mirelka
