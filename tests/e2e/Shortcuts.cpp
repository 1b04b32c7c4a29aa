#include "Shortcuts.h"

#include <string>

#include "Harness.h"

namespace mirelka::e2e {

ProbeApp MakeProbeApp(const TempFolder& in, std::wstring_view name,
                      std::optional<unsigned> sleepMs) {
    ProbeApp app;
    app.folder = in.MakeFolder(name);
    app.exe = app.folder + L"\\probe.exe";
    CopyInto(ProbePath(), app.exe);
    if (sleepMs) {
        WriteBytes(app.exe + L".sleep", std::to_string(*sleepMs));
    }
    app.shortcut = app.folder + L"\\probe.lnk";
    MakeShortcut(app.shortcut, app.exe, app.folder);
    app.log = ProbeLogOf(app.exe);
    return app;
}

}  // namespace mirelka::e2e
