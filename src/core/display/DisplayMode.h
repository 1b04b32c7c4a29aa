#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/AppEntry.h"

namespace mirelka {

class RecordFile;

// A display mode as the driver reported it. The four numbers identify it; the driver's
// full record is kept so that applying the mode hands the driver back what it gave.
struct DisplayMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t frequency = 0;
    std::vector<unsigned char> driverRecord;  // empty for a mode read from a file

    // Interlace flags and the like don't count: two such modes are the same mode.
    bool SameModeAs(const DisplayMode& other) const {
        return width == other.width && height == other.height &&
               bitsPerPixel == other.bitsPerPixel && frequency == other.frequency;
    }
};

// The mode an entry asks for, identified by its four numbers only.
DisplayMode ModeOf(const AppEntry& entry);

// What the program is willing to offer: at least 640x480, 8 bits and 30 Hz. A driver's
// "default rate" of 0 or 1 Hz is therefore never offered.
bool IsUsableMode(const DisplayMode& mode);

// "%d×%d×%d %dHz" in UTF-8; the mode list puts a blank before it.
std::string ModeLabel(const DisplayMode& mode);
std::string ModeListLabel(const DisplayMode& mode);

// The ScreenMode.txt line of a mode: width, height, bits per pixel, frequency.
bool FormatMode(RecordFile& file, const DisplayMode* mode);
void ParseMode(RecordFile& file, DisplayMode& mode);

}  // namespace mirelka
