#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ports/WindowShow.h"

namespace mirelka {

// Shortcut (.lnk) files, one loaded at a time. Every path and text is UTF-8.
class ShortcutReader {
public:
    virtual ~ShortcutReader() = default;

    // Prepares the reader; false when it can't be had (every other call then fails).
    virtual bool Create() = 0;
    // Loads path and resolves its target, following a moved target where it can.
    virtual bool Load(const std::string& path) = 0;
    // The path the shell link holds; for an installer shortcut, a file of the installer's.
    // Empty for a link to no file or folder (see TargetItem).
    virtual bool Target(std::string& out) = 0;
    // As stored: "%VAR%" is not expanded.
    virtual bool WorkingDirectory(std::string& out) = 0;
    virtual bool Arguments(std::string& out) = 0;

    struct Flags {
        bool runAsAdministrator = false;  // the shortcut's own "run as administrator" box
        bool advertised = false;          // made by the Windows Installer
    };
    virtual Flags LinkFlags() = 0;
    virtual WindowShow ShowCommand() = 0;

    // What a link without a file-system target (an application dragged from Start) names:
    // the shell's item-ID list, as bytes, and the shell's name for it. None for the others.
    struct Item {
        std::vector<unsigned char> idList;
        std::string displayName;
    };
    virtual std::optional<Item> TargetItem() = 0;
    // The program an installer shortcut at path stands for, where it is installed locally;
    // none when the installer can't say.
    virtual std::optional<std::string> InstalledProgram(const std::string& path) = 0;
};

}  // namespace mirelka
