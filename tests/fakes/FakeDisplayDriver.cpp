#include "fakes/FakeDisplayDriver.h"

namespace mirelka::test {

DisplayMode FakeDisplayDriver::MakeMode(std::uint32_t width, std::uint32_t height,
                                        std::uint32_t bits, std::uint32_t frequency,
                                        unsigned char tag) {
    DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.bitsPerPixel = bits;
    mode.frequency = frequency;
    // A record of the driver's own, so tests can tell which copy was handed back.
    mode.driverRecord = {0xDE, 0xAD, tag};
    return mode;
}

std::optional<DisplayMode> FakeDisplayDriver::Mode(std::uint32_t number) {
    ++queries;
    if (number >= table.size()) {
        return std::nullopt;
    }
    return table[number];
}

void FakeDisplayDriver::ApplyListed(const DisplayMode& mode) {
    Apply(mode);
    appliedWhole.back() = false;
}

void FakeDisplayDriver::Apply(const DisplayMode& mode) {
    applied.push_back(mode);
    appliedWhole.push_back(true);
    for (const DisplayMode& listed : table) {
        if (listed.SameModeAs(mode)) {
            registry = mode;
            current = mode;
            return;
        }
    }
}

}  // namespace mirelka::test
