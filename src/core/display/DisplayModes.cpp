#include "display/DisplayModes.h"

#include "display/ModeRules.h"
#include "ports/DisplayDriver.h"
#include "resources/ResourceIds.h"

namespace mirelka {

DisplayModes::DisplayModes(DisplayDriver& driver, DialogView& view, FileSystem& files,
                           const LeadBytes& leads)
    : driver_(driver), files_(files), modeList_(view, IDC_MODE_LIST), modeFile_(files, leads) {}

void DisplayModes::PlaceBeside(const std::string& executablePath) {
    modeFile_.SetBasePath(executablePath.c_str());
    modeFile_.SetFileName("ScreenMode.txt");
}

void DisplayModes::FillModeList() {
    modeList_.Fill(driver_);
}

int DisplayModes::RestoreModeChecks(bool patient) {
    int matched = 0;
    FileStatus status = modeList_.RestoreChecks(modeFile_, matched);
    if (patient && status == FileStatus::ReadFailed) {
        RetryForAMoment(files_, [&] {
            status = modeList_.RestoreChecks(modeFile_, matched);
            return status != FileStatus::ReadFailed;
        });
    }
    modeFileRead_ = status != FileStatus::ReadFailed;
    return matched;
}

std::optional<FileStatus> DisplayModes::SaveScreenModes() {
    if (!modeList_.AnyTicked()) {
        return std::nullopt;
    }
    if (!modeFileRead_) {
        return FileStatus::CannotOpen;
    }
    return RewriteRecords(modeFile_, [&] {
        for (std::size_t i = 0; i < modeList_.Count(); ++i) {
            if (modeList_.IsTicked(i)) {
                FormatMode(modeFile_, &modeList_.At(i));
                if (!modeFile_.WriteLine()) {
                    return false;
                }
            }
        }
        return true;
    });
}

bool DisplayModes::CaptureRegistryMode(DisplayMode& mode) {
    std::optional<DisplayMode> stored = driver_.RegistryMode();
    if (!stored) {
        // The mode in force is what the user had: it still serves the startup-mode command
        // and the switch back.
        stored = driver_.CurrentMode();
    }
    if (!stored) {
        return false;
    }
    mode = std::move(*stored);
    return true;
}

void DisplayModes::CaptureStartupMode() {
    startupModeValid_ = CaptureRegistryMode(startupMode_) ? 1 : 0;
}

void DisplayModes::ApplyMode(const DisplayMode& mode) {
    driver_.Apply(mode);
}

void DisplayModes::ApplyListedMode(const DisplayMode& mode) {
    driver_.ApplyListed(mode);
}

void DisplayModes::StoreForNextStart(const DisplayMode& mode) {
    driver_.StoreForNextStart(mode);
}

void DisplayModes::OnChangeResolution(int commandId) {
    if (commandId == ID_MODE_STARTUP) {
        if (startupModeValid_ != 0) {
            ApplyMode(startupMode_);
        }
        return;
    }
    const auto index = static_cast<std::size_t>(commandId - ID_MODE_FIRST);
    if (commandId > ID_MODE_STARTUP && index < modeList_.Count()) {
        ApplyListedMode(modeList_.At(index));
    }
}

}  // namespace mirelka
