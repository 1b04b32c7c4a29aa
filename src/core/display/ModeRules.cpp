#include "display/ModeRules.h"

#include "store/RecordFile.h"
#include "text/MbString.h"

namespace mirelka {

namespace {

// The numbers are written as the platform's signed %d.
std::string FormatField(std::uint32_t value) {
    return FormatInt(static_cast<std::int32_t>(value));
}

}  // namespace

DisplayMode ModeOf(const AppEntry& entry) {
    DisplayMode mode;
    mode.width = static_cast<std::uint32_t>(entry.width);
    mode.height = static_cast<std::uint32_t>(entry.height);
    mode.bitsPerPixel = static_cast<std::uint32_t>(entry.bitsPerPixel);
    mode.frequency = static_cast<std::uint32_t>(entry.frequency);
    return mode;
}

bool IsUsableMode(const DisplayMode& mode) {
    return mode.width >= 640 && mode.height >= 480 && mode.bitsPerPixel >= 8 &&
           mode.frequency >= 30;
}

std::string ModeLabel(const DisplayMode& mode) {
    return FormatField(mode.width) + "×" + FormatField(mode.height) + "×" +
           FormatField(mode.bitsPerPixel) + " " + FormatField(mode.frequency) + "Hz";
}

std::string ModeListLabel(const DisplayMode& mode) {
    return " " + ModeLabel(mode);
}

std::string FormatMode(const DisplayMode& mode) {
    return JoinFields({FormatField(mode.width), FormatField(mode.height),
                       FormatField(mode.bitsPerPixel), FormatField(mode.frequency)});
}

DisplayMode ParseMode(const LeadBytes& leads, std::string_view line) {
    DisplayMode mode;
    std::string field;
    for (std::uint32_t* number : {&mode.width, &mode.height, &mode.bitsPerPixel, &mode.frequency}) {
        if (NextField(leads, line, field) && !field.empty()) {
            *number = static_cast<std::uint32_t>(Atol(field));
        }
    }
    return mode;
}

}  // namespace mirelka
