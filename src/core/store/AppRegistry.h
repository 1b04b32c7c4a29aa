#pragma once

#include <cstdint>
#include <vector>

#include "store/AppEntry.h"
#include "text/LeadBytes.h"

namespace mirelka {

// The registrations in strictly ascending title order (_mbscmp), one per title. The
// registry is small (the tray menu dispatches at most 1000 entries): linear walks and
// single-entry moves are all it needs.
class AppRegistry {
public:
    explicit AppRegistry(const LeadBytes& leads) : leads_(leads) {}

    void Clear();
    // Trades contents with other: a file read whole replaces the registry in one step.
    void Swap(AppRegistry& other) noexcept;
    // The entry with key's title, or null. Stops at the first greater title.
    AppEntry* Find(const AppEntry& key);
    const AppEntry* Find(const AppEntry& key) const;
    // Adds a copy in title order; false when the title is present (or memory ran out).
    bool Insert(const AppEntry& entry);
    // Removes the entry with key's title; false when there is none. The cursor stays.
    bool Remove(const AppEntry& key);

    // Visits copies of the entries in order, leaving the cursor on the one visited.
    template <typename Visit>
    void ForEach(Visit visit) {
        for (std::int32_t i = 0; i < Count(); ++i) {
            cursor_ = i;
            const AppEntry copy = At(i);
            visit(copy);
        }
    }

    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    const AppEntry& At(std::int32_t index) const {
        return entries_[static_cast<std::size_t>(index)];
    }
    std::int32_t Cursor() const { return cursor_; }
    void SetCursor(std::int32_t index) { cursor_ = index; }

    // _mbscmp of the titles.
    int Compare(const AppEntry& a, const AppEntry& b) const;

private:
    // Where Find found key's title; Count() when it didn't.
    std::size_t IndexOf(const AppEntry& key) const;

    const LeadBytes& leads_;
    std::vector<AppEntry> entries_;
    std::int32_t cursor_ = -1;
};

}  // namespace mirelka
