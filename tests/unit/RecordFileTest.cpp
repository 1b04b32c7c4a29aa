#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/FakeFileSystem.h"
#include "store/RecordFile.h"
#include "unit/Sjis.h"

namespace mirelka {
namespace {

using namespace std::string_literals;
using namespace test::sjis;
using Lines = std::vector<std::string>;
using test::FakeFileSystem;

const LeadBytes kCp932 = LeadBytes::Cp932();
const std::string kPath = "C:\\data\\Records.txt";
const std::string kTemp = kPath + ".tmp";

// What ReadAll makes of content; a file it reads must be left closed.
Lines ReadAll(FakeFileSystem& fs, const std::string& content) {
    fs.files[kPath] = content;
    RecordFile file(fs, kCp932);
    file.SetBasePath(kPath.c_str());
    Lines lines = {"stale"};
    EXPECT_EQ(file.ReadAll(lines), FileStatus::Done);
    EXPECT_EQ(fs.ReadersOf(kPath), 0);
    return lines;
}

// The rewrite the stores make, of these lines.
FileStatus Rewrite(RecordFile& file, const Lines& lines) {
    return RewriteRecords(file, [&] {
        for (const std::string& line : lines) {
            file.Line() = line;
            if (!file.WriteLine()) {
                return false;
            }
        }
        return true;
    });
}

TEST(RecordFilePath, ReplacesTheLastComponentOfAUtf8Path) {
    FakeFileSystem fs;
    RecordFile file(fs, kCp932);
    EXPECT_FALSE(file.SetBasePath(nullptr));

    // UTF-8 paths: the code page's lead bytes don't count, or 게 and 임 (EA B2 8C, EC 9E 84)
    // would each take the backslash after them for a trail byte.
    const struct {
        std::string base;
        std::string expected;
    } cases[] = {
        {"C:\\Tools\\Mirelka.exe", "C:\\Tools\\AppData.txt"},
        {"C:\\게임\\Mirelka.exe", "C:\\게임\\AppData.txt"},
        {"\\\\srv\\表\\表.exe", "\\\\srv\\表\\AppData.txt"},
        {"C:\\ソソ", "C:\\AppData.txt"},
        {"D:/apps/m.exe", "D:/apps/AppData.txt"},
        {"C:Mirelka.exe", "C:AppData.txt"},
        {"C:\\Tools\\", "C:\\Tools\\AppData.txt"},
        {"Mirelka.exe", "AppData.txt"},
        {"", "AppData.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        ASSERT_TRUE(file.SetBasePath(c.base.c_str()));
        EXPECT_TRUE(file.SetFileName("AppData.txt"));
        EXPECT_EQ(file.Path(), c.expected);
    }
}

TEST(RecordFileRead, EndsLinesTheWayTextModeDoes) {
    const struct {
        std::string content;  // \032 is Ctrl-Z
        Lines expected;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\nc", {"a", "b", "c"}},
        {"a\r\n\r\n\nb", {"a", "", "", "b"}},
        {"\r\n", {""}},
        {"a\rb\r\n", {"a\rb"}},
        {"a\r\r\nb", {"a\r", "b"}},
        {"a\r\rb\n", {"a\r\rb"}},
        {"a\r", {"a\r"}},
        {"a\032b\r\nc", {"a"}},
        {"a\r\n\032\r\nb", {"a"}},
        {"a\r\032\n", {"a\r"}},
        {"\032a", {}},
        // A NUL goes; the rest of its line stays.
        {"ab\0cd\r\nef"s, {"abcd", "ef"}},
        {"\0x\ty\r\nz"s, {"x\ty", "z"}},
        {"a\0\r\r\nb"s, {"a\r", "b"}},
        {"a\0\032b"s, {"a"}},
        {std::string(kHyo) + kPo + "\r\n" + kSo, {std::string(kHyo) + kPo, kSo}},
    };
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4096}}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::PrintToString(c.content) + " in chunks of " +
                         std::to_string(chunk));
            FakeFileSystem fs;
            fs.readChunk = chunk;
            EXPECT_EQ(ReadAll(fs, c.content), c.expected);
        }
    }
}

TEST(RecordFileRead, HandlesLongLinesAndItsOwnBufferBoundary) {
    FakeFileSystem fs;
    fs.readChunk = std::size_t{1} << 24;  // whole buffers: the boundary is RecordFile's own

    const std::string mega(std::size_t{1} << 20, 'x');
    EXPECT_EQ(ReadAll(fs, mega + "\r\nb"), (Lines{mega, "b"}));

    const std::string head(64 * 1024 - 1, 'a');
    EXPECT_EQ(ReadAll(fs, head + "\r\nb"), (Lines{head, "b"}));
    EXPECT_EQ(ReadAll(fs, head + "\r\r\nb"), (Lines{head + "\r", "b"}));
    EXPECT_EQ(ReadAll(fs, head + "\r\032b"), (Lines{head + "\r"}));
}

TEST(RecordFileRead, IsWholeOrNothing) {
    FakeFileSystem fs;
    RecordFile file(fs, kCp932);
    file.SetBasePath(kPath.c_str());
    Lines lines = {"stale"};
    EXPECT_EQ(file.ReadAll(lines), FileStatus::CannotOpen);
    EXPECT_EQ(lines, Lines{}) << "no file: nothing in it";

    // A read error part-way is never taken for the end of the file.
    fs.files[kPath] = "one\r\ntwo\r\nthree\r\n";
    for (const std::size_t failAfter : {0u, 7u, 10u, 15u}) {
        SCOPED_TRACE(failAfter);
        fs.readFailsAfter = failAfter;
        lines = {"kept"};
        EXPECT_EQ(file.ReadAll(lines), FileStatus::ReadFailed);
        EXPECT_EQ(lines, Lines{"kept"});
        EXPECT_FALSE(file.IsOpen());

        // The next reading starts afresh.
        fs.readFailsAfter.reset();
        EXPECT_EQ(file.ReadAll(lines), FileStatus::Done);
        EXPECT_EQ(lines, (Lines{"one", "two", "three"}));
    }
}

