#pragma once

// What the fuzz targets share: a check that stops the run with a message, the code pages
// to try, well-formed code page 932 text, and plain models of the rules to compare with.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/LeadBytes.h"

// A failed property is a crash to libFuzzer: it keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

namespace mirelka::fuzz {

// Code page 932, a single-byte code page, or any range of lead bytes in the upper half,
// where every double-byte code page has them (a NUL or ASCII lead byte would make a
// double-byte character equal to a single one: no such code page exists).
inline LeadBytes LeadsFrom(std::uint8_t choice, std::uint8_t first, std::uint8_t last) {
    switch (choice % 3) {
        case 0:
            return LeadBytes::Cp932();
        case 1:
            return LeadBytes::None();
        default: {
            LeadBytes leads;
            leads.AddRange(0x80u | first, 0x80u | last);
            return leads;
        }
    }
}

inline bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline bool IsCp932Trail(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Bytes that end a field, a line or the file.
inline bool IsRecordBreaker(unsigned char b) {
    return b == '\t' || b == '\n' || b == '\r' || b == 0x1A || b == 0;
}

// Text a record field can hold and give back, valid code page text or not: any byte but the
// record breakers. A lead byte before the TAB or the line end is a character of its own.
inline bool IsCleanField(std::string_view s) {
    for (const char c : s) {
        if (IsRecordBreaker(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// Up to maxChars characters of well-formed code page 932 without record breakers.
inline std::string CleanCp932(FuzzedDataProvider& data, std::size_t maxChars) {
    const std::size_t count = data.ConsumeIntegralInRange<std::size_t>(0, maxChars);
    std::string out;
    for (std::size_t n = 0; n < count && data.remaining_bytes() > 0; ++n) {
        auto b = data.ConsumeIntegral<unsigned char>();
        if (IsCp932Lead(b)) {
            // 0x40-0x7E then 0x80-0xFC: 188 trail bytes.
            auto t = static_cast<unsigned>(data.ConsumeIntegralInRange<unsigned>(0, 187) + 0x40);
            if (t >= 0x7F) {
                ++t;
            }
            out.push_back(static_cast<char>(b));
            out.push_back(static_cast<char>(t));
        } else if (!IsRecordBreaker(b)) {
            out.push_back(static_cast<char>(b));
        }
    }
    return out;
}

// Byte positions where characters start: a lead byte followed by a byte of 0x40 or above
// makes one character of two (no Windows code page has a lower trail byte).
inline std::vector<bool> CharStarts(const LeadBytes& leads, std::string_view s) {
    std::vector<bool> starts(s.size() + 1, false);
    std::size_t i = 0;
    while (i < s.size()) {
        starts[i] = true;
        const bool pair =
            leads.IsLead(s[i]) && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x40;
        i += pair ? 2 : 1;
    }
    starts[s.size()] = true;
    return starts;
}

// What NextField hands out for a line, one after the other: the text up to each TAB that
// starts a character; an empty line, and the empty rest after a final TAB, give none.
inline std::vector<std::string> ModelFields(const LeadBytes& leads, const std::string& line) {
    const std::vector<bool> starts = CharStarts(leads, line);
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (starts[i] && starts[i + 1] && line[i] == '\t') {
            fields.push_back(field);
            field.clear();
        } else {
            field.push_back(line[i]);
        }
    }
    if (!field.empty()) {
        fields.push_back(field);
    }
    return fields;
}

inline bool IsCSpace(char c) {
    return c != '\0' && std::string_view(" \t\n\v\f\r").find(c) != std::string_view::npos;
}

// atol with 64-bit arithmetic, reduced modulo 2^32 after every digit.
inline std::int32_t ModelAtol(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsCSpace(s[i])) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = (value * 10 + (s[i] - '0')) % (std::int64_t{1} << 32);
    }
    if (negative) {
        value = -value;
    }
    // Into [-2^31, 2^31).
    value = ((value % (std::int64_t{1} << 32)) + (std::int64_t{1} << 32)) % (std::int64_t{1} << 32);
    if (value >= (std::int64_t{1} << 31)) {
        value -= std::int64_t{1} << 32;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace mirelka::fuzz
