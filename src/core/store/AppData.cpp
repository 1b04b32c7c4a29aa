// LauncherDialog: the application registry and AppData.txt.
#include "app/LauncherDialog.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"

namespace mirelka {

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
    return Rewrite(appFile_, text::kCannotOpenAppData, [&] {
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

void LauncherDialog::FillTitleBox() {
    ports_.view.ComboReset(IDC_TITLE);
    registry_.ForEach(
        [&](const AppEntry& entry) { ports_.view.ComboAdd(IDC_TITLE, Utf8(entry.title)); });
}

}  // namespace mirelka
