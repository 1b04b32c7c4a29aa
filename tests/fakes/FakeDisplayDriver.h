#pragma once

#include <optional>
#include <set>
#include <vector>

#include "ports/DisplayDriver.h"

namespace mirelka::test {

// A driver with a mode table. Applying a mode it lists (by its four numbers) makes it the
// current and the registry mode; others are refused and change nothing.
class FakeDisplayDriver final : public DisplayDriver {
public:
    std::vector<DisplayMode> table;
    std::optional<DisplayMode> registry;  // none: the registry can't be read
    std::optional<DisplayMode> current;   // none: the current mode can't be read
    std::vector<DisplayMode> applied;     // every Apply, refused or not
    std::vector<bool> appliedWhole;       // per Apply: the record handed over, or the numbers
    int queries = 0;

    static DisplayMode MakeMode(std::uint32_t width, std::uint32_t height, std::uint32_t bits,
                                std::uint32_t frequency, unsigned char tag = 0);
    void Add(std::uint32_t width, std::uint32_t height, std::uint32_t bits,
             std::uint32_t frequency) {
        table.push_back(
            MakeMode(width, height, bits, frequency, static_cast<unsigned char>(table.size())));
    }

    // The display most tests use: six usable modes, the registry on the fourth (1024x768x32
    // 60Hz).
    void AddSixModes() {
        Add(640, 480, 8, 60);
        Add(800, 600, 16, 60);
        Add(800, 600, 32, 60);
        Add(1024, 768, 32, 60);
        Add(1024, 768, 32, 75);
        Add(1280, 1024, 32, 60);
        registry = table[3];
    }

    std::optional<DisplayMode> Mode(std::uint32_t number) override;
    std::optional<DisplayMode> RegistryMode() override { return registry; }
    std::optional<DisplayMode> CurrentMode() override { return current; }
    void Apply(const DisplayMode& mode) override;
    // By the numbers: the scaling stays as it is; the system takes what the table lists.
    void ApplyListed(const DisplayMode& mode) override;
    // The registry only, as CDS_UPDATEREGISTRY | CDS_NORESET does.
    void StoreForNextStart(const DisplayMode& mode) override { registry = mode; }
};

}  // namespace mirelka::test
