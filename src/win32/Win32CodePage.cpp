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

std::wstring Widen(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string Narrow(std::wstring_view utf16) {
    return FromWide(CP_UTF8, utf16);
}

}  // namespace mirelka
