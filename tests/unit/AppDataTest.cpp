#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/LauncherDialog.h"
#include "resources/ResourceIds.h"
#include "fakes/FakePlatform.h"
#include "text/MbString.h"
#include "unit/Sjis.h"

namespace mirelka {
namespace {

using namespace std::string_literals;
using namespace test::sjis;
using Titles = std::vector<std::string>;

// The executable sits in a folder code page 932 can't name; paths are UTF-8.
const std::string kExe = "C:\\게임\\Mirelka.exe";
const std::string kData = "C:\\게임\\AppData.txt";
const std::string kTemp = kData + ".tmp";

const std::string kCannotOpen = "AppData.txtをｵｰﾌﾟﾝできません";
const std::string kReadError = kData + " へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";
const std::string kDiskFull = kData + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";

class AppData : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.OnInitDialog()); }

    bool Load(const std::string& content) {
        fs.files[kData] = content;
        return dialog.Settings().ReadAppData();
    }
    Titles RegistryTitles() {
        Titles titles;
        dialog.Registry().ForEach([&](const AppEntry& entry) { titles.push_back(entry.title); });
        return titles;
    }
    Titles TitleBox() const { return view.ComboTexts(IDC_TITLE); }
    void ExpectOneError(const std::string& text) {
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, text);
        EXPECT_EQ(view.messages[0].type, MessageType::Error);
    }

    test::FakePlatform p;
    test::FakeView& view = p.view;
    test::FakeFileSystem& fs = p.files;
    LauncherDialog dialog{p.MakePorts(), kExe};
};

