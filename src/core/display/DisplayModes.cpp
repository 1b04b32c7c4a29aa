#include "display/DisplayModes.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "display/ModeRules.h"
#include "ports/DisplayDriver.h"

namespace mirelka {

DisplayModes::DisplayModes(DisplayDriver& driver, FileSystem& files, const LeadBytes& leads)
    : driver_(driver), leads_(leads), modeFile_(files, leads) {}

void DisplayModes::PlaceBeside(const std::string& executablePath) {
    modeFile_.SetBasePath(executablePath.c_str());
    modeFile_.SetFileName("ScreenMode.txt");
}

void DisplayModes::FillModeList() {
    modeList_.Fill(driver_);
}

int DisplayModes::RestoreModeChecks(bool patient) {
    if (modeList_.Count() == 0) {
        return 0;
    }
    std::vector<std::string> lines;
    const FileStatus status = modeFile_.ReadAll(lines, patient);
    modeFileRead_ = status != FileStatus::ReadFailed;
    if (status != FileStatus::Done) {
        if (status == FileStatus::CannotOpen) {
            fileLines_.clear();
        }
        return 0;
    }
    fileLines_ = lines;
    std::vector<DisplayMode> stored(lines.size());
    std::transform(lines.begin(), lines.end(), stored.begin(),
                   [&](const std::string& line) { return ParseMode(leads_, line); });
    return modeList_.TickStored(stored);
}

std::optional<FileStatus> DisplayModes::SaveScreenModes() {
    if (!modeList_.AnyTicked()) {
        return std::nullopt;
    }
    if (!modeFileRead_) {
        return FileStatus::CannotOpen;
    }
    // Another display's modes, or a line of another program's, are the file's as it is now,
    // or as last read whole when it can't be read now (gone, or held).
    std::vector<std::string> now;
    if (modeFile_.ReadAll(now) == FileStatus::Done) {
        fileLines_.swap(now);
    }
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < modeList_.Count(); ++i) {
        if (modeList_.IsTicked(i)) {
            lines.push_back(FormatMode(modeList_.At(i)));
        }
    }
    std::copy_if(
        fileLines_.begin(), fileLines_.end(), std::back_inserter(lines),
        [&](const std::string& line) { return modeList_.Find(ParseMode(leads_, line)) < 0; });
    const FileStatus status = RewriteRecords(modeFile_, [&] {
        for (const std::string& line : lines) {
            modeFile_.Line() = line;
            if (!modeFile_.WriteLine()) {
                return false;
            }
        }
        return true;
    });
    if (status == FileStatus::Done) {
        fileLines_.swap(lines);
    }
    return status;
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

void DisplayModes::SwitchToStartupMode() {
    if (startupModeValid_ != 0) {
        ApplyMode(startupMode_);
    }
}

void DisplayModes::SwitchTo(std::size_t index) {
    if (index < modeList_.Count()) {
        ApplyListedMode(modeList_.At(index));
    }
}

}  // namespace mirelka
