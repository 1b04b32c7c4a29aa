#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComPtr.h"
#include "ports/ShortcutReader.h"

namespace mirelka {

// The shell's own shortcut object (ANSI interface), created once and reused per file.
class Win32ShortcutReader final : public ShortcutReader {
public:
    Win32ShortcutReader() = default;
    ~Win32ShortcutReader() override;
    Win32ShortcutReader(const Win32ShortcutReader&) = delete;
    Win32ShortcutReader& operator=(const Win32ShortcutReader&) = delete;

    bool Create() override;
    bool Load(const std::string& path) override;
    bool Target(std::string& out) override;
    bool WorkingDirectory(std::string& out) override;

private:
    bool comInitialized_ = false;
    ComPtr<IShellLinkA> link_;
    ComPtr<IPersistFile> file_;
};

}  // namespace mirelka
