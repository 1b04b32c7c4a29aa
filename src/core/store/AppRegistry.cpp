#include "store/AppRegistry.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "text/MbString.h"

// The array holds pointers to entries: sizeof(AppEntry*) is the size of its slot.
// NOLINTBEGIN(bugprone-sizeof-expression)
namespace mirelka {

int AppRegistry::Compare(const AppEntry& a, const AppEntry& b) const {
    const int result = MbsCompare(leads_, a.title, b.title);
    return ascending_ != 0 ? result : -result;
}

void AppRegistry::Clear() {
    for (std::int32_t i = 0; i < count_; ++i) {
        delete items_[i];
    }
    std::free(items_);
    items_ = nullptr;
    count_ = 0;
    cursor_ = -1;
    ascending_ = 1;
}

void AppRegistry::Swap(AppRegistry& other) noexcept {
    std::swap(count_, other.count_);
    std::swap(items_, other.items_);
    std::swap(cursor_, other.cursor_);
    std::swap(ascending_, other.ascending_);
}

AppEntry* AppRegistry::Find(const AppEntry& key) {
    for (std::int32_t i = 0; i < count_; ++i) {
        const int order = Compare(*items_[i], key);
        if (order == 0) {
            return items_[i];
        }
        if (order > 0) {
            break;
        }
    }
    return nullptr;
}

bool AppRegistry::Insert(const AppEntry& entry) {
    std::int32_t position = count_;
    // Past the last title means past every title: the file the program writes itself is
    // in order, so loading it doesn't walk the whole registry for every line.
    const bool appends = count_ > 0 && Compare(*items_[count_ - 1], entry) < 0;
    for (std::int32_t i = 0; i < count_ && !appends; ++i) {
        const int order = Compare(*items_[i], entry);
        if (order == 0) {
            return false;
        }
        if (order > 0) {
            position = i;
            break;
        }
    }
    AppEntry* copy = new (std::nothrow) AppEntry(entry);
    if (copy == nullptr) {
        return false;
    }
    const auto slots = static_cast<std::size_t>(count_) + 1;
    void* grown = std::realloc(items_, slots * sizeof(AppEntry*));
    if (grown == nullptr) {
        delete copy;
        return false;
    }
    items_ = static_cast<AppEntry**>(grown);
    const auto tail = static_cast<std::size_t>(count_ - position);
    std::memmove(items_ + position + 1, items_ + position, tail * sizeof(AppEntry*));
    items_[position] = copy;
    ++count_;
    return true;
}

bool AppRegistry::Remove(const AppEntry& key) {
    std::int32_t index = -1;
    for (std::int32_t i = 0; i < count_; ++i) {
        if (MbsCompare(leads_, items_[i]->title, key.title) == 0) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        return false;
    }
    delete items_[index];
    const auto tail = static_cast<std::size_t>(count_ - index - 1);
    std::memmove(items_ + index, items_ + index + 1, tail * sizeof(AppEntry*));
    if (count_ == 1) {
        std::free(items_);
        items_ = nullptr;
    } else {
        // Shrinking cannot fail in a way that matters: keep the larger block if it does.
        void* shrunk =
            std::realloc(items_, static_cast<std::size_t>(count_ - 1) * sizeof(AppEntry*));
        if (shrunk != nullptr) {
            items_ = static_cast<AppEntry**>(shrunk);
        }
    }
    --count_;
    return true;
}

}  // namespace mirelka
// NOLINTEND(bugprone-sizeof-expression)
