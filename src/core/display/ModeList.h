#pragma once

#include <cstddef>
#include <vector>

#include "display/ModeRules.h"
#include "store/RecordFile.h"

namespace mirelka {

class DialogView;
class DisplayDriver;

// Every usable display mode in the driver's order, shown in the check-list box with the
// user's ticks. The list control holds labels and ticks; the driver records live here,
// one per item, in the same order.
class ModeList {
public:
    ModeList(DialogView& view, int controlId) : view_(view), controlId_(controlId) {}

    // Modes 0, 1, 2, ... until the driver refuses one; keeps the usable ones.
    void Fill(DisplayDriver& driver);
    // Once file was read whole, the ticks are the items its lines name (the first item
    // matching each line) and matched the number of lines that matched; otherwise the
    // ticks stay as they were.
    FileStatus RestoreChecks(RecordFile& file, int& matched);

    std::size_t Count() const { return modes_.size(); }
    const DisplayMode& At(std::size_t index) const { return modes_[index]; }
    bool IsTicked(std::size_t index) const;
    bool AnyTicked() const;
    // The first item equal to mode in its four numbers, ticked or not; -1 when none.
    int Find(const DisplayMode& mode) const;

    void Clear() { modes_.clear(); }

private:
    DialogView& view_;
    int controlId_;
    std::vector<DisplayMode> modes_;
};

}  // namespace mirelka
