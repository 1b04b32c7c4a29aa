// The code-page string rules on any bytes and any lead-byte table: _mbscmp order is a
// total order that tells every two strings apart, scans only ever stop where a character
// starts, trimming takes ASCII white space only, and atol wraps like 64-bit arithmetic
// reduced modulo 2^32.

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "text/MbString.h"

namespace {

using mirelka::LeadBytes;
using mirelka::fuzz::CharStarts;
using mirelka::fuzz::IsCSpace;

constexpr std::size_t npos = std::string_view::npos;

// The characters' code values: lead * 256 + trail for a double-byte character.
std::vector<unsigned> Codes(const LeadBytes& leads, std::string_view s) {
    const std::vector<bool> starts = CharStarts(leads, s);
    std::vector<unsigned> codes;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (starts[i]) {
            codes.push_back(b);
        } else {
            codes.back() = codes.back() * 256u + b;
        }
    }
    return codes;
}

void CheckCompare(const LeadBytes& leads, const std::string& a, const std::string& b,
                  const std::string& c) {
    const int ab = mirelka::MbsCompare(leads, a, b);
    const int ba = mirelka::MbsCompare(leads, b, a);
    FUZZ_CHECK(ab == -1 || ab == 0 || ab == 1);
    FUZZ_CHECK(ab == -ba);
    FUZZ_CHECK((ab == 0) == (a == b));
    FUZZ_CHECK(mirelka::MbsCompare(leads, a, a) == 0);
    // Character by character, a string before every longer one it begins.
    const std::vector<unsigned> ca = Codes(leads, a);
    const std::vector<unsigned> cb = Codes(leads, b);
    const int model = std::lexicographical_compare(ca.begin(), ca.end(), cb.begin(), cb.end())
                          ? -1
                          : (ca == cb ? 0 : 1);
    FUZZ_CHECK(ab == model);
    // Transitive, so a sorted registry stays sorted.
    const int bc = mirelka::MbsCompare(leads, b, c);
    const int ac = mirelka::MbsCompare(leads, a, c);
    if (ab <= 0 && bc <= 0) {
        FUZZ_CHECK(ac <= 0);
    }
    if (ab >= 0 && bc >= 0) {
        FUZZ_CHECK(ac >= 0);
    }
}

void CheckScans(const LeadBytes& leads, const std::string& s, char sep, const std::string& set) {
    const std::vector<bool> starts = CharStarts(leads, s);
    auto single = [&](std::size_t i) { return starts[i] && starts[i + 1]; };

    for (std::size_t i = 0; i < s.size(); ++i) {
        if (starts[i]) {
            FUZZ_CHECK(mirelka::CharLength(leads, s, i) == (starts[i + 1] ? 1u : 2u));
        }
    }

    std::size_t first = npos;
    for (std::size_t i = 0; i < s.size() && first == npos; ++i) {
        if (single(i) && s[i] == sep) {
            first = i;
        }
    }
    FUZZ_CHECK(mirelka::MbsFind(leads, s, sep) == first);

    std::size_t lastOf = npos;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (single(i) && set.find(s[i]) != npos) {
            lastOf = i;
        }
    }
    FUZZ_CHECK(mirelka::MbsFindLastOf(leads, s, set) == lastOf);

    // Tokens lie end to end, one separator apart, and each separator starts a character.
    std::string_view rest = s;
    std::size_t expectedStart = 0;
    std::size_t tokens = 0;
    do {
        const std::string_view token = mirelka::MbsNextToken(leads, rest, sep);
        FUZZ_CHECK(++tokens <= s.size() + 1);
        const auto start = static_cast<std::size_t>(token.data() - s.data());
        FUZZ_CHECK(token.empty() || start == expectedStart);
        const std::size_t end = expectedStart + token.size();
        FUZZ_CHECK(end <= s.size());
        FUZZ_CHECK(mirelka::MbsFind(leads, token, sep) == npos);
        if (end < s.size()) {
            FUZZ_CHECK(s[end] == sep && single(end));
            FUZZ_CHECK(rest.data() == s.data() + end + 1 && rest.size() == s.size() - end - 1);
        } else {
            FUZZ_CHECK(rest.empty());
        }
        expectedStart = end + 1;
    } while (!rest.empty());
}

