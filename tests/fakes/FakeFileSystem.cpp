#include "fakes/FakeFileSystem.h"

#include <algorithm>
#include <cstring>

namespace mirelka::test {

class FakeReadStream final : public ReadStream {
public:
    FakeReadStream(FakeFileSystem& fs, std::string path, std::string content)
        : fs_(fs), path_(std::move(path)), content_(std::move(content)) {
        ++fs_.readers_[path_];
    }
    ~FakeReadStream() override {
        if (--fs_.readers_[path_] == 0) {
            fs_.readers_.erase(path_);
        }
    }

    Status Read(char* buffer, std::size_t capacity, std::size_t& count) override {
        if (fs_.readFailsAfter && pos_ >= *fs_.readFailsAfter) {
            return Status::Error;
        }
        if (pos_ >= content_.size()) {
            return Status::End;
        }
        std::size_t n = std::min({capacity, fs_.readChunk, content_.size() - pos_});
        if (fs_.readFailsAfter) {
            n = std::min(n, *fs_.readFailsAfter - pos_);
        }
        std::memcpy(buffer, content_.data() + pos_, n);
        pos_ += n;
        count = n;
        return Status::Data;
    }

private:
    FakeFileSystem& fs_;
    std::string path_;
    std::string content_;
    std::size_t pos_ = 0;
};

class FakeWriteStream final : public WriteStream {
public:
    FakeWriteStream(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
        fs_.held_.insert(path_);
        fs_.files[path_].clear();
    }
    ~FakeWriteStream() override { fs_.held_.erase(path_); }

    bool Write(std::string_view bytes) override {
        std::string& file = fs_.files[path_];
        if (fs_.writeLimit) {
            const std::size_t room = *fs_.writeLimit > written_ ? *fs_.writeLimit - written_ : 0;
            if (bytes.size() > room) {
                file.append(bytes.substr(0, room));
                written_ += room;
                return false;
            }
        }
        file.append(bytes);
        written_ += bytes.size();
        return true;
    }
    bool Close() override {
        fs_.held_.erase(path_);
        return !fs_.failClose;
    }

private:
    FakeFileSystem& fs_;
    std::string path_;
    std::size_t written_ = 0;
};

std::unique_ptr<ReadStream> FakeFileSystem::OpenRead(const std::string& path,
                                                     OpenFailure& failure) {
    const auto it = files.find(path);
    failure = OpenFailure::Missing;
    if (it == files.end()) {
        return nullptr;
    }
    failure = OpenFailure::Unreadable;
    if (unreadable.count(path) != 0 || held_.count(path) != 0) {
        return nullptr;
    }
    failure = OpenFailure::None;
    return std::make_unique<FakeReadStream>(*this, path, it->second);
}

std::unique_ptr<WriteStream> FakeFileSystem::OpenWrite(const std::string& path) {
    if (uncreatable.count(path) != 0 || held_.count(path) != 0 || ReadersOf(path) > 0) {
        return nullptr;
    }
    return std::make_unique<FakeWriteStream>(*this, path);
}

bool FakeFileSystem::Replace(const std::string& from, const std::string& to) {
    // Like the real thing: no file that anyone has open is moved or replaced.
    if (unreplaceable.count(to) != 0 || held_.count(from) != 0 || held_.count(to) != 0 ||
        ReadersOf(from) > 0 || ReadersOf(to) > 0 || files.count(from) == 0) {
        return false;
    }
    files[to] = std::move(files[from]);
    files.erase(from);
    return true;
}

bool FakeFileSystem::Remove(const std::string& path) {
    if (held_.count(path) != 0 || ReadersOf(path) > 0) {
        return false;
    }
    return files.erase(path) != 0;
}

}  // namespace mirelka::test