TEST(RecordFileFields, SplitAtTabsAndJoinBack) {
    auto fields = [](const std::string& line) {
        std::string_view rest = line;
        Lines out;
        std::string field = "junk";
        while (NextField(kCp932, rest, field)) {
            out.push_back(field);
        }
        EXPECT_EQ(field, "");
        return out;
    };
    EXPECT_EQ(fields("a\t\tb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(fields(""), Lines{});
    EXPECT_EQ(fields(std::string(kPo) + "\t" + kHyo + "\t" + kSo), (Lines{kPo, kHyo, kSo}));
    EXPECT_EQ(fields("a\x81\tb\x81\tc"), (Lines{"a\x81", "b\x81", "c"}));

    EXPECT_EQ(JoinFields({"x", "", "y"}), "x\t\ty");
    EXPECT_EQ(JoinFields({"", "y"}), "\ty");
    EXPECT_EQ(fields(JoinFields({"", "y"})), (Lines{"", "y"}));
}

TEST(RecordFileWrite, WritesCrLfAndReplacesTheFileWhole) {
    FakeFileSystem fs;
    RecordFile file(fs, kCp932);
    file.SetBasePath(kPath.c_str());

    ASSERT_EQ(Rewrite(file, {"a", "b\nc", "", kHyo, "d\r"}), FileStatus::Done);
    EXPECT_EQ(fs.files[kPath], "a\r\nb\r\nc\r\n\r\n"s + kHyo + "\r\nd\r\r\n");
    EXPECT_FALSE(fs.Exists(kTemp));

    ASSERT_EQ(Rewrite(file, {"new"}), FileStatus::Done);
    EXPECT_EQ(fs.files[kPath], "new\r\n");
    EXPECT_FALSE(fs.Exists(kTemp));
}

TEST(RecordFileWrite, AFailedRewriteLeavesTheDataFileAsItWas) {
    const std::string old = "old\r\ncontent\r\n";
    const struct {
        const char* name;
        std::function<void(FakeFileSystem&)> fault;
        FileStatus status;
        RecordFile::Error error;
    } cases[] = {
        {"temp cannot be created", [](FakeFileSystem& fs) { fs.uncreatable.insert(kTemp); },
         FileStatus::CannotOpen, RecordFile::Error::None},
        {"write fails at once", [](FakeFileSystem& fs) { fs.writeLimit = 0; },
         FileStatus::WriteFailed, RecordFile::Error::Write},
        {"write fails part-way", [](FakeFileSystem& fs) { fs.writeLimit = 7; },
         FileStatus::WriteFailed, RecordFile::Error::Write},
        {"flush on close fails", [](FakeFileSystem& fs) { fs.failClose = true; },
         FileStatus::WriteFailed, RecordFile::Error::Write},
        {"replace fails", [](FakeFileSystem& fs) { fs.unreplaceable.insert(kPath); },
         FileStatus::CannotOpen, RecordFile::Error::Replace},
    };
    for (const bool existed : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (existed ? ", over a file" : ", no file yet"));
            FakeFileSystem fs;
            if (existed) {
                fs.files[kPath] = old;
            }
            c.fault(fs);
            RecordFile file(fs, kCp932);
            file.SetBasePath(kPath.c_str());

            EXPECT_EQ(Rewrite(file, {"one", "two", "three"}), c.status);
            EXPECT_EQ(file.LastError(), c.error);
            EXPECT_FALSE(file.IsOpen());
            EXPECT_EQ(fs.Exists(kPath), existed);
            if (existed) {
                EXPECT_EQ(fs.files[kPath], old);
            }
            EXPECT_FALSE(fs.Exists(kTemp));

            // Nothing of the failure sticks to the next rewrite.
            fs.uncreatable.clear();
            fs.unreplaceable.clear();
            fs.writeLimit.reset();
            fs.failClose = false;
            EXPECT_EQ(Rewrite(file, {"new"}), FileStatus::Done);
            EXPECT_EQ(file.LastError(), RecordFile::Error::None);
            EXPECT_EQ(fs.files[kPath], "new\r\n");
        }
    }
}

TEST(RecordFileWrite, AnAbandonedRewriteLeavesTheDataFileAsItWas) {
    FakeFileSystem fs;
    fs.files[kPath] = "old\r\n";
    {
        RecordFile file(fs, kCp932);
        file.SetBasePath(kPath.c_str());
        ASSERT_TRUE(file.Open(RecordFile::Mode::Write));
        file.Line() = "new";
        ASSERT_TRUE(file.WriteLine());
        file.Abandon();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(fs.files[kPath], "old\r\n");
        EXPECT_FALSE(fs.Exists(kTemp));

        ASSERT_TRUE(file.Open(RecordFile::Mode::Write));
        ASSERT_TRUE(file.WriteLine());
        file.SetBasePath(kPath.c_str());
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(fs.files[kPath], "old\r\n");
        EXPECT_FALSE(fs.Exists(kTemp));

        ASSERT_TRUE(file.Open(RecordFile::Mode::Write));
        ASSERT_TRUE(file.WriteLine());
    }  // destroyed mid-rewrite
    EXPECT_EQ(fs.files[kPath], "old\r\n");
    EXPECT_FALSE(fs.Exists(kTemp));
}

}  // namespace
}  // namespace mirelka
