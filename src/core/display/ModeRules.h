#pragma once

#include <string>
#include <string_view>

#include "ports/DisplayMode.h"
#include "store/AppEntry.h"
#include "text/LeadBytes.h"

namespace mirelka {

// The mode an entry asks for, identified by its four numbers only.
DisplayMode ModeOf(const AppEntry& entry);

// What the program is willing to offer: at least 640x480, 8 bits and 30 Hz. A driver's
// "default rate" of 0 or 1 Hz is therefore never offered.
bool IsUsableMode(const DisplayMode& mode);

// "%d×%d×%d %dHz" in UTF-8; the mode list puts a blank before it.
std::string ModeLabel(const DisplayMode& mode);
std::string ModeListLabel(const DisplayMode& mode);

// The ScreenMode.txt line of a mode: width, height, bits per pixel, frequency.
std::string FormatMode(const DisplayMode& mode);
DisplayMode ParseMode(const LeadBytes& leads, std::string_view line);

}  // namespace mirelka
