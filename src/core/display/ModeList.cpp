#include "display/ModeList.h"

#include "ports/DialogView.h"
#include "ports/DisplayDriver.h"
#include "store/RecordFile.h"

namespace mirelka {

void ModeList::Fill(DisplayDriver& driver) {
    for (std::uint32_t number = 0;; ++number) {
        std::optional<DisplayMode> mode = driver.Mode(number);
        if (!mode) {
            break;
        }
        if (!IsUsableMode(*mode)) {
            continue;
        }
        // Vendor drivers report a mode once per scaling (and scan): one item, where it first
        // came, applied by its numbers; a progressive copy's record stands in for an
        // interlaced one where the system wants a whole record.
        if (const int listed = Find(*mode); listed >= 0) {
            DisplayMode& kept = modes_[static_cast<std::size_t>(listed)];
            if (!kept.progressive && mode->progressive) {
                kept = std::move(*mode);
            }
        } else {
            view_.ListAdd(controlId_, ModeListLabel(*mode));
            modes_.push_back(std::move(*mode));
        }
    }
}

FileStatus ModeList::RestoreChecks(RecordFile& file, int& matched) {
    matched = 0;
    if (modes_.empty()) {
        return FileStatus::Done;
    }
    if (!file.Open(RecordFile::Mode::Read)) {
        return file.LastError() == RecordFile::Error::Missing ? FileStatus::CannotOpen
                                                              : FileStatus::ReadFailed;
    }
    std::vector<bool> ticks(modes_.size(), false);
    int count = 0;
    DisplayMode stored;
    while (file.ReadLine()) {
        ParseMode(file, stored);
        const int index = Find(stored);
        if (index >= 0) {
            ticks[static_cast<std::size_t>(index)] = true;
            ++count;
        }
    }
    const bool failed = file.LastError() != RecordFile::Error::None;
    file.Close();
    // Half a file would tick half the user's modes, and the next save would keep only those.
    if (failed) {
        return FileStatus::ReadFailed;
    }
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        view_.ListSetChecked(controlId_, static_cast<int>(i), ticks[i]);
    }
    matched = count;
    return FileStatus::Done;
}

bool ModeList::IsTicked(std::size_t index) const {
    return view_.ListChecked(controlId_, static_cast<int>(index));
}

bool ModeList::AnyTicked() const {
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        if (IsTicked(i)) {
            return true;
        }
    }
    return false;
}

int ModeList::Find(const DisplayMode& mode) const {
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        if (modes_[i].SameModeAs(mode)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace mirelka
