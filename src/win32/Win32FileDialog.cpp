#include "Win32FileDialog.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "ComPtr.h"
#include "UniqueHandle.h"
#include "Win32CodePage.h"

namespace mirelka {

std::optional<std::string> Win32FileDialog::SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathW(owner_, path, csidl, FALSE)) {
        return std::nullopt;
    }
    return Narrow(path);
}

// The common item dialog, not GetOpenFileNameW: from Windows 7 on, that one opens in the last
// folder used whenever lpstrInitialDir equals the folder of the program's first use of the
// dialog, so the button used first would open wherever the user last browsed. SetFolder
// overrides every remembered folder. COM is initialised on this thread (apartment-threaded)
// by the shortcut reader at start-up.
std::optional<std::string> Win32FileDialog::ChooseFile(const Request& request) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, dialog.PutVoid()))) {
        return std::nullopt;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options))) {
        return std::nullopt;
    }
    // FOS_NODEREFERENCELINKS: the shortcut file itself, not where it points.
    // FOS_NOCHANGEDIR: the folder browsed must not become our current directory, which would
    // keep it open (and decide where a shortcut without a working folder starts).
    options |= FOS_NODEREFERENCELINKS | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST |
               FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR;
    if (FAILED(dialog->SetOptions(options))) {
        return std::nullopt;
    }

    std::vector<std::wstring> texts;
    texts.reserve(request.filters.size() * 2);  // the specs point into these
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const Filter& entry : request.filters) {
        texts.push_back(Widen(entry.description));
        texts.push_back(Widen(entry.pattern));
        specs.push_back({texts[texts.size() - 2].c_str(), texts.back().c_str()});
    }
    if (!specs.empty()) {
        dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
        dialog->SetFileTypeIndex(1);
    }
    dialog->SetTitle(Widen(request.title).c_str());
    dialog->SetDefaultExtension(Widen(request.defaultExtension).c_str());
    if (!request.initialFolder.empty()) {
        ComPtr<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(Widen(request.initialFolder).c_str(), nullptr,
                                                  IID_IShellItem, folder.PutVoid()))) {
            dialog->SetFolder(folder.Get());
        }
    }

    // Put back by hand too: the old dialog ignored its own no-change flag, and nothing is
    // lost by not trusting this one's.
    std::wstring current(MAX_PATH + 1, L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
    current.resize(length < current.size() ? length : 0);
    // The owner stays disabled while the dialog is open; cancelling gives ERROR_CANCELLED.
    const HRESULT shown = dialog->Show(owner_);
    if (!current.empty()) {
        SetCurrentDirectoryW(current.c_str());
    }
    if (FAILED(shown)) {
        return std::nullopt;
    }
    ComPtr<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.Put()))) {
        return std::nullopt;
    }
    PWSTR path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        return std::nullopt;
    }
    const UniqueCoTaskString owned(path);
    return Narrow(owned.get());
}

}  // namespace mirelka
