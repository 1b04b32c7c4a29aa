#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/LeadBytes.h"

namespace mirelka {

// The system's ANSI code page: data text is held in it, the interface speaks UTF-8.
class CodePage {
public:
    virtual ~CodePage() = default;

    virtual const LeadBytes& Leads() const = 0;
    // Bytes the code page cannot map come out as the system's substitute; never fails.
    virtual std::string ToUtf8(std::string_view ansi) const = 0;
    // Characters the code page lacks come out as '?' (one per UTF-16 unit); never fails.
    virtual std::string FromUtf8(std::string_view utf8) const = 0;

    // Exact or not at all: none when a byte or a character has no exact counterpart on the
    // other side, never a substitute or a look-alike. Text converted to the code page and
    // back is the text it was.
    virtual std::optional<std::string> ToUtf8Exact(std::string_view ansi) const = 0;
    virtual std::optional<std::string> FromUtf8Exact(std::string_view utf8) const = 0;
};

}  // namespace mirelka
