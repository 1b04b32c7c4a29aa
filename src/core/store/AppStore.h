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

    // Replaces the registry with the file's entries. CannotOpen: there is no file to read,
    // the registry is empty. ReadFailed: it holds what was read before the failure.
    FileStatus LoadAppData();
    FileStatus SaveAppData();

    AppRegistry& Registry() { return registry_; }
    const AppRegistry& Registry() const { return registry_; }
    const RecordFile& AppFile() const { return appFile_; }

private:
    AppRegistry registry_;
    RecordFile appFile_;
};

}  // namespace mirelka
