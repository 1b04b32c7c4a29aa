#include "store/AppStore.h"

namespace mirelka {

AppStore::AppStore(FileSystem& files, const LeadBytes& leads)
    : files_(files), leads_(leads), registry_(leads), appFile_(files, leads) {}

void AppStore::PlaceBeside(const std::string& executablePath) {
    appFile_.SetBasePath(executablePath.c_str());
    appFile_.SetFileName("AppData.txt");
}

FileStatus AppStore::ReadInto(AppRegistry& registry) {
    if (!appFile_.Open(RecordFile::Mode::Read)) {
        return appFile_.LastError() == RecordFile::Error::Missing ? FileStatus::CannotOpen
                                                                  : FileStatus::ReadFailed;
    }
    AppEntry entry;
    while (appFile_.ReadLine()) {
        ParseAppEntry(appFile_, entry);
        // The first of two equal titles wins; the rest are dropped without a word.
        registry.Insert(entry);
    }
    const bool failed = appFile_.LastError() != RecordFile::Error::None;
    appFile_.Close();
    return failed ? FileStatus::ReadFailed : FileStatus::Done;
}

FileStatus AppStore::LoadAppData(bool patient) {
    // Read aside: half a file must never stand for the whole, nor be saved as it.
    AppRegistry loaded(leads_);
    FileStatus status = ReadInto(loaded);
    if (patient && status == FileStatus::ReadFailed) {
        RetryForAMoment(files_, [&] {
            loaded.Clear();
            status = ReadInto(loaded);
            return status != FileStatus::ReadFailed;
        });
    }
    if (status == FileStatus::ReadFailed) {
        read_ = false;
        return status;
    }
    registry_.Swap(loaded);
    read_ = true;
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
                FormatAppEntry(appFile_, entry);
                written = appFile_.WriteLine();
            }
        });
        return written;
    });
}

}  // namespace mirelka
