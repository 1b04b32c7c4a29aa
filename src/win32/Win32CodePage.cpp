#include "Win32CodePage.h"

#include <windows.h>

#include <climits>

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

std::optional<std::wstring> ToWideExact(unsigned codePage, std::string_view bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::nullopt;
    }
    const int size = static_cast<int>(bytes.size());
    // Invalid bytes fail the call instead of becoming U+FFFD or the code page's default.
    const int length =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(),
                            length) != length) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> FromWideExact(unsigned codePage, std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::nullopt;
    }
    const int size = static_cast<int>(text.size());
    // UTF-8 takes no default character and no best-fit flag; the others must not fit best.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr,
                                           usedDefaultOut);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), length, nullptr,
                            usedDefaultOut) != length ||
        usedDefault) {
        return std::nullopt;
    }
    // A character the code page holds only under another code point is no exact match.
    const std::optional<std::wstring> back = ToWideExact(codePage, out);
    if (!back || *back != text) {
        return std::nullopt;
    }
    return out;
}

Win32CodePage::Win32CodePage() : Win32CodePage(GetACP()) {}

Win32CodePage::Win32CodePage(unsigned codePage) : codePage_(codePage) {
    CPINFO info{};
    if (GetCPInfo(codePage, &info)) {
        // Pairs of inclusive ranges, ended by two zero bytes.
        for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
            leads_.AddRange(info.LeadByte[i], info.LeadByte[i + 1]);
        }
    }
}

std::string Win32CodePage::ToUtf8(std::string_view ansi) const {
    return Narrow(ToWide(codePage_, ansi));
}

std::string Win32CodePage::FromUtf8(std::string_view utf8) const {
    return FromWide(codePage_, Widen(utf8));
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
