#include "store/AppStore.h"

#include <cstdint>

namespace mirelka {

AppStore::AppStore(FileSystem& files, const LeadBytes& leads)
    : leads_(leads), registry_(leads), saved_(leads), appFile_(files, leads) {}

void AppStore::PlaceBeside(const std::string& executablePath) {
    appFile_.SetBasePath(executablePath.c_str());
    appFile_.SetFileName("AppData.txt");
}

FileStatus AppStore::LoadAppData(bool patient) {
    std::vector<std::string> lines;
    const FileStatus status = appFile_.ReadAll(lines, patient);
    if (status == FileStatus::ReadFailed) {
        read_ = false;
        return status;
    }
    read_ = true;
    if (status == FileStatus::CannotOpen) {
        // Gone since it was read: a sync tool may be replacing it. What we had is kept.
        return status;
    }
    AppRegistry loaded(leads_);
    for (const std::string& line : lines) {
        // The first of two equal titles wins; the rest are dropped without a word.
        loaded.Insert(ParseAppEntry(leads_, line));
    }
    AppRegistry file(loaded);
    ReplayUnsaved(loaded);
    saved_.Swap(file);
    registry_.Swap(loaded);
    return status;
}

void AppStore::ReplayUnsaved(AppRegistry& onto) const {
    // Both in title order: one walk finds what was added, changed or removed.
    std::int32_t s = 0;
    std::int32_t r = 0;
    while (s < saved_.Count() || r < registry_.Count()) {
        const int order = s == saved_.Count()      ? 1
                          : r == registry_.Count() ? -1
                                                   : saved_.Compare(saved_.At(s), registry_.At(r));
        if (order < 0) {
            onto.Remove(saved_.At(s++));
            continue;
        }
        const AppEntry& entry = registry_.At(r++);
        // Unchanged when it would be saved as the same line.
        if (order == 0 && FormatAppEntry(saved_.At(s++)) == FormatAppEntry(entry)) {
            continue;
        }
        if (AppEntry* there = onto.Find(entry)) {
            *there = entry;
        } else {
            onto.Insert(entry);
        }
    }
}

FileStatus AppStore::SaveAppData() {
    if (!read_) {
        return FileStatus::CannotOpen;
    }
    const FileStatus status = RewriteRecords(appFile_, [&] {
        bool written = true;
        registry_.ForEach([&](const AppEntry& entry) {
            if (written) {
                appFile_.Line() = FormatAppEntry(entry);
                written = appFile_.WriteLine();
            }
        });
        return written;
    });
    if (status == FileStatus::Done) {
        AppRegistry saved(registry_);
        saved_.Swap(saved);
    }
    return status;
}

}  // namespace mirelka
