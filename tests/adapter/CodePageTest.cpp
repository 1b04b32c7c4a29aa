#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
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
        EXPECT_EQ(cp.FromUtf8(c.utf8), c.ansi) << c.utf8;
        EXPECT_EQ(cp.ToUtf8(c.ansi), c.utf8) << c.utf8;
    }
    EXPECT_EQ(Widen("表示"), L"表示");
    EXPECT_EQ(Narrow(L"表示"), "表示");
}

TEST(Win32CodePage932, CharactersItLacksBecomeQuestionMarks) {
    const Win32CodePage cp(932);
    EXPECT_EQ(cp.FromUtf8("a€b"), "a?b");
    // One '?' per UTF-16 unit under Wine: the emoji is a surrogate pair.
    const std::string emoji = cp.FromUtf8("a😀b");
    ASSERT_GE(emoji.size(), 3u);
    EXPECT_EQ(emoji.front(), 'a');
    EXPECT_EQ(emoji.back(), 'b');
    EXPECT_EQ(emoji.substr(1, emoji.size() - 2).find_first_not_of('?'), std::string::npos) << emoji;
}

TEST(Win32CodePage, TheActiveCodePageIsTheDefault) {
    const char* locale = std::getenv("LC_ALL");
    if (locale == nullptr || std::string(locale).rfind("ja_JP", 0) != 0) {
        GTEST_SKIP() << "run with LC_ALL=ja_JP.UTF-8";
    }
    const Win32CodePage cp;
    EXPECT_EQ(cp.Number(), 932u);
    EXPECT_TRUE(cp.Leads().IsLead(static_cast<unsigned char>(0x95)));
    EXPECT_EQ(cp.FromUtf8("表示"), "\x95\x5C\x8E\xA6");
}

}  // namespace
}  // namespace mirelka
