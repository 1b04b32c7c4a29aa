#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/ConversionFlags.h"
#include "text/MbString.h"
#include "unit/Sjis.h"

namespace mirelka {
namespace {

using namespace std::string_literals;
using namespace test::sjis;

const LeadBytes kCp932 = LeadBytes::Cp932();
const LeadBytes kSingleByte = LeadBytes::None();
constexpr std::size_t npos = std::string_view::npos;

TEST(MbsCompare, OrdersByCharacterValue) {
    struct Case {
        const LeadBytes& leads;
        std::string a;
        std::string b;
        int expected;
    };
    const std::string hyo = kHyo;
    const Case cases[] = {
        {kCp932, "", "", 0},
        {kCp932, "", "a", -1},
        {kCp932, "abc", "abc", 0},
        {kCp932, "abc", "abd", -1},
        {kCp932, "ab", "abc", -1},
        {kCp932, "B", "a", -1},  // case-sensitive, by code value
        {kCp932, hyo, hyo, 0},
        {kCp932, hyo + "a", hyo, 1},
        {kCp932, kSo, kPo, -1},  // same lead, trail decides
        {kCp932, kHyo, kSo, 1},  // lead decides
        // Every single-byte character before every double-byte one, whatever the first byte.
        {kCp932, kHalfA, kA, -1},
        {kCp932, "\xDF", kWideSpace, -1},
        {kCp932, "\xFD", kWideSpace, -1},  // 0xFD is no lead byte in 932
        {kCp932, "~", kWideSpace, -1},
        {kCp932, kLead, kWideSpace, -1},  // a lone lead byte at the end is a single-byte character
        {kCp932, "\x81\t",
         "\x81"
         "0",
         -1},  // and so is one before a byte below 0x40
        {kCp932, "a"s + kHalfA, "a"s + kA, -1},
        // Without lead bytes: plain unsigned byte order.
        {kSingleByte, kHalfA, kA, 1},
        {kSingleByte, "\xFD", kWideSpace, 1},
        {kSingleByte, "a", "\xE9", -1},
        {kSingleByte, "ab", "abc", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
        EXPECT_EQ(MbsCompare(c.leads, c.a, c.b), c.expected);
        EXPECT_EQ(MbsCompare(c.leads, c.b, c.a), -c.expected);
    }
}

TEST(MbsScan, NeverTakesATrailByteForASeparator) {
    const std::string hyo = kHyo;
    const std::string po = kPo;
    const std::string so = kSo;
    struct Case {
        const LeadBytes& leads;
        std::string text;
        char c;
        std::size_t expected;
    };
    const Case cases[] = {
        {kCp932, hyo + "\\", '\\', 2},
        {kCp932, so + so, '\\', npos},
        {kCp932, po + "|", '|', 2},
        {kCp932, po, '|', npos},
        {kCp932, "a:" + hyo, ':', 1},
        // No trail byte is below 0x40: a stray lead byte never swallows a TAB.
        {kCp932, "\x81\t", '\t', 1},
        {kCp932, "\x81\t\t", '\t', 1},
        {kCp932,
         "\x81"
         "0:",
         ':', 2},
        {kCp932, "", '\\', npos},
        {kSingleByte, hyo + "\\", '\\', 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(MbsFind(c.leads, c.text, c.c), c.expected);
    }

    EXPECT_EQ(MbsFindLastOf(kCp932, "C:\\" + hyo, "\\/:"), 2u);
    EXPECT_EQ(MbsFindLastOf(kCp932, "C:\\" + so + "\\x", "\\/:"), 5u);
    EXPECT_EQ(MbsFindLastOf(kCp932, "a/b:c", "\\/:"), 3u);
    EXPECT_EQ(MbsFindLastOf(kCp932, hyo + so, "\\/:"), npos);
    EXPECT_EQ(MbsFindLastOf(kSingleByte, hyo, "\\/:"), 1u);
}

TEST(MbsScan, NextTokenSplitsAtSingleByteSeparatorsOnly) {
    const std::string po = kPo;
    const std::string input = po + "|a||" + kHyo + "|" + po + po;
    std::string_view rest = input;
    std::vector<std::string> tokens;
    while (!rest.empty()) {
        tokens.emplace_back(MbsNextToken(kCp932, rest, '|'));
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{po, "a", "", kHyo, po + po}));

    rest = "\x81|b";
    EXPECT_EQ(MbsNextToken(kCp932, rest, '|'), "\x81|b");
    EXPECT_TRUE(rest.empty());
}

TEST(Trim, RemovesAsciiWhiteSpaceOnly) {
    const std::string wide = kWideSpace;
    EXPECT_EQ(Trim(" \t\n\v\f\rx y\r\n \t"), "x y");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim(wide + "x" + wide), wide + "x" + wide);
    EXPECT_EQ(Trim("\xA0x\x85"), "\xA0x\x85");  // no-break space and NEL of other code pages
    EXPECT_EQ(TrimLeft("  x  "), "x  ");
    EXPECT_EQ(TrimRight("  x  "), "  x");
}

TEST(Atol, BehavesLikeTheRuntime) {
    const struct {
        std::string text;
        std::int32_t expected;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {" \t\n\v\f\r-17", -17},
        {"+8", 8},
        {" 007", 7},
        {"12abc", 12},
        {"1 2", 1},
        {"0x1F", 0},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+-5", 0},
        {"--5", 0},
        {"- 5", 0},
        {std::string(kWideSpace) + "5", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MIN},
        {"4294967297", 1},
        {"-2147483649", 2147483647},
        {"12884901893", 5},
        {"99999999999", 1215752191},
        {"1" + std::string(60, '0') + "5", 5},  // 10^32 is a multiple of 2^32
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Atol(c.text), c.expected);
    }
}

TEST(ExactConversionFlags, AreOnesTheCodePageTakes) {
    // MB_ERR_INVALID_CHARS 0x8, WC_ERR_INVALID_CHARS 0x80, WC_NO_BEST_FIT_CHARS 0x400: Windows
    // fails the call on a flag or a default-character argument the code page doesn't take.
    const auto flags = [](unsigned codePage) {
        const ConversionFlags f = ExactConversionFlags(codePage);
        return std::vector<unsigned>{f.toWide, f.fromWide, f.asksUsedDefault ? 1u : 0u,
                                     f.toWideRejectsInvalid ? 1u : 0u};
    };
    using F = std::vector<unsigned>;
    EXPECT_EQ(flags(932), (F{0x8, 0x400, 1, 1}));
    EXPECT_EQ(flags(1252), (F{0x8, 0x400, 1, 1}));
    EXPECT_EQ(flags(65001), (F{0x8, 0x80, 0, 1}));
    EXPECT_EQ(flags(54936), (F{0x8, 0x80, 0, 1}));
    for (const unsigned none : {42u, 50220u, 57004u, 65000u}) {
        EXPECT_EQ(flags(none), (F{0, 0, 0, 0})) << none;
    }
}

TEST(ReplaceArg, SubstitutesPercentOneAndNothingElse) {
    const std::string path = "C:\\%s\\%1\\%d%n";
    EXPECT_EQ(ReplaceArg("%1 x", path), path + " x");
    EXPECT_EQ(ReplaceArg("[%1|%1]", "ab"), "[ab|ab]");
    EXPECT_EQ(ReplaceArg("%s %d 100%", "x"), "%s %d 100%");
    EXPECT_EQ(ReplaceArg("%2%", "x"), "%2%");
}

}  // namespace
}  // namespace mirelka
