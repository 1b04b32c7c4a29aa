#include <gtest/gtest.h>

#include <vector>

#include "TempDir.h"
#include "Win32FileSystem.h"
#include "store/RecordFile.h"

namespace mirelka::test {
namespace {

class RecordFileOnDiskTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(file.SetBasePath(Path("Mirelka.exe").c_str()));
        ASSERT_TRUE(file.SetFileName("AppData.txt"));
        ASSERT_EQ(file.Path(), Path("AppData.txt"));
    }

    bool Save(const std::vector<std::string>& lines) {
        if (!file.Open(RecordFile::Mode::Write)) {
            return false;
        }
        for (const std::string& line : lines) {
            file.Line() = line;
            if (!file.WriteLine()) {
                break;
            }
        }
        return file.Close();
    }

    std::vector<std::string> Load() {
        std::vector<std::string> lines;
        EXPECT_TRUE(file.Open(RecordFile::Mode::Read));
        while (file.ReadLine()) {
            lines.push_back(file.Line());
        }
        EXPECT_EQ(file.LastError(), RecordFile::Error::None);
        file.Close();
        return lines;
    }

    std::string Temp() const { return RecordFile::TempPathFor(file.Path()); }

    Win32FileSystem fs;
    LeadBytes leads = LeadBytes::Cp932();
    RecordFile file{fs, leads};
};

using Lines = std::vector<std::string>;

TEST_F(RecordFileOnDiskTest, WritesWindowsTextAndReadsItBack) {
    // 表示 in code page 932 has 0x5C, a backslash, as its trail byte.
    const std::string hyouji = "\x95\x5C\x8E\xA6";
    file.ClearLine();
    file.AppendField(hyouji);
    file.AppendField("C:\\Games\\a.lnk");
    const std::string record = file.Line();
    ASSERT_TRUE(Save({record, "two\nlines", ""}));
    EXPECT_EQ(Get(file.Path()), hyouji + "\tC:\\Games\\a.lnk\r\ntwo\r\nlines\r\n\r\n");
    EXPECT_FALSE(Exists(Temp()));

    EXPECT_EQ(Load(), (Lines{record, "two", "lines", ""}));
    ASSERT_TRUE(file.Open(RecordFile::Mode::Read));
    ASSERT_TRUE(file.ReadLine());
    std::string field;
    EXPECT_TRUE(file.NextField(field));
    EXPECT_EQ(field, hyouji);
    EXPECT_TRUE(file.NextField(field));
    EXPECT_EQ(field, "C:\\Games\\a.lnk");
    EXPECT_FALSE(file.NextField(field));
    EXPECT_TRUE(file.Close());
}

TEST_F(RecordFileOnDiskTest, ReadsEveryLineEndingAndStopsAtCtrlZ) {
    Put(file.Path(),
        "crlf\r\nlf\nlone\rcr\r\r\nlast\x1A"
        "after\r\n");
    EXPECT_EQ(Load(), (Lines{"crlf", "lf", "lone\rcr\r", "last"}));

    Put(file.Path(), "no end");
    EXPECT_EQ(Load(), (Lines{"no end"}));
}

TEST_F(RecordFileOnDiskTest, ACrLfSplitAcrossReadsIsOneLineEnd) {
    // The first read of the file ends between CR and LF.
    const std::string longLine(64 * 1024 - 1, 'x');
    Put(file.Path(), longLine + "\r\n" + "next\r\n");
    EXPECT_EQ(Load(), (Lines{longLine, "next"}));
}

TEST_F(RecordFileOnDiskTest, AFailedCommitKeepsTheOldFileAndNoTemp) {
    const std::string old = "old\tC:\\a.lnk\r\n";
    Put(file.Path(), old);
    {
        // Another program has AppData.txt open, without FILE_SHARE_DELETE.
        const UniqueFile other =
            Hold(file.Path(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(other);
        EXPECT_FALSE(Save({"new", "lines"}));
        EXPECT_EQ(file.LastError(), RecordFile::Error::Replace);
    }
    EXPECT_EQ(Get(file.Path()), old);
    EXPECT_FALSE(Exists(Temp()));

    EXPECT_TRUE(Save({"new"})) << "the same save once the file is free";
    EXPECT_EQ(Get(file.Path()), "new\r\n");
}

TEST_F(RecordFileOnDiskTest, AFirstSaveCreatesTheFile) {
    ASSERT_TRUE(Save({"only"}));
    EXPECT_EQ(Get(file.Path()), "only\r\n");
    EXPECT_FALSE(Exists(Temp()));
}

TEST_F(RecordFileOnDiskTest, AnAbandonedRewriteLeavesNoTrace) {
    Put(file.Path(), "old\r\n");
    ASSERT_TRUE(file.Open(RecordFile::Mode::Write));
    file.Line() = "new";
    ASSERT_TRUE(file.WriteLine());
    file.Abandon();
    EXPECT_EQ(Get(file.Path()), "old\r\n");
    EXPECT_FALSE(Exists(Temp()));

    {
        RecordFile other(fs, leads);
        ASSERT_TRUE(other.SetBasePath(file.Path().c_str()));
        ASSERT_TRUE(other.Open(RecordFile::Mode::Write));
        other.Line() = "new";
        ASSERT_TRUE(other.WriteLine());
    }
    EXPECT_EQ(Get(file.Path()), "old\r\n");
    EXPECT_FALSE(Exists(Temp()));
}

TEST_F(RecordFileOnDiskTest, SavesBesideTheProgramInAnyFolder) {
    // Paths are UTF-8 and go through the wide API: Korean letters (which code page 932 lacks)
    // and 表示 (whose trail byte there is a backslash) name the folder, whatever the code page.
    const std::string folder = Path("게임 表示");
    std::wstring wide(dir_.begin(), dir_.end());  // the temp folder's name is ASCII
    wide += L"\\게임 表示";
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
    ASSERT_TRUE(file.SetBasePath((folder + "\\Mirelka.exe").c_str()));
    ASSERT_TRUE(file.SetFileName("AppData.txt"));
    ASSERT_EQ(file.Path(), folder + "\\AppData.txt");
    ASSERT_TRUE(Save({"x"}));

    EXPECT_NE(GetFileAttributesW((wide + L"\\AppData.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Load(), (Lines{"x"}));
    EXPECT_TRUE(fs.Remove(folder + "\\AppData.txt"));
    EXPECT_TRUE(RemoveDirectoryW(wide.c_str()));
}

}  // namespace
}  // namespace mirelka::test
