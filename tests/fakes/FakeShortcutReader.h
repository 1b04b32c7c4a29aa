#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ports/ShortcutReader.h"

namespace mirelka::test {

// Shortcut files as a table of path -> target and working folder.
class FakeShortcutReader final : public ShortcutReader {
public:
    struct Link {
        std::string target;
        std::string workingDirectory;
        bool resolves = true;  // Load fails when false
        bool targetReadable = true;
        bool folderReadable = true;
    };
    std::map<std::string, Link> links;
    bool available = true;  // Create fails when false
    std::vector<std::string> calls;
    std::function<void()> onLoad;  // the shell's dialog, running our messages meanwhile

    bool Create() override;
    bool Load(const std::string& path) override;
    bool Target(std::string& out) override;
    bool WorkingDirectory(std::string& out) override;

private:
    bool created_ = false;
    const Link* loaded_ = nullptr;
};

}  // namespace mirelka::test
