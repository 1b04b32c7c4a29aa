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
    std::string FromUtf8(std::string_view utf8) const override;
    std::optional<std::string> ToUtf8Exact(std::string_view ansi) const override;
    std::optional<std::string> FromUtf8Exact(std::string_view utf8) const override;

    unsigned Number() const { return codePage_; }

private:
    unsigned codePage_;
    LeadBytes leads_;
};

// Any code page (CP_ACP, CP_UTF8, 932, ...) to and from UTF-16; empty when it can't convert.
std::wstring ToWide(unsigned codePage, std::string_view bytes);
std::string FromWide(unsigned codePage, std::wstring_view text);

// Exact conversions between a code page and UTF-16: none when anything would be lost.
std::optional<std::wstring> ToWideExact(unsigned codePage, std::string_view bytes);
std::optional<std::string> FromWideExact(unsigned codePage, std::wstring_view text);

// UTF-8 to and from UTF-16 for the wide API.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace mirelka