void CheckTrim(const std::string& s) {
    const std::string_view sv = s;
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsCSpace(s[begin])) {
        ++begin;
    }
    while (end > begin && IsCSpace(s[end - 1])) {
        --end;
    }
    const std::string_view trimmed = mirelka::Trim(sv);
    FUZZ_CHECK(trimmed.data() == sv.data() + begin && trimmed.size() == end - begin);
    std::size_t leftBegin = 0;
    while (leftBegin < s.size() && IsCSpace(s[leftBegin])) {
        ++leftBegin;
    }
    FUZZ_CHECK(mirelka::TrimLeft(sv) == sv.substr(leftBegin));
    std::size_t rightEnd = s.size();
    while (rightEnd > 0 && IsCSpace(s[rightEnd - 1])) {
        --rightEnd;
    }
    FUZZ_CHECK(mirelka::TrimRight(sv) == sv.substr(0, rightEnd));
}

void CheckAtol(const std::string& s, std::int32_t value) {
    const std::int32_t parsed = mirelka::Atol(s);
    FUZZ_CHECK(parsed == mirelka::fuzz::ModelAtol(s));
    // The C library agrees wherever its own range reaches.
    std::size_t i = 0;
    while (i < s.size() && IsCSpace(s[i])) {
        ++i;
    }
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i + digits < s.size() && s[i + digits] >= '0' && s[i + digits] <= '9') {
        ++digits;
    }
    if (digits <= 18) {
        errno = 0;
        const long long wide = std::strtoll(s.c_str(), nullptr, 10);
        FUZZ_CHECK(errno == 0);
        const auto low = static_cast<std::uint32_t>(static_cast<unsigned long long>(wide));
        FUZZ_CHECK(static_cast<std::uint32_t>(parsed) == low);
    }
    FUZZ_CHECK(mirelka::Atol(mirelka::FormatInt(value)) == value);
}

void CheckReplaceArg(const std::string& pattern, const std::string& arg) {
    std::string model;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, "%1") == 0) {
            model += arg;
            ++i;
        } else {
            model += pattern[i];
        }
    }
    FUZZ_CHECK(mirelka::ReplaceArg(pattern, arg) == model);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto choice = input.ConsumeIntegral<std::uint8_t>();
    const auto first = input.ConsumeIntegral<std::uint8_t>();
    const auto last = input.ConsumeIntegral<std::uint8_t>();
    const LeadBytes leads = mirelka::fuzz::LeadsFrom(choice, first, last);
    const char sep = input.ConsumeBool() ? '\t' : input.ConsumeIntegral<char>();
    const auto value = input.ConsumeIntegral<std::int32_t>();
    const std::string set = input.ConsumeRandomLengthString(4);
    const std::string a = input.ConsumeRandomLengthString(64);
    const std::string b = input.ConsumeRandomLengthString(64);
    const std::string c = input.ConsumeRemainingBytesAsString();

    for (unsigned byte = 0; byte < 256; ++byte) {
        const auto ch = static_cast<char>(byte);
        FUZZ_CHECK(mirelka::IsAsciiSpace(ch) == IsCSpace(ch));
    }
    CheckCompare(leads, a, b, c);
    CheckCompare(leads, b, c, a);
    CheckScans(leads, a, sep, set);
    CheckScans(leads, c, sep, set);
    CheckTrim(a);
    CheckTrim(c);
    CheckAtol(a, value);
    CheckAtol(b, value);
    CheckReplaceArg(a, b);
    return 0;
}
