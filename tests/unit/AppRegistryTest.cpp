#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "store/AppEntry.h"
#include "store/AppRegistry.h"
#include "text/MbString.h"
#include "unit/Sjis.h"

namespace mirelka {
namespace {

using namespace test::sjis;
using Titles = std::vector<std::string>;

const LeadBytes kCp932 = LeadBytes::Cp932();

AppEntry Entry(std::string title, std::string shortcut = "") {
    AppEntry entry;
    entry.title = std::move(title);
    entry.shortcut = std::move(shortcut);
    return entry;
}

Titles TitlesOf(const AppRegistry& registry) {
    Titles titles;
    for (std::int32_t i = 0; i < registry.Count(); ++i) {
        titles.push_back(registry.At(i).title);
    }
    return titles;
}

auto Fields(const AppEntry& e) {
    return std::make_tuple(e.title, e.shortcut, e.width, e.height, e.bitsPerPixel, e.frequency,
                           int{e.restoreOnExit});
}

TEST(AppEntryLine, ParsesByTheRules) {
    const struct {
        std::string line;
        AppEntry expected;
    } cases[] = {
        {"T\tC:\\x.lnk\t800\t600\t16\t60\t1", {"T", "C:\\x.lnk", 800, 600, 16, 60, 1}},
        {"T", {"T", "", 0, 0, 0, 0, 0}},
        {"", {"", "", 0, 0, 0, 0, 0}},
        {"T\ts\t1\t2\t3\t4\t0\textra\t9", {"T", "s", 1, 2, 3, 4, 0}},
        {"T\t\t\t\t\t\t", {"T", "", 0, 0, 0, 0, 0}},
        {"T\ts\tabc\t-5\t99999999999\t+7\t2", {"T", "s", 0, -5, 1215752191, 7, 1}},
        {"t\tx\tabc\t4294967297\t-2147483649\t1e3\tyes", {"t", "x", 0, 1, 2147483647, 1, 0}},
        {"T\ts\t1\t2\t3\t4\t 0", {"T", "s", 1, 2, 3, 4, 0}},
        {"T\ts\t1\t2\t3\t4\tyes", {"T", "s", 1, 2, 3, 4, 0}},
        {"T\ts\t1\t2\t3\t4\t-1", {"T", "s", 1, 2, 3, 4, 1}},
        {std::string(kHyo) + "\t" + kPo + "\t5", {kHyo, kPo, 5, 0, 0, 0, 0}},
        // A lone lead byte takes no TAB for its trail byte.
        {"b\x81\tc", {"b\x81", "c", 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.line));
        EXPECT_EQ(Fields(ParseAppEntry(kCp932, c.line)), Fields(c.expected));
    }
}

TEST(AppEntryLine, FormatsAllSevenFields) {
    EXPECT_EQ(FormatAppEntry({}), "\t\t0\t0\t0\t0\t0");
    EXPECT_EQ(FormatAppEntry({"T", "C:\\a b\\x.lnk", 1920, -1, 32, 144, 2}),
              "T\tC:\\a b\\x.lnk\t1920\t-1\t32\t144\t1");

    const AppEntry entry{kHyo, std::string("C:\\") + kSo + "\\" + kPo + ".lnk", 640, 480, 8, 0, 1};
    EXPECT_EQ(Fields(ParseAppEntry(kCp932, FormatAppEntry(entry))), Fields(entry));
}

TEST(AppRegistry, KeepsOneEntryPerTitleInMbscmpOrder) {
    AppRegistry registry(kCp932);
    // Byte order would put the 0x83 titles before the half-width 0xB1.
    const Titles shuffled = {kHyo, "b", kPo, "", kHalfA, "B", kA, "a", kSo};
    for (const std::string& title : shuffled) {
        EXPECT_TRUE(registry.Insert(Entry(title, "first " + title)));
    }
    EXPECT_FALSE(registry.Insert(Entry("b", "second")));
    EXPECT_FALSE(registry.Insert(Entry(kHyo, "second")));

    const Titles ordered = {"", "B", "a", "b", kHalfA, kSo, kPo, kA, kHyo};
    EXPECT_EQ(TitlesOf(registry), ordered);
    for (const std::string& title : ordered) {
        const AppEntry* found = registry.Find(Entry(title));
        ASSERT_NE(found, nullptr) << title;
        EXPECT_EQ(found->shortcut, "first " + title);
    }
    for (const char* absent : {"A", "ab", "c", "\x83", "\xB2"}) {
        EXPECT_EQ(registry.Find(Entry(absent)), nullptr) << absent;
    }

    std::vector<std::string> visited;
    registry.ForEach([&](const AppEntry& entry) { visited.push_back(entry.title); });
    EXPECT_EQ(visited, ordered);
    EXPECT_EQ(registry.Cursor(), registry.Count() - 1);

    EXPECT_TRUE(registry.Remove(Entry(kHalfA)));
    EXPECT_FALSE(registry.Remove(Entry(kHalfA)));
    EXPECT_TRUE(registry.Remove(Entry("")));
    EXPECT_TRUE(registry.Remove(Entry(kHyo)));
    EXPECT_EQ(TitlesOf(registry), (Titles{"B", "a", "b", kSo, kPo, kA}));
    EXPECT_EQ(registry.Find(Entry(kHalfA)), nullptr);
    EXPECT_NE(registry.Find(Entry(kSo)), nullptr);

    registry.Clear();
    EXPECT_EQ(registry.Count(), 0);
    EXPECT_EQ(registry.Find(Entry("a")), nullptr);
    EXPECT_FALSE(registry.Remove(Entry("a")));

    // Emptied by removal, and filled again.
    ASSERT_TRUE(registry.Insert(Entry("x")));
    EXPECT_TRUE(registry.Remove(Entry("x")));
    EXPECT_EQ(registry.Count(), 0);
    EXPECT_EQ(registry.Find(Entry("x")), nullptr);
    EXPECT_TRUE(registry.Insert(Entry("y")));
    EXPECT_TRUE(registry.Insert(Entry("x")));
    EXPECT_EQ(TitlesOf(registry), (Titles{"x", "y"}));
}

TEST(AppRegistry, AgreesWithAnOrderedSetOnRandomTitles) {
    const std::string pieces[] = {"a", "B", "\t", kHyo, kSo, kPo, kA, kHalfA, kLead};
    auto less = [](const std::string& a, const std::string& b) {
        return MbsCompare(kCp932, a, b) < 0;
    };
    std::set<std::string, decltype(less)> expected(less);
    AppRegistry registry(kCp932);
    std::uint32_t seed = 7;
    for (int i = 0; i < 3000; ++i) {
        std::string title;
        for (std::uint32_t n = 0; n < 4; ++n) {
            seed = seed * 1664525u + 1013904223u;
            if (n > 0 && (seed >> 28) < 4) {
                break;
            }
            title += pieces[(seed >> 16) % std::size(pieces)];
        }
        EXPECT_EQ(registry.Insert(Entry(title)), expected.insert(title).second) << title;
    }
    EXPECT_EQ(TitlesOf(registry), Titles(expected.begin(), expected.end()));
    for (const std::string& title : expected) {
        EXPECT_NE(registry.Find(Entry(title)), nullptr) << title;
    }
}

}  // namespace
}  // namespace mirelka
