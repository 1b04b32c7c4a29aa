#pragma once

#include <string>

namespace mirelka {

// Shortcut (.lnk) files, one loaded at a time. Paths are ANSI code page bytes.
class ShortcutReader {
public:
    virtual ~ShortcutReader() = default;

    // Prepares the reader; false when it can't be had (every other call then fails).
    virtual bool Create() = 0;
    // Loads path and resolves its target, following a moved target where it can.
    virtual bool Load(const std::string& path) = 0;
    virtual bool Target(std::string& out) = 0;
    virtual bool WorkingDirectory(std::string& out) = 0;
};

}  // namespace mirelka
