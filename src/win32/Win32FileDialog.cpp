#include "Win32FileDialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "SystemLibrary.h"
#include "Win32CodePage.h"

namespace mirelka {

std::optional<std::string> Win32FileDialog::SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathW(owner_, path, csidl, FALSE)) {
        return std::nullopt;
    }
    return Narrow(path);
}

std::optional<std::string> Win32FileDialog::ChooseFile(const Request& request) {
    // "description\0pattern\0...\0\0"
    std::wstring filter;
    for (const Filter& entry : request.filters) {
        filter += Widen(entry.description);
        filter.push_back(L'\0');
        filter += Widen(entry.pattern);
        filter.push_back(L'\0');
    }
    filter.push_back(L'\0');
    const std::wstring title = Widen(request.title);
    const std::wstring extension = Widen(request.defaultExtension);
    const std::wstring folder = Widen(request.initialFolder);

    wchar_t file[MAX_PATH + 1] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;  // disabled while the file dialog is open
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH + 1;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.c_str();
    // OFN_NODEREFERENCELINKS: the shortcut file itself, not where it points.
    dialog.Flags = OFN_READONLY | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                   OFN_NODEREFERENCELINKS | OFN_ENABLESIZING | OFN_EXPLORER;
    // Loaded at the first browse, from the system folder only: with the print spooler it pulls
    // in, it would cost the resident program 0.8 MiB for a dialog most sessions never open.
    if (!library_) {
        library_ = LoadSystemLibrary(L"comdlg32.dll");
    }
    const auto open = SystemProc<decltype(GetOpenFileNameW)>(library_, "GetOpenFileNameW");
    if (open == nullptr) {
        return std::nullopt;
    }
    // The dialog makes the folder it browsed our current directory (OFN_NOCHANGEDIR doesn't
    // hold for an open dialog), which would keep that folder open: put ours back.
    std::wstring current(MAX_PATH + 1, L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
    current.resize(length < current.size() ? length : 0);
    const BOOL chosen = open(&dialog);
    if (!current.empty()) {
        SetCurrentDirectoryW(current.c_str());
    }
    if (!chosen) {
        return std::nullopt;
    }
    return Narrow(file);
}

}  // namespace mirelka
