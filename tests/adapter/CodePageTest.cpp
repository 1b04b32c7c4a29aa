#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "Win32CodePage.h"

namespace mirelka {
namespace {

TEST(Win32CodePage932, LeadBytesAreThoseOfShiftJis) {
    const Win32CodePage cp(932);
    EXPECT_EQ(cp.Number(), 932u);
    for (unsigned b = 0; b < 256; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(cp.Leads().IsLead(static_cast<unsigned char>(b)), lead) << std::hex << b;
    }
    EXPECT_FALSE(Win32CodePage(1252).Leads().Any());
}

TEST(Win32CodePage932, JapaneseRoundTrips) {
    const Win32CodePage cp(932);
    const struct {
        const char* utf8;
        const char* ansi;
    } cases[] = {
        {"ｱｲｳ", "\xB1\xB2\xB3"},
        {"表示", "\x95\x5C\x8E\xA6"},
        {"C:\\表示\\ｱ.lnk", "C:\\\x95\x5C\x8E\xA6\\\xB1.lnk"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp.FromUtf8Exact(c.utf8), c.ansi) << c.utf8;
        EXPECT_EQ(cp.ToUtf8(c.ansi), c.utf8) << c.utf8;
    }
    EXPECT_EQ(Widen("表示"), L"表示");
    EXPECT_EQ(Narrow(L"表示"), "表示");
}

TEST(Win32CodePage932, ExactConversionReportsLossAndKeepsEveryCode) {
    const Win32CodePage cp(932);
    for (const char* lacking : {"Café", "게임", "a😀b", "¥"}) {
        EXPECT_EQ(cp.FromUtf8Exact(lacking), std::nullopt) << lacking;
    }
    // A lone lead byte, an undefined lead, a bad trail.
    for (const char* invalid : {"a\x81", "\x85\x40", "\x81\x7F"}) {
        EXPECT_EQ(cp.ToUtf8Exact(invalid), std::nullopt) << invalid;
    }
    const struct {
        const char* ansi;
        const char* utf8;
    } exact[] = {
        {"C:\\\x95\x5C\x8E\xA6\\\xB1.lnk", "C:\\表示\\ｱ.lnk"},
        // Doubly coded (NEC row 13 and JIS, IBM and NEC-selected): each written with one code.
        {"\x87\x90", "≒"},
        {"\x81\xE0", "≒"},
        {"\xFA\x5C", "纊"},
        {"\xED\x40", "纊"},
        {"", ""},
    };
    for (const auto& c : exact) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(cp.ToUtf8Exact(c.ansi), std::optional<std::string>(c.utf8));
        const std::optional<std::string> written = cp.FromUtf8Exact(c.utf8);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(cp.ToUtf8Exact(*written), std::optional<std::string>(c.utf8));
    }
}

TEST(Win32CodePage65001, ConvertsAnyTextBothWays) {
    // Windows takes no default-character arguments and no best-fit flag for UTF-8: there,
    // wrong flags would fail every conversion here. Wine 8 takes them, so only the unit test
    // of the flags guards that under Wine.
    const Win32CodePage cp(CP_UTF8);
    EXPECT_FALSE(cp.Leads().Any());
    for (const char* text : {"表示 ソフト", "a😀b", "Café 게임", ""}) {
        EXPECT_EQ(cp.FromUtf8Exact(text), std::optional<std::string>(text)) << text;
        EXPECT_EQ(cp.ToUtf8Exact(text), std::optional<std::string>(text)) << text;
    }
    EXPECT_EQ(cp.ToUtf8Exact("a\xE8\xA1"), std::nullopt);
    EXPECT_EQ(cp.ToUtf8Exact("\xED\xA0\x80"), std::nullopt);
    EXPECT_EQ(FromWideExact(CP_UTF8, std::wstring(1, wchar_t(0xD800))), std::nullopt);
}

TEST(Win32CodePage, TheActiveCodePageIsTheDefault) {
    constexpr DWORD kSize = 64;
    char locale[kSize] = {};
    const DWORD length = GetEnvironmentVariableA("LC_ALL", locale, kSize);
    if (length == 0 || length >= kSize || std::string(locale).rfind("ja_JP", 0) != 0) {
        GTEST_SKIP() << "run with LC_ALL=ja_JP.UTF-8";
    }
    const Win32CodePage cp;
    EXPECT_EQ(cp.Number(), 932u);
    EXPECT_TRUE(cp.Leads().IsLead(static_cast<unsigned char>(0x95)));
    EXPECT_EQ(cp.FromUtf8Exact("表示"), "\x95\x5C\x8E\xA6");
}

}  // namespace
}  // namespace mirelka
