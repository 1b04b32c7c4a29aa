#include "store/AppStore.h"

#include <cstdint>

namespace mirelka {

namespace {

bool Same(const AppEntry& a, const AppEntry& b) {
    return FormatAppEntry(a) == FormatAppEntry(b);
}

}  // namespace

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
    for (std::int32_t i = 0; i < saved_.Count(); ++i) {
        if (registry_.Find(saved_.At(i)) == nullptr) {
            onto.Remove(saved_.At(i));
        }
    }
    for (std::int32_t i = 0; i < registry_.Count(); ++i) {
        const AppEntry& entry = registry_.At(i);
        const AppEntry* before = saved_.Find(entry);
        if (before != nullptr && Same(*before, entry)) {
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
