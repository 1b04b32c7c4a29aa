#include "store/AppRegistry.h"

#include <new>
#include <utility>

#include "text/MbString.h"

namespace mirelka {

int AppRegistry::Compare(const AppEntry& a, const AppEntry& b) const {
    return MbsCompare(leads_, a.title, b.title);
}

void AppRegistry::Clear() {
    std::vector<AppEntry>().swap(entries_);
    cursor_ = -1;
}

void AppRegistry::Swap(AppRegistry& other) noexcept {
    entries_.swap(other.entries_);
    std::swap(cursor_, other.cursor_);
}

std::size_t AppRegistry::IndexOf(const AppEntry& key) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const int order = Compare(entries_[i], key);
        if (order == 0) {
            return i;
        }
        if (order > 0) {
            break;
        }
    }
    return entries_.size();
}

const AppEntry* AppRegistry::Find(const AppEntry& key) const {
    const std::size_t index = IndexOf(key);
    return index < entries_.size() ? &entries_[index] : nullptr;
}

AppEntry* AppRegistry::Find(const AppEntry& key) {
    const std::size_t index = IndexOf(key);
    return index < entries_.size() ? &entries_[index] : nullptr;
}

bool AppRegistry::Insert(const AppEntry& entry) {
    auto position = entries_.end();
    // Past the last title means past every title: the file the program writes itself is
    // in order, so loading it doesn't walk the whole registry for every line.
    if (entries_.empty() || Compare(entries_.back(), entry) >= 0) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            const int order = Compare(*it, entry);
            if (order == 0) {
                return false;
            }
            if (order > 0) {
                position = it;
                break;
            }
        }
    }
    // The user hears "登録に失敗しました" instead of the program ending.
    try {
        entries_.insert(position, entry);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool AppRegistry::Remove(const AppEntry& key) {
    // A plain scan, without Find's early stop.
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (MbsCompare(leads_, it->title, key.title) == 0) {
            entries_.erase(it);
            if (entries_.empty()) {
                std::vector<AppEntry>().swap(entries_);
            }
            return true;
        }
    }
    return false;
}

}  // namespace mirelka
