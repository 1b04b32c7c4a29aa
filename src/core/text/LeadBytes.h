#pragma once

#include <array>

namespace mirelka {

// Which bytes of an ANSI code page start a double-byte character.
class LeadBytes {
public:
    // A single-byte code page (1252 and the like): no lead bytes.
    static LeadBytes None() { return LeadBytes(); }
    // Code page 932 (Shift-JIS): 0x81-0x9F and 0xE0-0xFC.
    static LeadBytes Cp932() {
        LeadBytes leads;
        leads.AddRange(0x81, 0x9F);
        leads.AddRange(0xE0, 0xFC);
        return leads;
    }

    void AddRange(unsigned first, unsigned last) {
        for (unsigned b = first; b <= last && b < 256; ++b) {
            lead_[b] = true;
            any_ = true;
        }
    }
    bool IsLead(unsigned char b) const { return lead_[b]; }
    bool IsLead(char b) const { return IsLead(static_cast<unsigned char>(b)); }
    bool Any() const { return any_; }

    // No double-byte code page of Windows (932, 936, 949, 950) has a trail byte below 0x40:
    // after a lead byte, a TAB, CR, LF, NUL, digit, '/' or ':' is a character of its own.
    static bool CanTrail(unsigned char b) { return b >= 0x40; }
    static bool CanTrail(char b) { return CanTrail(static_cast<unsigned char>(b)); }

private:
    // A plain table: this is asked once per byte of every title comparison.
    std::array<bool, 256> lead_{};
    bool any_ = false;
};

}  // namespace mirelka
