#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "ports/FileSystem.h"

namespace mirelka::test {

// Files in memory, with the sharing rules of the real adapter and faults on request.
class FakeFileSystem final : public FileSystem {
public:
    std::map<std::string, std::string> files;

    // Faults.
    std::set<std::string> unreadable;           // OpenRead fails: there, but held or refused
    std::set<std::string> uncreatable;          // OpenWrite fails
    std::set<std::string> unreplaceable;        // Replace onto this path fails
    std::optional<std::size_t> writeLimit;      // total bytes a write stream takes, then fails
    bool failClose = false;                     // the flush on close fails
    std::optional<std::size_t> readFailsAfter;  // bytes a read stream gives, then an error
    std::size_t readChunk = 4096;               // bytes per Read call at most
    unsigned paused = 0;                        // milliseconds Pause let pass in all
    std::function<void()> onPause;              // the world moving on meanwhile

    using FileSystem::OpenRead;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path, OpenFailure& failure) override;
    std::unique_ptr<WriteStream> OpenWrite(const std::string& path) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool HasAttributes(const std::string& path) override { return files.count(path) != 0; }
    // Any other content counts as another last-write time: a clock finer than any disk's.
    std::optional<FileStamp> Stamp(const std::string& path) override {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt
                                 : std::optional(FileStamp{it->second.size(),
                                                           std::hash<std::string>{}(it->second)});
    }
    void Pause(unsigned milliseconds) override {
        paused += milliseconds;
        if (onPause) {
            onPause();
        }
    }

    bool Exists(const std::string& path) const { return files.count(path) != 0; }
    bool IsHeld(const std::string& path) const { return held_.count(path) != 0; }
    int ReadersOf(const std::string& path) const {
        const auto it = readers_.find(path);
        return it == readers_.end() ? 0 : it->second;
    }

private:
    friend class FakeReadStream;
    friend class FakeWriteStream;
    std::set<std::string> held_;          // open for writing
    std::map<std::string, int> readers_;  // open for reading
};

}  // namespace mirelka::test
