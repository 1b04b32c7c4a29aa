#pragma once

#include <memory>

#include "app/LauncherDialog.h"
#include "fakes/FakeDisplayDriver.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeModeListAccess.h"
#include "fakes/FakeProcessRunner.h"
#include "fakes/FakeShortcutReader.h"
#include "fakes/FakeTray.h"
#include "fakes/FakeView.h"
#include "fakes/TestCodePage.h"

namespace mirelka::test {

// Every port of the main dialog, faked, with code page 932 unless told otherwise.
struct FakePlatform {
    FakePlatform() = default;
    explicit FakePlatform(std::unique_ptr<CodePage> ansi) : codePage(std::move(ansi)) {}

    FakeView view;
    FakeFileSystem files;
    FakeDisplayDriver display;
    FakeShortcutReader shortcuts;
    FakeProcessRunner processes;
    FakeTrayIcon tray;
    FakePopupMenu menu;
    FakeFileDialog fileDialog;
    FakeModeListAccess modeAccess;
    std::unique_ptr<CodePage> codePage = MakeCp932();

    Ports MakePorts() {
        return Ports{view,      files, *codePage, display,    shortcuts,
                     processes, tray,  menu,      fileDialog, modeAccess};
    }
};

}  // namespace mirelka::test
