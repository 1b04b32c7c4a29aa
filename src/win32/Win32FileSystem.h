#pragma once

#include "ports/FileSystem.h"
#include "UniqueHandle.h"

namespace mirelka {

// Files through the wide (W) functions: paths arrive in UTF-8.
class Win32FileSystem final : public FileSystem {
public:
    using FileSystem::OpenRead;
    std::unique_ptr<ReadStream> OpenRead(const std::string& path, OpenFailure& failure) override;
    std::unique_ptr<WriteStream> OpenWrite(const std::string& path) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool HasAttributes(const std::string& path) override;
    std::optional<FileStamp> Stamp(const std::string& path) override;
    void Pause(unsigned milliseconds) override;
};

class Win32ReadStream final : public ReadStream {
public:
    explicit Win32ReadStream(UniqueFile file) : file_(std::move(file)) {}
    Status Read(char* buffer, std::size_t capacity, std::size_t& count) override;

private:
    UniqueFile file_;
};

class Win32WriteStream final : public WriteStream {
public:
    explicit Win32WriteStream(UniqueFile file) : file_(std::move(file)) {}
    ~Win32WriteStream() override;
    Win32WriteStream(const Win32WriteStream&) = delete;
    Win32WriteStream& operator=(const Win32WriteStream&) = delete;

    bool Write(std::string_view bytes) override;
    bool Close() override;

private:
    UniqueFile file_;
    bool failed_ = false;
};

}  // namespace mirelka
