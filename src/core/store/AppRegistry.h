#pragma once

#include <cstdint>

#include "store/AppEntry.h"
#include "text/LeadBytes.h"

namespace mirelka {

// The registrations in strictly ascending title order (_mbscmp), one per title.
//
// The pointer array lives on the C heap and grows and shrinks one slot at a time: the
// registry is small (the tray menu dispatches at most 1000 entries) and linear walks
// and single-slot moves are all it needs.
class AppRegistry {
public:
    explicit AppRegistry(const LeadBytes& leads) : leads_(leads) {}
    ~AppRegistry() { Clear(); }
    AppRegistry(const AppRegistry&) = delete;
    AppRegistry& operator=(const AppRegistry&) = delete;

    void Clear();
    // Trades contents with other: a file read whole replaces the registry in one step.
    void Swap(AppRegistry& other) noexcept;
    // The entry with key's title, or null. Stops at the first greater title.
    AppEntry* Find(const AppEntry& key);
    // Adds a copy in title order; false when the title is present (or memory ran out).
    bool Insert(const AppEntry& entry);
    // Removes the entry with key's title; false when there is none.
    bool Remove(const AppEntry& key);

    // Visits copies of the entries in order, leaving the cursor on the one visited.
    template <typename Visit>
    void ForEach(Visit visit) {
        for (std::int32_t i = 0; i < count_; ++i) {
            cursor_ = i;
            const AppEntry copy = *items_[i];
            visit(copy);
        }
    }

    std::int32_t Count() const { return count_; }
    const AppEntry& At(std::int32_t index) const { return *items_[index]; }
    std::int32_t Cursor() const { return cursor_; }
    void SetCursor(std::int32_t index) { cursor_ = index; }

    // _mbscmp of the titles, negated when the order is descending.
    int Compare(const AppEntry& a, const AppEntry& b) const;

private:
    const LeadBytes& leads_;
    std::int32_t count_ = 0;
    AppEntry** items_ = nullptr;  // exactly count_ slots, C heap; null when empty
    std::int32_t cursor_ = -1;
    std::uint8_t ascending_ = 1;
};

}  // namespace mirelka
