#pragma once

#include <cstddef>
#include <vector>

#include "ports/DisplayMode.h"

namespace mirelka {

class DisplayDriver;

// Every usable display mode in the driver's order, each with the user's tick. The list
// box only shows them: a tick is set here and nowhere else.
class ModeList {
public:
    // Modes 0, 1, 2, ... until the driver refuses one; keeps the usable ones, unticked.
    void Fill(DisplayDriver& driver);
    // The ticks become the items stored names (the first item equal to each); how many of
    // stored matched one.
    int TickStored(const std::vector<DisplayMode>& stored);
    // False when there is no such item.
    bool Toggle(std::size_t index);

    std::size_t Count() const { return modes_.size(); }
    const DisplayMode& At(std::size_t index) const { return modes_[index]; }
    bool IsTicked(std::size_t index) const { return index < ticks_.size() && ticks_[index]; }
    bool AnyTicked() const;
    // The first item equal to mode in its four numbers, ticked or not; -1 when none.
    int Find(const DisplayMode& mode) const;

    void Clear();

private:
    std::vector<DisplayMode> modes_;
    std::vector<bool> ticks_;
};

}  // namespace mirelka
