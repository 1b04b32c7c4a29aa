#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "ports/ShortcutReader.h"

namespace mirelka::test {

// Shortcut files as a table of path -> what the link holds, and the installer's table of
// the installer shortcuts whose product it knows.
class FakeShortcutReader final : public ShortcutReader {
public:
    struct Link {
        Link(std::string to = {}, std::string folder = {})
            : target(std::move(to)), workingDirectory(std::move(folder)) {}
        std::string target;
        std::string workingDirectory;
        bool resolves = true;  // Load fails when false
        bool targetReadable = true;
        bool folderReadable = true;
        std::string arguments;
        Flags flags;
        WindowShow show = WindowShow::Normal;
        std::optional<Item> item;  // a link to no file or folder: its target is empty
    };
    std::map<std::string, Link> links;
    std::map<std::string, std::string> installed;  // installer shortcut -> program
    bool available = true;                         // Create fails when false
    std::function<void()> onLoad;  // the shell's dialog, running our messages meanwhile

    bool Create() override;
    bool Load(const std::string& path) override;
    bool Target(std::string& out) override;
    bool WorkingDirectory(std::string& out) override;
    bool Arguments(std::string& out) override {
        out = loaded_ != nullptr ? loaded_->arguments : "";
        return loaded_ != nullptr;
    }
    Flags LinkFlags() override { return loaded_ != nullptr ? loaded_->flags : Flags{}; }
    WindowShow ShowCommand() override {
        return loaded_ != nullptr ? loaded_->show : WindowShow::Normal;
    }
    std::optional<Item> TargetItem() override {
        return loaded_ != nullptr ? loaded_->item : std::nullopt;
    }
    std::optional<std::string> InstalledProgram(const std::string& path) override {
        const auto it = installed.find(path);
        return it != installed.end() ? std::optional(it->second) : std::nullopt;
    }

private:
    bool created_ = false;
    const Link* loaded_ = nullptr;
};

}  // namespace mirelka::test
