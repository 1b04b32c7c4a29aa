#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mirelka {

class ReadStream {
public:
    virtual ~ReadStream() = default;
    enum class Status { Data, End, Error };
    // Reads up to capacity bytes; count is set on Data.
    virtual Status Read(char* buffer, std::size_t capacity, std::size_t& count) = 0;
};

class WriteStream {
public:
    virtual ~WriteStream() = default;
    virtual bool Write(std::string_view bytes) = 0;
    // Flushes to the disk and closes; false when any of it failed.
    virtual bool Close() = 0;
};

// What tells one state of a file from another without reading it.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;  // the system's file time
    bool operator==(const FileStamp& other) const {
        return size == other.size && lastWrite == other.lastWrite;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Files by their UTF-8 paths, whatever the ANSI code page: any folder name works. A data-text
// path (a stored shortcut) is converted exactly before it is handed here. What the files
// hold is bytes, not converted. Nothing here shows a message.
class FileSystem {
public:
    // Why a file could not be opened for reading: an absent file is an empty store, one
    // that is there but held or refused must never be written over as if it were absent.
    enum class OpenFailure { None, Missing, Unreadable };

    virtual ~FileSystem() = default;

    // An existing file; others may read it meanwhile but not write it. Null on failure,
    // and why in failure.
    virtual std::unique_ptr<ReadStream> OpenRead(const std::string& path, OpenFailure& failure) = 0;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path) {
        OpenFailure ignored = OpenFailure::None;
        return OpenRead(path, ignored);
    }
    // Creates or empties path and holds it exclusively until closed. Null on failure.
    virtual std::unique_ptr<WriteStream> OpenWrite(const std::string& path) = 0;
    // Moves from over to, replacing to if it exists; durable once it returns true.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Whether the system can read the path's attributes: it exists and is reachable.
    virtual bool HasAttributes(const std::string& path) = 0;
    // The path's size and last-write time, read without opening it (a file held by another
    // program has them too); none when they can't be read: gone, or unreachable.
    virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;
    // Lets time pass before a file is tried again.
    virtual void Pause(unsigned milliseconds) = 0;
};

}  // namespace mirelka
