#include "ui/ShortcutPicker.h"

#include <string>

#include "launch/Shortcut.h"
#include "ports/DialogView.h"
#include "ports/FileDialog.h"
#include "ports/ShortcutReader.h"
#include "resources/ResourceIds.h"
#include "resources/Texts.h"
#include "text/MbString.h"

namespace mirelka {

namespace {

// The shell's CSIDL numbers of the three folders.
int CsidlOf(ShortcutPicker::Folder folder) {
    switch (folder) {
        case ShortcutPicker::Folder::StartMenu:
            return 2;  // CSIDL_PROGRAMS
        case ShortcutPicker::Folder::CommonStartMenu:
            return 23;  // CSIDL_COMMON_PROGRAMS
        case ShortcutPicker::Folder::Desktop:
            break;
    }
    return 0;  // CSIDL_DESKTOP
}

}  // namespace

void ShortcutPicker::Browse(Folder folder) {
    FileDialog::Request request;
    request.title = text::kShortcutDialogTitle;
    request.defaultExtension = text::kShortcutExtension;
    request.filters = {{text::kShortcutFilterName, text::kShortcutFilterPattern}};
    if (const auto initial = fileDialog_.SpecialFolder(CsidlOf(folder))) {
        request.initialFolder = *initial;
    }
    const auto chosen = fileDialog_.ChooseFile(request);
    if (!chosen) {
        return;
    }
    view_.SetText(IDC_SHORTCUT, *chosen);
    ShortcutToFields();
}

bool ShortcutPicker::ShortcutToFields() {
    view_.SetText(IDC_TARGET, "");
    view_.SetText(IDC_WORKDIR, "");
    // Trimmed for the look-up only: the control keeps what it shows. The box, the reader
    // and the two fields all speak UTF-8, so any path reads and shows exactly.
    const std::string path(Trim(view_.Text(IDC_SHORTCUT)));
    if (path.empty() || !shortcuts_.Load(path)) {
        return false;
    }
    std::string value;
    if (ShortcutProgram(shortcuts_, path, value)) {
        view_.SetText(IDC_TARGET, value);
    }
    if (shortcuts_.WorkingDirectory(value)) {
        view_.SetText(IDC_WORKDIR, value);
    }
    return true;
}

}  // namespace mirelka
