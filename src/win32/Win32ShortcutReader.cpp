#include "Win32ShortcutReader.h"

#include <objbase.h>

namespace mirelka {

Win32ShortcutReader::~Win32ShortcutReader() {
    file_.Reset();
    link_.Reset();
    // Only a successful initialisation is ours to undo; an unbalanced call would tear
    // down COM under whoever initialised it.
    if (comInitialized_) {
        CoUninitialize();
    }
}

bool Win32ShortcutReader::Create() {
    if (link_) {
        return static_cast<bool>(file_);
    }
    const HRESULT init = CoInitialize(nullptr);
    if (SUCCEEDED(init)) {
        comInitialized_ = true;
    }
    if (init == E_UNEXPECTED || init == E_OUTOFMEMORY || init == E_INVALIDARG) {
        return false;
    }
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link_.PutVoid()))) {
        link_.Reset();
        return false;
    }
    return SUCCEEDED(link_->QueryInterface(IID_IPersistFile, file_.PutVoid()));
}

bool Win32ShortcutReader::Load(const std::string& path) {
    if (!file_) {
        return false;
    }
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path.c_str(), -1, widePath, MAX_PATH) == 0) {
        return false;
    }
    if (FAILED(file_->Load(widePath, STGM_READ))) {
        return false;
    }
    return link_->Resolve(nullptr, SLR_UPDATE) == S_OK;
}

bool Win32ShortcutReader::Target(std::string& out) {
    out.clear();
    if (!link_) {
        return false;
    }
    char buffer[MAX_PATH] = {};
    WIN32_FIND_DATAA found{};
    if (link_->GetPath(buffer, MAX_PATH, &found, 0) != S_OK) {
        return false;
    }
    out = buffer;
    return true;
}

bool Win32ShortcutReader::WorkingDirectory(std::string& out) {
    out.clear();
    if (!link_) {
        return false;
    }
    char buffer[MAX_PATH] = {};
    if (link_->GetWorkingDirectory(buffer, MAX_PATH) != S_OK) {
        return false;
    }
    out = buffer;
    return true;
}

}  // namespace mirelka
