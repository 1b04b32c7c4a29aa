#include "Win32CodePage.h"

#include <windows.h>

#include <climits>

#include "text/ConversionFlags.h"

namespace mirelka {

std::wstring ToWide(unsigned codePage, std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    if (length <= 0 ||
        MultiByteToWideChar(codePage, 0, bytes.data(), size, out.data(), length) != length) {
        return {};
    }
    return out;
}

std::string FromWide(unsigned codePage, std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length <= 0 || WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), length,
                                           nullptr, nullptr) != length) {
        return {};
    }
    return out;
}

namespace {

static_assert(win::kMbErrInvalidChars == MB_ERR_INVALID_CHARS);
static_assert(win::kWcErrInvalidChars == WC_ERR_INVALID_CHARS);
static_assert(win::kWcNoBestFitChars == WC_NO_BEST_FIT_CHARS);
static_assert(win::kUtf8 == CP_UTF8);

// The flags depend on the code page itself: on a system set to UTF-8, CP_ACP is 65001.
unsigned Resolved(unsigned codePage) {
    switch (codePage) {
        case CP_ACP:
            return GetACP();
        case CP_OEMCP:
            return GetOEMCP();
        default:
            return codePage;
    }
}

bool IsStandIn(unsigned codePage) {
    return codePage == CP_MACCP || codePage == CP_THREAD_ACP;
}

std::optional<std::string> FromWideChecked(unsigned codePage, std::wstring_view text,
                                           const ConversionFlags& flags) {
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = flags.asksUsedDefault ? &usedDefault : nullptr;
    const int length = WideCharToMultiByte(codePage, flags.fromWide, text.data(), size, nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, flags.fromWide, text.data(), size, out.data(), length,
                            nullptr, usedDefaultOut) != length ||
        usedDefault) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::wstring> ToWideChecked(unsigned codePage, std::string_view bytes,
                                          const ConversionFlags& flags) {
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags.toWide, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, flags.toWide, bytes.data(), size, out.data(), length) !=
        length) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::optional<std::wstring> ToWideExact(unsigned codePage, std::string_view bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX) || IsStandIn(codePage)) {
        return std::nullopt;
    }
    codePage = Resolved(codePage);
    const ConversionFlags flags = ExactConversionFlags(codePage);
    std::optional<std::wstring> wide = ToWideChecked(codePage, bytes, flags);
    if (wide && !flags.toWideRejectsInvalid) {
        // Invalid bytes came out as a substitute: they don't come back.
        const std::optional<std::string> back = FromWideChecked(codePage, *wide, flags);
        if (!back || *back != bytes) {
            return std::nullopt;
        }
    }
    return wide;
}

std::optional<std::string> FromWideExact(unsigned codePage, std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > static_cast<std::size_t>(INT_MAX) || IsStandIn(codePage)) {
        return std::nullopt;
    }
    codePage = Resolved(codePage);
    const ConversionFlags flags = ExactConversionFlags(codePage);
    std::optional<std::string> out = FromWideChecked(codePage, text, flags);
    // What comes back as another character is no exact match: a best fit where the code
    // page takes no flag against it, a character held only under another code point.
    if (out) {
        const std::optional<std::wstring> back = ToWideChecked(codePage, *out, flags);
        if (!back || *back != text) {
            return std::nullopt;
        }
    }
    return out;
}

Win32CodePage::Win32CodePage() : Win32CodePage(GetACP()) {}

Win32CodePage::Win32CodePage(unsigned codePage) : codePage_(Resolved(codePage)) {
    CPINFO info{};
    // Lead bytes mean double-byte characters: UTF-8 (and GB18030) have none in that sense.
    if (GetCPInfo(codePage_, &info) && info.MaxCharSize == 2) {
        // Pairs of inclusive ranges, ended by two zero bytes.
        for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
            leads_.AddRange(info.LeadByte[i], info.LeadByte[i + 1]);
        }
    }
}

std::string Win32CodePage::ToUtf8(std::string_view ansi) const {
    return Narrow(ToWide(codePage_, ansi));
}

std::optional<std::wstring> WideExact(std::string_view utf8) {
    if (utf8.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return ToWideExact(CP_UTF8, utf8);
}

std::optional<std::string> Win32CodePage::ToUtf8Exact(std::string_view ansi) const {
    const std::optional<std::wstring> wide = ToWideExact(codePage_, ansi);
    if (!wide) {
        return std::nullopt;
    }
    return FromWideExact(CP_UTF8, *wide);
}

std::optional<std::string> Win32CodePage::FromUtf8Exact(std::string_view utf8) const {
    const std::optional<std::wstring> wide = ToWideExact(CP_UTF8, utf8);
    if (!wide) {
        return std::nullopt;
    }
    return FromWideExact(codePage_, *wide);
}

std::wstring Widen(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string Narrow(std::wstring_view utf16) {
    return FromWide(CP_UTF8, utf16);
}

}  // namespace mirelka
