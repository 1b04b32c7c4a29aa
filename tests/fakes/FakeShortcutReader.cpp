#include "fakes/FakeShortcutReader.h"

namespace mirelka::test {

bool FakeShortcutReader::Create() {
    created_ = available;
    return created_;
}

bool FakeShortcutReader::Load(const std::string& path) {
    loaded_ = nullptr;
    if (onLoad) {
        onLoad();
    }
    if (!created_) {
        return false;
    }
    const auto it = links.find(path);
    if (it == links.end() || !it->second.resolves) {
        return false;
    }
    loaded_ = &it->second;
    return true;
}

bool FakeShortcutReader::Target(std::string& out) {
    out.clear();
    if (loaded_ == nullptr || !loaded_->targetReadable) {
        return false;
    }
    out = loaded_->target;
    return true;
}

bool FakeShortcutReader::WorkingDirectory(std::string& out) {
    out.clear();
    if (loaded_ == nullptr || !loaded_->folderReadable) {
        return false;
    }
    out = loaded_->workingDirectory;
    return true;
}

}  // namespace mirelka::test