TEST_F(AppData, LivesBesideTheExecutable) {
    EXPECT_EQ(dialog.AppFile().Path(), kData);
    EXPECT_FALSE(fs.Exists(kData));
    EXPECT_EQ(dialog.Registry().Count(), 0);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(AppData, LoadsInTitleOrderAndSavesExactBytes) {
    const std::string content = "b\tB.lnk\t640\t480\t8\t60\t0\r\n"s +                         //
                                kHyo + "\tC:\\" + kHyo + "\\x.lnk\t1024\t768\t32\t75\t2\n" +  //
                                "a\ta.lnk\r\n" +                                              //
                                "b\tdup.lnk\t1\t1\t1\t1\t1\r\n" +                             //
                                "B\r\n" +                                                     //
                                kPo + "\t" + kPo + ".lnk\r\n" +                               //
                                kHalfA + "\r\n" +                                             //
                                kSo + "\r\n" +                                                //
                                "\r\n";
    ASSERT_TRUE(Load(content));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(RegistryTitles(), (Titles{"", "B", "a", "b", kHalfA, kSo, kPo, kHyo}));
    EXPECT_EQ(TitleBox(), (Titles{"", "B", "a", "b", "ｱ", "ソ", "ポ", "表"}));

    ASSERT_TRUE(dialog.Settings().WriteAppData());
    const std::string saved = "\t\t0\t0\t0\t0\t0\r\n"s +                      //
                              "B\t\t0\t0\t0\t0\t0\r\n" +                      //
                              "a\ta.lnk\t0\t0\t0\t0\t0\r\n" +                 //
                              "b\tB.lnk\t640\t480\t8\t60\t0\r\n" +            //
                              kHalfA + "\t\t0\t0\t0\t0\t0\r\n" +              //
                              kSo + "\t\t0\t0\t0\t0\t0\r\n" +                 //
                              kPo + "\t" + kPo + ".lnk\t0\t0\t0\t0\t0\r\n" +  //
                              kHyo + "\tC:\\" + kHyo + "\\x.lnk\t1024\t768\t32\t75\t1\r\n";
    EXPECT_EQ(fs.files[kData], saved);
    EXPECT_FALSE(fs.Exists(kTemp));
    EXPECT_EQ(view.beeps, 1);
    EXPECT_TRUE(view.messages.empty());

    // What was saved reads back as the same registry.
    ASSERT_TRUE(dialog.Settings().ReadAppData());
    ASSERT_TRUE(dialog.Settings().WriteAppData());
    EXPECT_EQ(fs.files[kData], saved);
    EXPECT_EQ(view.beeps, 2);
}

TEST_F(AppData, AMissingFileLoadsNothingSilently) {
    ASSERT_TRUE(Load("x\r\n"));
    fs.files.erase(kData);
    EXPECT_FALSE(dialog.Settings().ReadAppData());
    EXPECT_EQ(dialog.Registry().Count(), 0);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(AppData, AReadErrorIsReportedAndLeavesTheTitleBox) {
    ASSERT_TRUE(Load("old\r\n"));
    fs.readFailsAfter = 7;
    EXPECT_FALSE(Load("one\r\ntwo\r\nthree\r\n"));
    ExpectOneError(kReadError);
    EXPECT_EQ(TitleBox(), Titles{"old"});

    // The failure does not stick.
    fs.readFailsAfter.reset();
    view.messages.clear();
    EXPECT_TRUE(dialog.Settings().ReadAppData());
    EXPECT_EQ(TitleBox(), (Titles{"one", "three", "two"}));
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(AppData, AFailedSaveKeepsThePreviousFile) {
    const std::string old = "a\tA.lnk\t1\t2\t3\t4\t1\r\nb\tB.lnk\t5\t6\t7\t8\t0\r\n";
    const struct {
        const char* name;
        std::function<void(test::FakeFileSystem&)> fault;
        const std::string& message;
    } cases[] = {
        {"temp cannot be created", [](test::FakeFileSystem& f) { f.uncreatable.insert(kTemp); },
         kCannotOpen},
        {"replace refused (a read-only AppData.txt on Windows)",
         [](test::FakeFileSystem& f) { f.unreplaceable.insert(kData); }, kCannotOpen},
        {"disk full at once", [](test::FakeFileSystem& f) { f.writeLimit = 0; }, kDiskFull},
        {"disk full part-way", [](test::FakeFileSystem& f) { f.writeLimit = 30; }, kDiskFull},
        {"flush fails", [](test::FakeFileSystem& f) { f.failClose = true; }, kDiskFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs = test::FakeFileSystem();
        view.messages.clear();
        view.beeps = 0;
        ASSERT_TRUE(Load(old));
        ASSERT_TRUE(dialog.Registry().Insert({"c", "C.lnk", 9, 9, 9, 9, 1}));
        c.fault(fs);

        EXPECT_FALSE(dialog.Settings().WriteAppData());
        ExpectOneError(c.message);
        EXPECT_EQ(view.beeps, 0);
        EXPECT_EQ(fs.files[kData], old);
        EXPECT_FALSE(fs.Exists(kTemp));
    }

    // Once the disk is healthy again the next save goes through.
    fs = test::FakeFileSystem();
    ASSERT_TRUE(dialog.Settings().WriteAppData());
    EXPECT_EQ(fs.files[kData], old + "c\tC.lnk\t9\t9\t9\t9\t1\r\n");

    // Held for a moment, as antivirus and indexers do with a fresh file: replaced once free.
    ASSERT_TRUE(dialog.Registry().Insert({"d", "", 0, 0, 0, 0, 0}));
    fs.unreplaceable.insert(kData);
    view.messages.clear();
    fs.onPause = [&] { fs.unreplaceable.clear(); };
    ASSERT_TRUE(dialog.Settings().WriteAppData());
    EXPECT_EQ(fs.files[kData], old + "c\tC.lnk\t9\t9\t9\t9\t1\r\nd\t\t0\t0\t0\t0\t0\r\n");
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(AppData, BadInputLoadsByTheRules) {
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
        Titles titles;
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
        view.messages.clear();
        EXPECT_TRUE(Load(c.content));
        EXPECT_EQ(RegistryTitles(), c.titles);
        EXPECT_EQ(view.ComboCount(IDC_TITLE), static_cast<int>(c.titles.size()));
        EXPECT_TRUE(view.messages.empty());
    }

    ASSERT_TRUE(Load("t\tx\tabc\t4294967297\t-2147483649\t1e3\tyes\r\n"));
    const AppEntry& numbers = dialog.Registry().At(0);
    EXPECT_EQ(numbers.shortcut, "x");
    EXPECT_EQ(numbers.width, 0);
    EXPECT_EQ(numbers.height, 1);
    EXPECT_EQ(numbers.bitsPerPixel, 2147483647);
    EXPECT_EQ(numbers.frequency, 1);
    EXPECT_EQ(numbers.restoreOnExit, 0);

    ASSERT_TRUE(Load("b\x81\tc\r\n"));
    EXPECT_EQ(dialog.Registry().At(0).shortcut, "c");
}

TEST_F(AppData, StrayLeadBytesAndNulsKeepEveryFieldInPlace) {
    // Hand-edited: a lead byte before each separator and the line end, a NUL inside a title.
    ASSERT_TRUE(
        Load("Name\x81\tC:\\a\\x.lnk\x81\t640\x81\t480\t32\t60\t1\x81\r\n"
             "Be\0ta\tb.lnk\t800\t600\t16\t75\t0\r\n"s));
    const AppEntry& name = dialog.Registry().At(1);
    EXPECT_EQ(
        name.shortcut + "|" + std::to_string(name.width) + "|" + std::to_string(name.restoreOnExit),
        "C:\\a\\x.lnk\x81|640|1");
    ASSERT_TRUE(dialog.Settings().WriteAppData());
    EXPECT_EQ(fs.files[kData],
              "Beta\tb.lnk\t800\t600\t16\t75\t0\r\n"
              "Name\x81\tC:\\a\\x.lnk\x81\t640\t480\t32\t60\t1\r\n");
}

TEST_F(AppData, BigAndRandomFilesLoadInSeconds) {
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

    ASSERT_TRUE(Load(many));
    ASSERT_EQ(dialog.Registry().Count(), 10000);
    EXPECT_EQ(dialog.Registry().At(0).title, "t100000");
    EXPECT_EQ(dialog.Registry().At(9999).title, "t109999");
    EXPECT_EQ(view.ComboCount(IDC_TITLE), 10000);
    ASSERT_TRUE(dialog.Settings().WriteAppData());
    EXPECT_EQ(fs.files[kData], many);

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
    ASSERT_TRUE(Load(shuffled));
    ASSERT_TRUE(dialog.Settings().WriteAppData());
    EXPECT_EQ(fs.files[kData], many);

    ASSERT_TRUE(Load(mega + "\tS\t1\t2\t3\t4\t1\r\n" + mega + mega));
    ASSERT_EQ(dialog.Registry().Count(), 2);
    EXPECT_EQ(dialog.Registry().At(0).title, mega);
    EXPECT_EQ(dialog.Registry().At(0).frequency, 4);
    EXPECT_EQ(dialog.Registry().At(1).title.size(), 2 * mega.size());

    ASSERT_TRUE(Load(garbage));
    const AppRegistry& registry = dialog.Registry();
    EXPECT_GT(registry.Count(), 500);
    for (std::int32_t i = 0; i < registry.Count(); ++i) {
        const std::string& title = registry.At(i).title;
        EXPECT_EQ(title.find_first_of("\0\n\032"s), std::string::npos);
        if (i > 0) {
            EXPECT_LT(MbsCompare(p.codePage->Leads(), registry.At(i - 1).title, title), 0);
        }
    }
    EXPECT_TRUE(view.messages.empty());

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace mirelka
