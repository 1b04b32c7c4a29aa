#pragma once

#include <string>

#include "store/AppRegistry.h"
#include "store/RecordFile.h"

namespace mirelka {

class FileSystem;
class LeadBytes;

// The registered applications and AppData.txt, their file.
class AppStore {
public:
    AppStore(FileSystem& files, const LeadBytes& leads);

    // AppData.txt goes beside the executable, whatever the current directory is.
    void PlaceBeside(const std::string& executablePath);

    // Replaces the registry with the file's entries once it was read whole, with the changes
    // a failed save missed made again on them. CannotOpen: there is no file to read; the
    // registry keeps what it held (none at start-up). ReadFailed: it is there but could not
    // be read whole; the registry keeps what it held. Patient: tries again for about a
    // second while the file is held.
    FileStatus LoadAppData(bool patient = false);
    // CannotOpen, writing nothing, while a file that is there has not been read whole.
    FileStatus SaveAppData();
    // Whether the registry stands for the file: read whole, or there was none.
    bool Read() const { return read_; }
    // Whether the file must be read before the registry is acted on: not read whole yet,
    // or another program changed it since it was last read or written.
    bool Stale() const { return !read_ || appFile_.ChangedOnDisk(); }

    AppRegistry& Registry() { return registry_; }
    const AppRegistry& Registry() const { return registry_; }
    const RecordFile& AppFile() const { return appFile_; }

private:
    // What the registry changed since saved_, made on onto: a save that failed must not
    // lose the user's change to a file another program changed meanwhile.
    void ReplayUnsaved(AppRegistry& onto) const;

    const LeadBytes& leads_;
    AppRegistry registry_;
    AppRegistry saved_;  // as the file held it when last read whole or written
    RecordFile appFile_;
    bool read_ = true;
};

}  // namespace mirelka
