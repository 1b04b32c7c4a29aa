#include "app/LauncherDialog.h"

#include "app/ResourceIds.h"
#include "app/Texts.h"
#include "text/MbString.h"

namespace mirelka {

LauncherDialog::LauncherDialog(const Ports& ports, std::string executablePath)
    : ports_(ports),
      modeFile_(ports.files, ports.codePage.Leads()),
      registry_(ports.codePage.Leads()),
      appFile_(ports.files, ports.codePage.Leads()),
      executablePath_(std::move(executablePath)) {}

bool LauncherDialog::OnInitDialog() {
    ports_.view.SetIcons();

    // Beside the executable, whatever the current directory is.
    modeFile_.SetBasePath(executablePath_.c_str());
    modeFile_.SetFileName("ScreenMode.txt");
    appFile_.SetBasePath(executablePath_.c_str());
    appFile_.SetFileName("AppData.txt");

    LoadAppData();
    return true;
}

bool LauncherDialog::LoadAppData() {
    registry_.Clear();
    if (!appFile_.Open(RecordFile::Mode::Read)) {
        return false;
    }
    AppEntry entry;
    while (appFile_.ReadLine()) {
        ParseAppEntry(appFile_, entry);
        // The first of two equal titles wins; the rest are dropped without a word.
        registry_.Insert(entry);
    }
    if (appFile_.LastError() != RecordFile::Error::None) {
        ReportFileError(appFile_, text::kCannotOpenAppData);
        appFile_.Close();
        return false;
    }
    appFile_.Close();
    FillTitleBox();
    return true;
}

bool LauncherDialog::SaveAppData() {
    if (!appFile_.Open(RecordFile::Mode::Write)) {
        ports_.view.ShowMessage(text::kCannotOpenAppData, MessageType::Error);
        return false;
    }
    bool written = true;
    registry_.ForEach([&](const AppEntry& entry) {
        if (written) {
            FormatAppEntry(appFile_, entry);
            written = appFile_.WriteLine();
        }
    });
    if (!written || !appFile_.Close()) {
        appFile_.Abandon();
        ReportFileError(appFile_, text::kCannotOpenAppData);
        return false;
    }
    ports_.view.Beep();
    return true;
}

void LauncherDialog::FillTitleBox() {
    ports_.view.ComboReset(IDC_TITLE);
    registry_.ForEach(
        [&](const AppEntry& entry) { ports_.view.ComboAdd(IDC_TITLE, Utf8(entry.title)); });
}

void LauncherDialog::ReportFileError(const RecordFile& file, const char* openFailedText) {
    switch (file.LastError()) {
        case RecordFile::Error::None:
            return;
        case RecordFile::Error::Replace:
            ports_.view.ShowMessage(openFailedText, MessageType::Error);
            return;
        case RecordFile::Error::Write:
            ports_.view.ShowMessage(ReplaceArg(text::kDiskFull, Utf8(file.Path())),
                                    MessageType::Error);
            return;
        case RecordFile::Error::Read:
            ports_.view.ShowMessage(ReplaceArg(text::kReadError, Utf8(file.Path())),
                                    MessageType::Error);
            return;
    }
}

}  // namespace mirelka
