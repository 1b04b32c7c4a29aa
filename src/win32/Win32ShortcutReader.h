#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComPtr.h"
#include "UniqueHandle.h"
#include "ports/ShortcutReader.h"

namespace mirelka {

// The shell's own shortcut object (wide interface), created once and reused per file.
class Win32ShortcutReader final : public ShortcutReader {
public:
    Win32ShortcutReader() = default;
    ~Win32ShortcutReader() override;
    Win32ShortcutReader(const Win32ShortcutReader&) = delete;
    Win32ShortcutReader& operator=(const Win32ShortcutReader&) = delete;

    // The window the shell's search and "problem with shortcut" dialogs belong to: without
    // one they may open behind ours, which meanwhile takes no click.
    void Attach(HWND owner) { owner_ = owner; }

    bool Create() override;
    bool Load(const std::string& path) override;
    bool Target(std::string& out) override;
    bool WorkingDirectory(std::string& out) override;
    bool Arguments(std::string& out) override;
    Flags LinkFlags() override;
    std::optional<std::string> InstalledProgram(const std::string& path) override;
    WindowShow ShowCommand() override;
    std::optional<Item> TargetItem() override;

private:
    HWND owner_ = nullptr;
    bool comInitialized_ = false;
    ComPtr<IShellLinkW> link_;
    ComPtr<IPersistFile> file_;
    UniqueModule msi_;  // loaded at the first installer shortcut
};

}  // namespace mirelka
