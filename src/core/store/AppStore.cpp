#include "store/AppStore.h"

namespace mirelka {

AppStore::AppStore(FileSystem& files, const LeadBytes& leads)
    : registry_(leads), appFile_(files, leads) {}

void AppStore::PlaceBeside(const std::string& executablePath) {
    appFile_.SetBasePath(executablePath.c_str());
    appFile_.SetFileName("AppData.txt");
}

FileStatus AppStore::LoadAppData() {
    registry_.Clear();
    if (!appFile_.Open(RecordFile::Mode::Read)) {
        return FileStatus::CannotOpen;
    }
    AppEntry entry;
    while (appFile_.ReadLine()) {
        ParseAppEntry(appFile_, entry);
        // The first of two equal titles wins; the rest are dropped without a word.
        registry_.Insert(entry);
    }
    const bool failed = appFile_.LastError() != RecordFile::Error::None;
    appFile_.Close();
    return failed ? FileStatus::ReadFailed : FileStatus::Done;
}

FileStatus AppStore::SaveAppData() {
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
