#pragma once

#include <windows.h>

#include "ports/DisplayDriver.h"

namespace mirelka {

// The record the system is handed for a mode of the list: only the size, the four numbers
// and, where the driver lists the mode progressive, the display flags 0, each with its
// dmFields bit. Without the scaling and orientation fields the system keeps the user's.
DEVMODEA ListedModeRecord(const DisplayMode& mode);

// The primary display through EnumDisplaySettingsA / ChangeDisplaySettingsExA.
class Win32DisplayDriver final : public DisplayDriver {
public:
    std::optional<DisplayMode> Mode(std::uint32_t number) override;
    std::optional<DisplayMode> RegistryMode() override;
    std::optional<DisplayMode> CurrentMode() override;
    void Apply(const DisplayMode& mode) override;
    void ApplyListed(const DisplayMode& mode) override;
    void StoreForNextStart(const DisplayMode& mode) override;
};

}  // namespace mirelka
