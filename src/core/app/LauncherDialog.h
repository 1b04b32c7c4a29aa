#pragma once

#include <cstdint>
#include <string>

#include "ports/CodePage.h"
#include "ports/DialogView.h"
#include "ports/FileSystem.h"
#include "store/AppRegistry.h"
#include "store/RecordFile.h"

namespace mirelka {

// What the main dialog talks to the world through.
struct Ports {
    DialogView& view;
    FileSystem& files;
    const CodePage& codePage;
};

// The main dialog's state and handlers. The Win32 window procedure turns messages into
// calls here; nothing in this class knows about windows.
class LauncherDialog {
public:
    LauncherDialog(const Ports& ports, std::string executablePath);
    LauncherDialog(const LauncherDialog&) = delete;
    LauncherDialog& operator=(const LauncherDialog&) = delete;

    bool OnInitDialog();

    bool LoadAppData();
    bool SaveAppData();
    void FillTitleBox();

    AppRegistry& Registry() { return registry_; }
    const RecordFile& AppFile() const { return appFile_; }
    const RecordFile& ModeFile() const { return modeFile_; }
    const std::string& ExecutablePath() const { return executablePath_; }
    bool VisibilityFlag() const { return visible_ != 0; }

private:
    // Shows the message for a failed read or write of file; openFailedText for a file
    // that could not be created or replaced.
    void ReportFileError(const RecordFile& file, const char* openFailedText);
    std::string Utf8(const std::string& ansi) const { return ports_.codePage.ToUtf8(ansi); }

    Ports ports_;
    RecordFile modeFile_;
    std::uint8_t visible_ = 0;
    AppRegistry registry_;
    RecordFile appFile_;
    std::string executablePath_;
};

}  // namespace mirelka
