#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/ModeList.h"
#include "ports/DisplayMode.h"
#include "store/RecordFile.h"

namespace mirelka {

class DisplayDriver;
class FileSystem;
class LeadBytes;

// The display's usable modes with the user's ticks, ScreenMode.txt that keeps the ticks,
// the mode the display had at start-up, and switching between them.
class DisplayModes {
public:
    DisplayModes(DisplayDriver& driver, FileSystem& files, const LeadBytes& leads);

    // ScreenMode.txt goes beside the executable, whatever the current directory is.
    void PlaceBeside(const std::string& executablePath);

    void FillModeList();
    // Ticks the listed modes ScreenMode.txt names; how many lines matched. A file that is
    // there but can't be read whole leaves the ticks as they were; patient tries it again
    // for about a second. The file is not opened while the list is empty.
    int RestoreModeChecks(bool patient = false);
    // Whether the ticks stand for ScreenMode.txt: read whole, or there was none.
    bool ModeFileRead() const { return modeFileRead_; }
    // The user's click or space bar on item index; false when there is no such item.
    bool ToggleMode(std::size_t index) { return modeList_.Toggle(index); }
    // Writes the ticked modes in list order, then the file's lines that name no listed mode
    // as they stand (another display's); none (and nothing written) when no mode is ticked.
    // CannotOpen, writing nothing, while the file has not been read whole.
    std::optional<FileStatus> SaveScreenModes();

    // The registry's mode, or the current one where the registry's can't be read.
    bool CaptureRegistryMode(DisplayMode& mode);
    void CaptureStartupMode();
    // A captured mode, whole; a mode of the list, by its numbers.
    void ApplyMode(const DisplayMode& mode);
    void ApplyListedMode(const DisplayMode& mode);
    void StoreForNextStart(const DisplayMode& mode);
    // The mode captured at start-up, when there is one.
    void SwitchToStartupMode();
    // Mode-list item index; nothing when there is no such item.
    void SwitchTo(std::size_t index);

    // Frees the modes' driver records.
    void Clear() { modeList_.Clear(); }

    const ModeList& List() const { return modeList_; }
    const RecordFile& ModeFile() const { return modeFile_; }
    bool StartupModeValid() const { return startupModeValid_ != 0; }
    const DisplayMode& StartupMode() const { return startupMode_; }

private:
    DisplayDriver& driver_;
    const LeadBytes& leads_;
    ModeList modeList_;
    DisplayMode startupMode_;
    std::uint8_t startupModeValid_ = 0;
    RecordFile modeFile_;
    bool modeFileRead_ = true;
    std::vector<std::string> fileLines_;  // ScreenMode.txt as last read whole or written
};

}  // namespace mirelka
