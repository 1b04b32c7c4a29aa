#include "store/AppStore.h"

namespace mirelka {

AppStore::AppStore(FileSystem& files, const LeadBytes& leads)
    : leads_(leads), registry_(leads), appFile_(files, leads) {}

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
    registry_.Swap(loaded);
    return status;
}

FileStatus AppStore::SaveAppData() {
    if (!read_) {
        return FileStatus::CannotOpen;
    }
    return RewriteRecords(appFile_, [&] {
        bool written = true;
        registry_.ForEach([&](const AppEntry& entry) {
            if (written) {
                appFile_.Line() = FormatAppEntry(entry);
                written = appFile_.WriteLine();
            }
        });
        return written;
    });
}

}  // namespace mirelka
