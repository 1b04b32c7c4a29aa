#pragma once

#include <cstdint>
#include <vector>

namespace mirelka {

// A display mode as the driver reported it. The four numbers identify it; the driver's
// full record is kept so that applying the mode hands the driver back what it gave.
struct DisplayMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t frequency = 0;
    std::vector<unsigned char> driverRecord;  // empty for a mode read from a file
    bool progressive = false;                 // the driver says: not interlaced

    // Interlace flags and the like don't count: two such modes are the same mode.
    bool SameModeAs(const DisplayMode& other) const {
        return width == other.width && height == other.height &&
               bitsPerPixel == other.bitsPerPixel && frequency == other.frequency;
    }
};

}  // namespace mirelka
