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
        if (IsUsableMode(*mode)) {
            view_.ListAdd(controlId_, ModeListLabel(*mode));
            modes_.push_back(std::move(*mode));
        }
    }
}

int ModeList::RestoreChecks(RecordFile& file) {
    if (modes_.empty() || !file.Open(RecordFile::Mode::Read)) {
        return 0;
    }
    int count = 0;
    DisplayMode stored;
    while (file.ReadLine()) {
        ParseMode(file, stored);
        const int index = Find(stored);
        if (index >= 0) {
            view_.ListSetChecked(controlId_, index, true);
            ++count;
        }
    }
    file.Close();
    return count;
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
