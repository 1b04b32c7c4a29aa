#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/LeadBytes.h"

namespace mirelka {

// The system's ANSI code page. Data text (titles, the shortcut path as stored, data-file
// lines) is held in it, byte for byte as the files hold it; the interface and every other
// path speak UTF-8. Where the code page is UTF-8 (65001) there are no lead bytes, and data
// text is UTF-8 as well.
class CodePage {
public:
    virtual ~CodePage() = default;

    virtual const LeadBytes& Leads() const = 0;

    // The one conversion for data text crossing the boundary: exact or not at all. None when
    // a byte or a character has no exact counterpart on the other side (bytes the code page
    // doesn't define, a character it lacks, one it holds only as a look-alike or under
    // another code), never a substitute, a best fit or a '?'. What FromUtf8Exact gives,
    // ToUtf8Exact turns back into the text it was given. The caller refuses what it can't
    // convert, with a message.
    virtual std::optional<std::string> ToUtf8Exact(std::string_view ansi) const = 0;
    virtual std::optional<std::string> FromUtf8Exact(std::string_view utf8) const = 0;

    // For showing data text only, never to keep or to name a file with: bytes the code page
    // can't map show as its substitute character.
    virtual std::string ToUtf8(std::string_view ansi) const = 0;
};

}  // namespace mirelka
