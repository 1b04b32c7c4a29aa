#pragma once

#include <cstddef>
#include <vector>

namespace mirelka {

// What assistive technology (a screen reader) is told of the mode list: the list draws its
// boxes itself, so nothing but this says which items are ticked.
class ModeListAccess {
public:
    virtual ~ModeListAccess() = default;

    // Every item's tick, after the list was filled, its ticks read or it was emptied.
    virtual void SetTicks(const std::vector<bool>& ticks) = 0;
    // The user toggled item index, now ticked or not; listeners hear of the change.
    virtual void Toggled(std::size_t index, bool ticked) = 0;
};

}  // namespace mirelka
