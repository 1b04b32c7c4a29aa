#include "Shortcuts.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <array>
#include <stdexcept>
#include <string>

#include "ComPtr.h"
#include "Harness.h"

namespace mirelka::e2e {

namespace {

class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        // Only a successful call (S_FALSE included) is ours to balance.
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

void Check(HRESULT result, const char* what, const std::wstring& link) {
    if (FAILED(result)) {
        throw std::runtime_error(std::string(what) + " failed with " +
                                 std::to_string(static_cast<unsigned long>(result)) + ": " +
                                 Utf8(link));
    }
}

ComPtr<IShellLinkW> NewShellLink(const std::wstring& link) {
    ComPtr<IShellLinkW> shellLink;
    Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                           shellLink.PutVoid()),
          "CoCreateInstance(CLSID_ShellLink)", link);
    return shellLink;
}

ComPtr<IPersistFile> PersistFileOf(const ComPtr<IShellLinkW>& shellLink, const std::wstring& link) {
    ComPtr<IPersistFile> file;
    Check(shellLink->QueryInterface(IID_IPersistFile, file.PutVoid()),
          "QueryInterface(IPersistFile)", link);
    return file;
}

}  // namespace

void MakeShortcut(const std::wstring& link, const std::wstring& target,
                  const std::wstring& workingFolder) {
    const ComScope com;
    {
        const ComPtr<IShellLinkW> shellLink = NewShellLink(link);
        Check(shellLink->SetPath(target.c_str()), "IShellLinkW::SetPath", link);
        if (!workingFolder.empty()) {
            Check(shellLink->SetWorkingDirectory(workingFolder.c_str()),
                  "IShellLinkW::SetWorkingDirectory", link);
        }
        Check(PersistFileOf(shellLink, link)->Save(link.c_str(), TRUE), "IPersistFile::Save", link);
    }

    const ComPtr<IShellLinkW> readBack = NewShellLink(link);
    Check(PersistFileOf(readBack, link)->Load(link.c_str(), STGM_READ), "IPersistFile::Load", link);
    std::array<wchar_t, MAX_PATH> path{};
    std::array<wchar_t, MAX_PATH> folder{};
    Check(readBack->GetPath(path.data(), MAX_PATH, nullptr, SLGP_RAWPATH), "IShellLinkW::GetPath",
          link);
    Check(readBack->GetWorkingDirectory(folder.data(), MAX_PATH),
          "IShellLinkW::GetWorkingDirectory", link);
    if (path.data() != target || folder.data() != workingFolder) {
        throw std::runtime_error("the shortcut " + Utf8(link) + " holds '" + Utf8(path.data()) +
                                 "' in '" + Utf8(folder.data()) + "', not '" + Utf8(target) +
                                 "' in '" + Utf8(workingFolder) + "'");
    }
}

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
