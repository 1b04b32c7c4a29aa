#pragma once

namespace mirelka {

class DialogView;
class FileDialog;
class ShortcutReader;

// The application tab's shortcut: the three browse buttons and their file dialog, and the
// target and working folder shown for the shortcut the field names.
class ShortcutPicker {
public:
    enum class Folder { StartMenu, CommonStartMenu, Desktop };

    ShortcutPicker(DialogView& view, ShortcutReader& shortcuts, FileDialog& fileDialog)
        : view_(view), shortcuts_(shortcuts), fileDialog_(fileDialog) {}

    // The file dialog in folder; the shortcut chosen goes into the field.
    void Browse(Folder folder);
    // The target and working folder of the shortcut the field names; false (both empty)
    // when it can't be read.
    bool ShortcutToFields();

private:
    DialogView& view_;
    ShortcutReader& shortcuts_;
    FileDialog& fileDialog_;
};

}  // namespace mirelka
