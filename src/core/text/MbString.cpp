#include "text/MbString.h"

namespace mirelka {

std::size_t CharLength(const LeadBytes& leads, std::string_view s, std::size_t pos) {
    if (leads.IsLead(s[pos]) && pos + 1 < s.size() && s[pos + 1] != '\0') {
        return 2;
    }
    return 1;
}

namespace {

unsigned CharValue(std::string_view s, std::size_t pos, std::size_t len) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    return len == 2 ? byte(pos) * 256u + byte(pos + 1) : byte(pos);
}

}  // namespace

int MbsCompare(const LeadBytes& leads, std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t la = CharLength(leads, a, i);
        const std::size_t lb = CharLength(leads, b, j);
        const unsigned ca = CharValue(a, i, la);
        const unsigned cb = CharValue(b, j, lb);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        i += la;
        j += lb;
    }
    // The shorter string ends with its terminator, which is below every character.
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
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
