#include "text/MbString.h"

namespace mirelka {

std::size_t CharLength(const LeadBytes& leads, std::string_view s, std::size_t pos) {
    if (leads.IsLead(s[pos]) && pos + 1 < s.size() && LeadBytes::CanTrail(s[pos + 1])) {
        return 2;
    }
    return 1;
}

int MbsCompare(const LeadBytes& leads, std::string_view a, std::string_view b) {
    // Code values are unsigned; char and unsigned char may alias each other.
    // NOLINTBEGIN(cppcoreguidelines-pro-type-reinterpret-cast)
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    // NOLINTEND(cppcoreguidelines-pro-type-reinterpret-cast)
    const std::size_t na = a.size();
    const std::size_t nb = b.size();
    // Equal characters have equal lengths, so one index walks both strings.
    for (std::size_t i = 0;;) {
        // The shorter string ends with its terminator, which is below every character.
        if (i == na || i == nb) {
            return i == na ? (i == nb ? 0 : -1) : 1;
        }
        const bool doubleA = leads.IsLead(pa[i]) && i + 1 < na && LeadBytes::CanTrail(pa[i + 1]);
        const bool doubleB = leads.IsLead(pb[i]) && i + 1 < nb && LeadBytes::CanTrail(pb[i + 1]);
        const unsigned ca = doubleA ? pa[i] * 256u + pa[i + 1] : pa[i];
        const unsigned cb = doubleB ? pb[i] * 256u + pb[i + 1] : pb[i];
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        i += doubleA ? 2 : 1;
    }
}

std::size_t MbsFind(const LeadBytes& leads, std::string_view s, char c) {
    for (std::size_t i = 0; i < s.size(); i += CharLength(leads, s, i)) {
        if (s[i] == c && CharLength(leads, s, i) == 1) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::size_t MbsFindLastOf(const LeadBytes& leads, std::string_view s, std::string_view set) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += CharLength(leads, s, i)) {
        if (CharLength(leads, s, i) == 1 && set.find(s[i]) != std::string_view::npos) {
            found = i;
        }
    }
    return found;
}

std::string_view MbsNextToken(const LeadBytes& leads, std::string_view& rest, char sep) {
    const std::size_t at = MbsFind(leads, rest, sep);
    if (at == std::string_view::npos) {
        const std::string_view token = rest;
        rest = std::string_view();
        return token;
    }
    const std::string_view token = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    return token;
}

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsAsciiSpace(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsAsciiSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

std::int32_t Atol(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsAsciiSpace(s[i])) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(s[i] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    // Two's complement reinterpretation, well defined since C++20 and on every compiler we use.
    return static_cast<std::int32_t>(value);
}

std::string FormatInt(std::int32_t value) {
    return std::to_string(value);
}

std::string ReplaceArg(std::string_view pattern, std::string_view arg) {
    std::string out;
    out.reserve(pattern.size() + arg.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '1') {
            out.append(arg);
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

}  // namespace mirelka
