#include "display/ModeList.h"

#include <algorithm>

#include "display/ModeRules.h"
#include "ports/DisplayDriver.h"

namespace mirelka {

void ModeList::Fill(DisplayDriver& driver) {
    for (std::uint32_t number = 0;; ++number) {
        std::optional<DisplayMode> mode = driver.Mode(number);
        if (!mode) {
            break;
        }
        if (!IsUsableMode(*mode)) {
            continue;
        }
        // Vendor drivers report a mode once per scaling (and scan): one item, where it first
        // came, applied by its numbers; a progressive copy's record stands in for an
        // interlaced one where the system wants a whole record.
        if (const int listed = Find(*mode); listed >= 0) {
            DisplayMode& kept = modes_[static_cast<std::size_t>(listed)];
            if (!kept.progressive && mode->progressive) {
                kept = std::move(*mode);
            }
        } else {
            modes_.push_back(std::move(*mode));
            ticks_.push_back(false);
        }
    }
}

int ModeList::TickStored(const std::vector<DisplayMode>& stored) {
    std::fill(ticks_.begin(), ticks_.end(), false);
    int matched = 0;
    for (const DisplayMode& mode : stored) {
        const int index = Find(mode);
        if (index >= 0) {
            ticks_[static_cast<std::size_t>(index)] = true;
            ++matched;
        }
    }
    return matched;
}

bool ModeList::Toggle(std::size_t index) {
    if (index >= ticks_.size()) {
        return false;
    }
    ticks_[index] = !ticks_[index];
    return true;
}

bool ModeList::AnyTicked() const {
    return std::find(ticks_.begin(), ticks_.end(), true) != ticks_.end();
}

int ModeList::Find(const DisplayMode& mode) const {
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        if (modes_[i].SameModeAs(mode)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ModeList::Clear() {
    modes_.clear();
    ticks_.clear();
}

}  // namespace mirelka
