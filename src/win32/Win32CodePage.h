#pragma once

#include "ports/CodePage.h"

namespace mirelka {

// An ANSI code page of the system (the active one by default), converted with the
// system's own tables.
class Win32CodePage final : public CodePage {
public:
    Win32CodePage();  // the active ANSI code page
    explicit Win32CodePage(unsigned codePage);

    const LeadBytes& Leads() const override { return leads_; }
    std::string ToUtf8(std::string_view ansi) const override;
    std::optional<std::string> ToUtf8Exact(std::string_view ansi) const override;
    std::optional<std::string> FromUtf8Exact(std::string_view utf8) const override;

    unsigned Number() const { return codePage_; }

private:
    unsigned codePage_;
    LeadBytes leads_;
};

// Any code page (CP_ACP, CP_UTF8, 932, ...) to and from UTF-16, with the system's
// substitutes and best fits; empty when it can't convert. Never for data text.
std::wstring ToWide(unsigned codePage, std::string_view bytes);
std::string FromWide(unsigned codePage, std::wstring_view text);

// The exact conversions between a code page and UTF-16, used for all data text: none when
// anything would be lost or changed. The flags follow the code page (CP_ACP is resolved
// first), as Windows refuses some flags for some code pages.
std::optional<std::wstring> ToWideExact(unsigned codePage, std::string_view bytes);
std::optional<std::string> FromWideExact(unsigned codePage, std::wstring_view text);

// A UTF-8 text for the wide API, exactly: none when it isn't UTF-8, or holds a NUL, which
// would reach the API cut short (a path naming some other file).
std::optional<std::wstring> WideExact(std::string_view utf8);

// UTF-8 to and from UTF-16 for the wide API: the interface's texts and the paths that
// never reach a data file.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace mirelka
