#include "Win32ShortcutReader.h"

#include <msi.h>
#include <objbase.h>

#include <vector>

#include "SystemLibrary.h"
#include "Win32CodePage.h"

namespace mirelka {

namespace {

// UTF-16 from the shell, UTF-8 for the core: exactly, or not at all.
bool ToUtf8(const wchar_t* text, std::string& out) {
    std::optional<std::string> utf8 = FromWideExact(CP_UTF8, text);
    if (!utf8) {
        return false;
    }
    out = std::move(*utf8);
    return true;
}

std::optional<std::wstring> ToPath(const std::string& utf8) {
    return utf8.empty() ? std::nullopt : WideExact(utf8);
}

}  // namespace

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
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link_.PutVoid()))) {
        link_.Reset();
        return false;
    }
    return SUCCEEDED(link_->QueryInterface(IID_IPersistFile, file_.PutVoid()));
}

bool Win32ShortcutReader::Load(const std::string& path) {
    // Converted exactly: the ANSI path of the data file came through the code page's exact
    // conversion, never with MB_PRECOMPOSED, which a UTF-8 ANSI code page refuses.
    const std::optional<std::wstring> wide = ToPath(path);
    if (!file_ || !wide || FAILED(file_->Load(wide->c_str(), STGM_READ))) {
        return false;
    }
    return link_->Resolve(owner_, SLR_UPDATE) == S_OK;
}

bool Win32ShortcutReader::Target(std::string& out) {
    out.clear();
    if (!link_) {
        return false;
    }
    wchar_t buffer[MAX_PATH] = {};
    WIN32_FIND_DATAW found{};
    const HRESULT result = link_->GetPath(buffer, MAX_PATH, &found, 0);
    // S_FALSE: read, but the link names no file or folder (TargetItem says what it names).
    return result == S_FALSE || (result == S_OK && ToUtf8(buffer, out));
}

bool Win32ShortcutReader::WorkingDirectory(std::string& out) {
    out.clear();
    if (!link_) {
        return false;
    }
    wchar_t buffer[MAX_PATH] = {};
    return link_->GetWorkingDirectory(buffer, MAX_PATH) == S_OK && ToUtf8(buffer, out);
}

bool Win32ShortcutReader::Arguments(std::string& out) {
    out.clear();
    if (!link_) {
        return false;
    }
    // GetArguments truncates without a word; a command line holds 32767 characters at
    // most, so arguments that fill this buffer couldn't be passed whole anyway.
    std::vector<wchar_t> buffer(32768, L'\0');
    if (link_->GetArguments(buffer.data(), static_cast<int>(buffer.size())) != S_OK) {
        return false;
    }
    buffer.back() = L'\0';
    return wcslen(buffer.data()) < buffer.size() - 1 && ToUtf8(buffer.data(), out);
}

ShortcutReader::Flags Win32ShortcutReader::LinkFlags() {
    Flags flags;
    ComPtr<IShellLinkDataList> data;
    DWORD bits = 0;
    if (link_ && SUCCEEDED(link_->QueryInterface(IID_IShellLinkDataList, data.PutVoid())) &&
        SUCCEEDED(data->GetFlags(&bits))) {
        flags.runAsAdministrator = (bits & SLDF_RUNAS_USER) != 0;
        flags.advertised = (bits & SLDF_HAS_DARWINID) != 0;
    }
    return flags;
}

WindowShow Win32ShortcutReader::ShowCommand() {
    int show = SW_SHOWNORMAL;
    if (!link_ || FAILED(link_->GetShowCmd(&show))) {
        return WindowShow::Normal;
    }
    // Explorer writes SW_SHOWMINNOACTIVE for "Minimized"; GetShowCmd's page names
    // SW_SHOWMINIMIZED. Anything else starts as a program chooses, as "Normal" does.
    switch (show) {
        case SW_SHOWMINNOACTIVE:
        case SW_SHOWMINIMIZED:
            return WindowShow::Minimized;
        case SW_SHOWMAXIMIZED:
            return WindowShow::Maximized;
        default:
            return WindowShow::Normal;
    }
}

std::optional<ShortcutReader::Item> Win32ShortcutReader::TargetItem() {
    // The same question Target asks, without the find data.
    wchar_t path[MAX_PATH] = {};
    if (!link_ || (link_->GetPath(path, MAX_PATH, nullptr, 0) == S_OK && path[0] != L'\0')) {
        return std::nullopt;
    }
    PIDLIST_ABSOLUTE raw = nullptr;
    if (link_->GetIDList(&raw) != S_OK || raw == nullptr) {
        return std::nullopt;
    }
    const UniqueIdList list(raw);
    PWSTR rawName = nullptr;
    const HRESULT named = SHGetNameFromIDList(raw, SIGDN_NORMALDISPLAY, &rawName);
    const UniqueCoTaskString name(rawName);
    Item item;
    if (FAILED(named) || !name || !ToUtf8(name.get(), item.displayName)) {
        item.displayName.clear();  // still opened; only ﾘﾝｸ先 stays empty
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw);
    item.idList.assign(bytes, bytes + ILGetSize(raw));
    return item;
}

std::optional<std::string> Win32ShortcutReader::InstalledProgram(const std::string& path) {
    const std::optional<std::wstring> link = ToPath(path);
    if (!link) {
        return std::nullopt;
    }
    if (!msi_) {
        msi_ = LoadSystemLibrary(L"msi.dll");
    }
    const auto shortcutTarget =
        SystemProc<decltype(MsiGetShortcutTargetW)>(msi_, "MsiGetShortcutTargetW");
    const auto componentPath =
        SystemProc<decltype(MsiGetComponentPathW)>(msi_, "MsiGetComponentPathW");
    wchar_t product[39] = {};
    wchar_t component[39] = {};
    if (shortcutTarget == nullptr || componentPath == nullptr ||
        shortcutTarget(link->c_str(), product, nullptr, component) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // A path only for a component installed here: one run from its source, absent or
    // advertised only has no program to start.
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const INSTALLSTATE state = componentPath(product, component, buffer.data(), &size);
        // A buffer too small is documented only by the length given back (no terminator
        // counted) next to the component's state; the path left in it is cut short.
        if (state == INSTALLSTATE_MOREDATA ||
            (state == INSTALLSTATE_LOCAL && size >= buffer.size())) {
            buffer.assign(size + 1, L'\0');
            continue;
        }
        std::string program;
        if (state != INSTALLSTATE_LOCAL || !ToUtf8(buffer.data(), program) || program.empty()) {
            return std::nullopt;
        }
        return program;
    }
    return std::nullopt;
}

}  // namespace mirelka
