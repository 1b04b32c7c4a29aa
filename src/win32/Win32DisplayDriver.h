#pragma once

#include "ports/DisplayDriver.h"

namespace mirelka {

// The primary display through EnumDisplaySettingsA / ChangeDisplaySettingsExA.
class Win32DisplayDriver final : public DisplayDriver {
public:
    std::optional<DisplayMode> Mode(std::uint32_t number) override;
    std::optional<DisplayMode> RegistryMode() override;
    std::optional<DisplayMode> CurrentMode() override;
    void Apply(const DisplayMode& mode) override;
    void StoreForNextStart(const DisplayMode& mode) override;
};

}  // namespace mirelka
