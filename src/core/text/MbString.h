#pragma once

// Byte strings in an ANSI code page, handled the way the C runtime's _mbs functions do:
// a lead byte followed by a byte that can trail (0x40 or above) is one character, so a
// trail byte that happens to equal '\\' or '|' is never taken for one, and a stray lead
// byte never swallows a TAB or a line end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/LeadBytes.h"

namespace mirelka {

// Byte length of the character starting at pos (1 or 2).
std::size_t CharLength(const LeadBytes& leads, std::string_view s, std::size_t pos);

// _mbscmp: -1, 0 or +1 by code value, double-byte characters counting as lead*256+trail.
int MbsCompare(const LeadBytes& leads, std::string_view a, std::string_view b);

// First position of the single-byte character c, or npos.
std::size_t MbsFind(const LeadBytes& leads, std::string_view s, char c);

// Position of the last single-byte character that is one of set, or npos.
std::size_t MbsFindLastOf(const LeadBytes& leads, std::string_view s, std::string_view set);

// Splits at every single-byte sep; a sep inside a double-byte character does not count.
// "a|b||" gives {"a", "b", "", ""}.
std::string_view MbsNextToken(const LeadBytes& leads, std::string_view& rest, char sep);

// ASCII white space only (0x09-0x0D, 0x20); the full-width space is text.
bool IsAsciiSpace(char c);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);
std::string_view Trim(std::string_view s);

// The runtime's atol: leading white space, one sign, decimal digits up to the first
// other byte, 0 without digits, wrapping modulo 2^32 beyond the 32-bit range.
std::int32_t Atol(std::string_view s);

// %d
std::string FormatInt(std::int32_t value);

// Replaces every "%1" in pattern with arg (no format-string interpretation).
std::string ReplaceArg(std::string_view pattern, std::string_view arg);

}  // namespace mirelka
