#include "Win32FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "Win32CodePage.h"

namespace mirelka {

namespace {

std::optional<std::wstring> Usable(const std::string& path) {
    return path.empty() ? std::nullopt : WideExact(path);
}

// ReadFile and WriteFile count in DWORD.
constexpr std::size_t kMaxChunk = 1u << 30;

}  // namespace

std::unique_ptr<ReadStream> Win32FileSystem::OpenRead(const std::string& path,
                                                      OpenFailure& failure) {
    // A path that names no file names no file that could be lost either.
    failure = OpenFailure::Missing;
    const std::optional<std::wstring> wide = Usable(path);
    if (!wide) {
        return nullptr;
    }
    UniqueFile file(CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
    if (!file) {
        // Only these two say the file is absent; a sharing or lock violation, access denied
        // or a network error leave a file there that we must not take for none.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            failure = OpenFailure::Unreadable;
        }
        return nullptr;
    }
    failure = OpenFailure::None;
    return std::make_unique<Win32ReadStream>(std::move(file));
}

std::unique_ptr<WriteStream> Win32FileSystem::OpenWrite(const std::string& path) {
    const std::optional<std::wstring> wide = Usable(path);
    if (!wide) {
        return nullptr;
    }
    UniqueFile file(CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return nullptr;
    }
    return std::make_unique<Win32WriteStream>(std::move(file));
}

bool Win32FileSystem::Replace(const std::string& from, const std::string& to) {
    // Not ReplaceFile: it fails when to does not exist yet, and part-way it can leave
    // neither file under the name to.
    const std::optional<std::wstring> source = Usable(from);
    const std::optional<std::wstring> target = Usable(to);
    return source && target &&
           MoveFileExW(source->c_str(), target->c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileSystem::Remove(const std::string& path) {
    const std::optional<std::wstring> wide = Usable(path);
    return wide && DeleteFileW(wide->c_str()) != FALSE;
}

bool Win32FileSystem::HasAttributes(const std::string& path) {
    const std::optional<std::wstring> wide = Usable(path);
    return wide && GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FileStamp> Win32FileSystem::Stamp(const std::string& path) {
    // From the folder's entry, not an open handle: a file another program holds without
    // sharing still answers.
    const std::optional<std::wstring> wide = Usable(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!wide || !GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.lastWrite = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

void Win32FileSystem::Pause(unsigned milliseconds) {
    Sleep(milliseconds);
}

ReadStream::Status Win32ReadStream::Read(char* buffer, std::size_t capacity, std::size_t& count) {
    if (!file_) {
        return Status::Error;
    }
    if (capacity == 0) {
        count = 0;
        return Status::Data;
    }
    DWORD got = 0;
    const auto want = static_cast<DWORD>(std::min(capacity, kMaxChunk));
    if (!ReadFile(file_.get(), buffer, want, &got, nullptr)) {
        return Status::Error;
    }
    if (got == 0) {
        return Status::End;
    }
    count = got;
    return Status::Data;
}

Win32WriteStream::~Win32WriteStream() {
    if (file_) {
        Close();
    }
}

bool Win32WriteStream::Write(std::string_view bytes) {
    if (!file_ || failed_) {
        return false;
    }
    while (!bytes.empty()) {
        DWORD put = 0;
        const auto want = static_cast<DWORD>(std::min(bytes.size(), kMaxChunk));
        if (!WriteFile(file_.get(), bytes.data(), want, &put, nullptr) || put == 0 || put > want) {
            failed_ = true;
            return false;
        }
        bytes.remove_prefix(put);
    }
    return true;
}

bool Win32WriteStream::Close() {
    if (!file_) {
        return false;
    }
    const bool flushed = FlushFileBuffers(file_.get()) != FALSE;
    // Closed here, not by the owner, to see whether it failed.
    const bool closed = CloseHandle(file_.release()) != FALSE;
    return flushed && closed && !failed_;
}

}  // namespace mirelka
