#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "text/MbString.h"
#include "unit/Fixture.h"
#include "unit/Sjis.h"

namespace mirelka {
namespace {

using namespace std::string_literals;
using namespace test::sjis;
using test::kAppFile;
using test::kError;
using test::kNotice;
using test::Said;
using test::Texts;

const std::string kTemp = kAppFile + ".tmp";
const std::string kCannotOpen = "AppData.txtをｵｰﾌﾟﾝできません";
const std::string kReadError = kAppFile + " へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";
const std::string kDiskFull = kAppFile + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";

const std::string kLink = "C:\\x.lnk";
// The line AppData.txt gets for an entry Register makes.
std::string Registered(const std::string& title) {
    return test::AppDataLine(title, kLink);
}
std::string RegisteredNotice(const std::string& title) {
    return "「" + title + "」を登録しました";
}

// Registers title (an existing shortcut, no mode) on the applications tab: the registry is
// saved with it. What was said.
Said Register(test::Mirelka& m, const std::string& title) {
    m.p.files.files[kLink] = "";
    m.p.shortcuts.links[kLink] = {"C:\\x.exe", ""};
    return m.RegisterTitle(title, kLink);
}

TEST(AppData, LivesBesideTheExecutableAndMayBeMissing) {
    test::Mirelka m;
    m.Start();
    EXPECT_EQ(m.dialog.AppFile().Path(), kAppFile);
    EXPECT_FALSE(m.p.files.Exists(kAppFile));
    EXPECT_EQ(m.dialog.Registry().Count(), 0);
    EXPECT_TRUE(m.p.view.messages.empty());
}

TEST(AppData, LoadsInTitleOrderAndSavesExactBytes) {
    const std::string content = "b\tB.lnk\t640\t480\t8\t60\t0\r\n"s +                         //
                                kHyo + "\tC:\\" + kHyo + "\\x.lnk\t1024\t768\t32\t75\t2\n" +  //
                                "a\ta.lnk\r\n" +                                              //
                                "b\tdup.lnk\t1\t1\t1\t1\t1\r\n" +                             //
                                "B\r\n" +                                                     //
                                kPo + "\t" + kPo + ".lnk\r\n" +                               //
                                kHalfA + "\r\n" +                                             //
                                kSo + "\r\n" +                                                //
                                "\r\n";
    test::Mirelka m;
    m.Start("", content);
    EXPECT_TRUE(m.p.view.messages.empty());
    EXPECT_EQ(m.Titles(), (Texts{"", "B", "a", "b", kHalfA, kSo, kPo, kHyo}));
    EXPECT_EQ(m.p.view.ComboTexts(IDC_TITLE), (Texts{"", "B", "a", "b", "ｱ", "ソ", "ポ", "表"}));

    const std::string head = "\t\t0\t0\t0\t0\t0\r\n"s +  //
                             "B\t\t0\t0\t0\t0\t0\r\n" +  //
                             "a\ta.lnk\t0\t0\t0\t0\t0\r\n" + "b\tB.lnk\t640\t480\t8\t60\t0\r\n";
    const std::string tail = kHalfA + "\t\t0\t0\t0\t0\t0\r\n"s +             //
                             kSo + "\t\t0\t0\t0\t0\t0\r\n" +                 //
                             kPo + "\t" + kPo + ".lnk\t0\t0\t0\t0\t0\r\n" +  //
                             kHyo + "\tC:\\" + kHyo + "\\x.lnk\t1024\t768\t32\t75\t1\r\n";
    EXPECT_EQ(Register(m, "c"), (Said{{RegisteredNotice("c"), kNotice}}));
    const std::string saved = head + Registered("c") + tail;
    EXPECT_EQ(m.File(kAppFile), saved);
    EXPECT_FALSE(m.p.files.Exists(kTemp));
    EXPECT_EQ(m.p.view.beeps, 1);

    // What was saved reads back as the same registry.
    test::Mirelka next;
    next.Start("", saved);
    EXPECT_EQ(next.Titles(), (Texts{"", "B", "a", "b", "c", kHalfA, kSo, kPo, kHyo}));
    next.Fill("c", "", 0, false);
    next.Press(IDC_DELETE, {test::kYes});
    EXPECT_EQ(next.File(kAppFile), head + tail);
    EXPECT_EQ(next.p.view.beeps, 1);
}

TEST(AppData, AReadErrorIsReportedAndHalfAFileNeverShown) {
    test::Mirelka m;
    m.p.files.readFailsAfter = 7;
    m.Start("", "one\r\ntwo\r\nthree\r\n");
    ASSERT_EQ(m.p.view.messages.size(), 1u);
    EXPECT_EQ(m.p.view.messages[0].text, kReadError);
    EXPECT_EQ(m.p.view.messages[0].type, kError);
    EXPECT_EQ(m.dialog.Registry().Count(), 0);
    EXPECT_TRUE(m.p.view.ComboTexts(IDC_TITLE).empty());

    // The failure does not stick.
    m.p.files.readFailsAfter.reset();
    EXPECT_EQ(m.Press(ID_TRAY_SETTINGS), Said{});
    EXPECT_EQ(m.p.view.ComboTexts(IDC_TITLE), (Texts{"one", "three", "two"}));
}

TEST(AppData, AFailedSaveKeepsThePreviousFile) {
    const std::string old = "a\tA.lnk\t1\t2\t3\t4\t1\r\nb\tB.lnk\t5\t6\t7\t8\t0\r\n";
    const struct {
        const char* name;
        std::function<void(test::FakeFileSystem&)> fault;
        const std::string& message;
    } cases[] = {
        {"temp cannot be created", [](test::FakeFileSystem& f) { f.uncreatable.insert(kTemp); },
         kCannotOpen},
        {"replace refused (a read-only AppData.txt on Windows)",
         [](test::FakeFileSystem& f) { f.unreplaceable.insert(kAppFile); }, kCannotOpen},
        {"disk full at once", [](test::FakeFileSystem& f) { f.writeLimit = 0; }, kDiskFull},
        {"disk full part-way", [](test::FakeFileSystem& f) { f.writeLimit = 30; }, kDiskFull},
        {"flush fails", [](test::FakeFileSystem& f) { f.failClose = true; }, kDiskFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Mirelka m;
        m.Start("", old);
        c.fault(m.p.files);

        EXPECT_EQ(Register(m, "c"), (Said{{RegisteredNotice("c"), kNotice}, {c.message, kError}}));
        EXPECT_EQ(m.p.view.beeps, 0);
        EXPECT_EQ(m.File(kAppFile), old);
        EXPECT_FALSE(m.p.files.Exists(kTemp));

        // Once the disk is healthy again the next save goes through, with what failed to.
        m.p.files = test::FakeFileSystem();
        Register(m, "d");
        EXPECT_EQ(m.File(kAppFile), old + Registered("c") + Registered("d"));
    }

    // Held for a moment, as antivirus and indexers do with a fresh file: replaced once free.
    test::Mirelka m;
    m.Start("", old);
    m.p.files.unreplaceable.insert(kAppFile);
    m.p.files.onPause = [&] { m.p.files.unreplaceable.clear(); };
    EXPECT_EQ(Register(m, "d"), (Said{{RegisteredNotice("d"), kNotice}}));
    EXPECT_EQ(m.File(kAppFile), old + Registered("d"));
}

TEST(AppData, BadInputLoadsByTheRules) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b) {
        allBytes.push_back(static_cast<char>(b));
    }
    const std::string first = "\x01\x02\x03\x04\x05\x06\x07\x08";  // the NUL goes
    std::string controls;  // 0x0B..0x19: what is left of the second line of allBytes
    for (char b = 0x0B; b <= 0x19; ++b) {
        controls.push_back(b);
    }
    const struct {
        const char* name;
        std::string content;  // \032 is Ctrl-Z
        Texts titles;
    } cases[] = {
        {"every byte value", allBytes, {first, controls}},
        {"NUL bytes", "ab\0c\td\r\nx\ty\0z\r\n"s, {"abc", "x"}},
        {"Ctrl-Z in the middle", "a\r\nb\032c\r\nd\r\n", {"a", "b"}},
        {"lone CRs", "a\rb\tc\r\r\n\r", {"\r", "a\rb"}},
        {"LF-only lines", "c\nb\na", {"a", "b", "c"}},
        {"lone lead bytes", "a\x81\r\nb\x81\tc\r\n\x81", {"a\x81", "b\x81", "\x81"}},
        {"only separators", "\t\t\t\r\n\t\r\n", {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Mirelka m;
        m.Start("", c.content);
        EXPECT_EQ(m.Titles(), c.titles);
        EXPECT_EQ(m.p.view.ComboTexts(IDC_TITLE).size(), c.titles.size());
        EXPECT_TRUE(m.p.view.messages.empty());
    }
}

TEST(AppData, StrayLeadBytesAndNulsKeepEveryFieldInPlace) {
    // Hand-edited: a lead byte before each separator and the line end, a NUL inside a title.
    test::Mirelka m;
    m.Start("",
            "Name\x81\tC:\\a\\x.lnk\x81\t640\x81\t480\t32\t60\t1\x81\r\n"
            "Be\0ta\tb.lnk\t800\t600\t16\t75\t0\r\n"s);
    const AppEntry& name = m.dialog.Registry().At(1);
    EXPECT_EQ(
        name.shortcut + "|" + std::to_string(name.width) + "|" + std::to_string(name.restoreOnExit),
        "C:\\a\\x.lnk\x81|640|1");
    Register(m, "c");
    EXPECT_EQ(m.File(kAppFile),
              "Beta\tb.lnk\t800\t600\t16\t75\t0\r\n"
              "Name\x81\tC:\\a\\x.lnk\x81\t640\t480\t32\t60\t1\r\n" +
                  Registered("c"));
}

TEST(AppData, BigAndRandomFilesLoadInSeconds) {
    // 10,000 lines in the order the program writes them.
    std::string many;
    for (int i = 0; i < 10000; ++i) {
        many += "t" + std::to_string(100000 + i) + "\tC:\\x.lnk\t800\t600\t16\t60\t1\r\n";
    }

    std::string garbage;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 256 * 1024; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const char c = static_cast<char>(seed >> 24);
        garbage.push_back(c == '\032' ? '\033' : c);  // read it all, not up to the first Ctrl-Z
    }
    const std::string mega(std::size_t{1} << 20, 'x');

    const auto start = std::chrono::steady_clock::now();

    test::Mirelka ordered;
    ordered.Start("", many);
    const AppRegistry& registry = ordered.dialog.Registry();
    ASSERT_EQ(registry.Count(), 10000);
    EXPECT_EQ(registry.At(0).title, "t100000");
    EXPECT_EQ(registry.At(9999).title, "t109999");
    EXPECT_EQ(ordered.p.view.ComboTexts(IDC_TITLE).size(), 10000u);
    Register(ordered, "u");
    EXPECT_EQ(ordered.File(kAppFile), many + Registered("u"));

    // The same lines shuffled: every insert walks the registry.
    std::vector<std::string> lines;
    for (std::size_t from = 0, to; (to = many.find("\r\n", from)) != std::string::npos;
         from = to + 2) {
        lines.push_back(many.substr(from, to + 2 - from));
    }
    std::uint32_t order = 777;
    for (std::size_t i = lines.size() - 1; i > 0; --i) {
        order = order * 1664525u + 1013904223u;
        std::swap(lines[i], lines[order % (i + 1)]);
    }
    std::string shuffled;
    for (const std::string& line : lines) {
        shuffled += line;
    }
    test::Mirelka unordered;
    unordered.Start("", shuffled);
    Register(unordered, "u");
    EXPECT_EQ(unordered.File(kAppFile), many + Registered("u"));

    test::Mirelka huge;
    huge.Start("", mega + "\tS\t1\t2\t3\t4\t1\r\n" + mega + mega);
    ASSERT_EQ(huge.dialog.Registry().Count(), 2);
    EXPECT_EQ(huge.dialog.Registry().At(0).title, mega);
    EXPECT_EQ(huge.dialog.Registry().At(0).frequency, 4);
    EXPECT_EQ(huge.dialog.Registry().At(1).title.size(), 2 * mega.size());

    test::Mirelka random;
    random.Start("", garbage);
    const AppRegistry& titles = random.dialog.Registry();
    EXPECT_GT(titles.Count(), 500);
    for (std::int32_t i = 0; i < titles.Count(); ++i) {
        const std::string& title = titles.At(i).title;
        EXPECT_EQ(title.find_first_of("\0\n\032"s), std::string::npos);
        if (i > 0) {
            EXPECT_LT(MbsCompare(random.p.codePage->Leads(), titles.At(i - 1).title, title), 0);
        }
    }
    EXPECT_TRUE(random.p.view.messages.empty());

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace mirelka
