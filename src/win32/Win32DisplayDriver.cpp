#include "Win32DisplayDriver.h"

#include <windows.h>

#include <cstring>

namespace mirelka {

namespace {

std::optional<DisplayMode> Enumerate(DWORD number) {
    DEVMODEA record{};
    // The system refuses a record whose size it isn't told.
    record.dmSize = sizeof record;
    if (!EnumDisplaySettingsA(nullptr, number, &record)) {
        return std::nullopt;
    }
    DisplayMode mode;
    mode.width = record.dmPelsWidth;
    mode.height = record.dmPelsHeight;
    mode.bitsPerPixel = record.dmBitsPerPel;
    mode.frequency = record.dmDisplayFrequency;
    mode.progressive =
        (record.dmFields & DM_DISPLAYFLAGS) != 0 && (record.dmDisplayFlags & DM_INTERLACED) == 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    mode.driverRecord.assign(bytes, bytes + sizeof record);
    return mode;
}

LONG Change(const DisplayMode& mode, DWORD flags) {
    DEVMODEA record{};
    if (mode.driverRecord.size() == sizeof record) {
        std::memcpy(&record, mode.driverRecord.data(), sizeof record);
    } else {
        record = ListedModeRecord(mode);  // read from a file: the numbers are all there is
    }
    return ChangeDisplaySettingsExA(nullptr, &record, nullptr, flags, nullptr);
}

}  // namespace

DEVMODEA ListedModeRecord(const DisplayMode& mode) {
    DEVMODEA record;
    std::memset(&record, 0, sizeof record);
    record.dmSize = sizeof record;
    record.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL | DM_DISPLAYFREQUENCY;
    record.dmPelsWidth = mode.width;
    record.dmPelsHeight = mode.height;
    record.dmBitsPerPel = mode.bitsPerPixel;
    record.dmDisplayFrequency = mode.frequency;
    if (mode.progressive) {
        record.dmFields |= DM_DISPLAYFLAGS;  // dmDisplayFlags 0: not interlaced
    }
    return record;
}

std::optional<DisplayMode> Win32DisplayDriver::Mode(std::uint32_t number) {
    return Enumerate(number);
}

std::optional<DisplayMode> Win32DisplayDriver::RegistryMode() {
    return Enumerate(ENUM_REGISTRY_SETTINGS);
}

std::optional<DisplayMode> Win32DisplayDriver::CurrentMode() {
    return Enumerate(ENUM_CURRENT_SETTINGS);
}

void Win32DisplayDriver::Apply(const DisplayMode& mode) {
    Change(mode, CDS_UPDATEREGISTRY);
}

void Win32DisplayDriver::ApplyListed(const DisplayMode& mode) {
    DEVMODEA record = ListedModeRecord(mode);
    const LONG result =
        ChangeDisplaySettingsExA(nullptr, &record, nullptr, CDS_UPDATEREGISTRY, nullptr);
    // DISP_CHANGE_RESTART: taken, the registry holds it; anything else is the numbers refused.
    if (result != DISP_CHANGE_SUCCESSFUL && result != DISP_CHANGE_RESTART) {
        Change(mode, CDS_UPDATEREGISTRY);
    }
}

void Win32DisplayDriver::StoreForNextStart(const DisplayMode& mode) {
    // Written to the registry only: the screen stays as it is under the running program.
    Change(mode, CDS_UPDATEREGISTRY | CDS_NORESET);
}

}  // namespace mirelka
