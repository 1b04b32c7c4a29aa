#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/LeadBytes.h"

namespace mirelka {

// One registered application.
struct AppEntry {
    std::string title;
    std::string shortcut;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::int32_t frequency = 0;
    std::uint8_t restoreOnExit = 0;

    void Reset() { *this = AppEntry(); }
};

// The AppData.txt line of an entry: title, shortcut, width, height, bits, frequency, restore.
std::string FormatAppEntry(const AppEntry& entry);
AppEntry ParseAppEntry(const LeadBytes& leads, std::string_view line);

}  // namespace mirelka
