#pragma once

#include <cstdint>
#include <optional>

#include "ports/DisplayMode.h"

namespace mirelka {

// The primary display's driver.
class DisplayDriver {
public:
    virtual ~DisplayDriver() = default;

    // Mode number n, or none once the driver refuses n (the list ends there).
    virtual std::optional<DisplayMode> Mode(std::uint32_t number) = 0;
    // The mode stored in the system's registry: the one the system starts with.
    virtual std::optional<DisplayMode> RegistryMode() = 0;
    // The mode the display is in now.
    virtual std::optional<DisplayMode> CurrentMode() = 0;
    // Changes the mode at once and stores it in the registry, handing the driver the mode's
    // record whole: for a mode captured from the registry or the display, the user's own.
    // A refusal is not reported: the display simply stays as it was.
    virtual void Apply(const DisplayMode& mode) = 0;
    // The same for a mode of the list: asked for by its four numbers (and progressive scan
    // where the driver lists it so), the scaling and orientation stay as the user has them;
    // the driver's record only where the system refuses that.
    virtual void ApplyListed(const DisplayMode& mode) = 0;
    // Stores mode in the registry for the next start without switching the display now.
    virtual void StoreForNextStart(const DisplayMode& mode) = 0;
};

}  // namespace mirelka
