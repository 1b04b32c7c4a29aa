#pragma once

#include <cstddef>
#include <vector>

#include "ports/ModeListAccess.h"

namespace mirelka::test {

// What a screen reader reads of the mode list: each item's checked state, and the items
// whose state-change event was raised, in order.
class FakeModeListAccess final : public ModeListAccess {
public:
    std::vector<bool> checked;
    std::vector<std::size_t> stateChanges;

    void SetTicks(const std::vector<bool>& ticks) override { checked = ticks; }
    void Toggled(std::size_t index, bool ticked) override {
        checked.at(index) = ticked;
        stateChanges.push_back(index);
    }
};

}  // namespace mirelka::test
