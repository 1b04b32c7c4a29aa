#include <gtest/gtest.h>

#include "TempDir.h"
#include "Win32FileSystem.h"

namespace mirelka::test {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Under Wine, ntdll exports its version; Windows has no such export.
bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ReadAll(ReadStream& stream, std::size_t chunk) {
    std::string bytes;
    std::string buffer(chunk, '\0');
    std::size_t count = 0;
    ReadStream::Status status;
    while ((status = stream.Read(buffer.data(), chunk, count)) == ReadStream::Status::Data) {
        EXPECT_GT(count, 0u);
        EXPECT_LE(count, chunk);
        bytes.append(buffer, 0, count);
    }
    EXPECT_EQ(status, ReadStream::Status::End);
    EXPECT_EQ(stream.Read(buffer.data(), chunk, count), ReadStream::Status::End);
    return bytes;
}

class FileSystemTest : public TempDirTest {
protected:
    Win32FileSystem fs;
};

TEST_F(FileSystemTest, ReadersShareAFileButKeepWritersOut) {
    const std::string path = Path("AppData.txt");
    Put(path, "kept");
    auto reader = fs.OpenRead(path);
    ASSERT_NE(reader, nullptr);
    EXPECT_NE(fs.OpenRead(path), nullptr);
    EXPECT_EQ(fs.OpenWrite(path), nullptr);
    EXPECT_FALSE(Hold(path, GENERIC_WRITE, kShareAll)) << "another program could write";
    EXPECT_FALSE(DeleteFileA(path.c_str())) << "another program could delete";
    reader.reset();
    EXPECT_EQ(Get(path), "kept") << "the refused writer emptied the file";
}

TEST_F(FileSystemTest, AWriterHoldsItsFileExclusivelyUntilClosed) {
    const std::string path = Path("AppData.txt");
    auto writer = fs.OpenWrite(path);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(fs.OpenRead(path), nullptr);
    EXPECT_EQ(fs.OpenWrite(path), nullptr);
    EXPECT_FALSE(Hold(path, GENERIC_READ, kShareAll)) << "another program could read";
    EXPECT_TRUE(writer->Write("abc"));
    EXPECT_TRUE(writer->Close());
    EXPECT_FALSE(writer->Write("more")) << "written after Close";
    EXPECT_NE(fs.OpenRead(path), nullptr);
    EXPECT_EQ(Get(path), "abc");
}

TEST_F(FileSystemTest, OpensNothingThatIsMissingOrMisnamed) {
    const std::string path = Path("AppData.txt");
    EXPECT_EQ(fs.OpenRead(path), nullptr);
    EXPECT_EQ(fs.OpenRead(dir_), nullptr) << "a folder";
    EXPECT_EQ(fs.OpenRead(""), nullptr);
    EXPECT_EQ(fs.OpenWrite(Path("missing\\AppData.txt")), nullptr);

    // Cut at the NUL, these would name AppData.txt itself.
    Put(path, "kept");
    const std::string withNul = path + std::string(1, '\0') + ".tmp";
    EXPECT_EQ(fs.OpenRead(withNul), nullptr);
    EXPECT_EQ(fs.OpenWrite(withNul), nullptr);
    EXPECT_FALSE(fs.Remove(withNul));
    Put(Path("new.txt"), "new");
    EXPECT_FALSE(fs.Replace(Path("new.txt"), withNul));
    EXPECT_EQ(Get(path), "kept");
}

TEST_F(FileSystemTest, StreamsCarryEveryByteUnchanged) {
    std::string bytes;
    for (int round = 0; round < 300; ++round) {
        for (int b = 0; b < 256; ++b) {
            bytes.push_back(static_cast<char>(b));
        }
    }
    const std::string path = Path("AppData.txt");
    Put(path, "an older and longer content than the new one, to be emptied first");
    auto writer = fs.OpenWrite(path);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(writer->Write(std::string_view(bytes).substr(0, 1000)));
    EXPECT_TRUE(writer->Write(""));
    EXPECT_TRUE(writer->Write(std::string_view(bytes).substr(1000)));
    EXPECT_TRUE(writer->Close());
    EXPECT_EQ(Get(path), bytes);

    for (const std::size_t chunk : {std::size_t{1000}, std::size_t{64 * 1024}}) {
        auto reader = fs.OpenRead(path);
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(ReadAll(*reader, chunk), bytes) << chunk;
    }
    auto writer2 = fs.OpenWrite(path);
    ASSERT_NE(writer2, nullptr);
    EXPECT_TRUE(writer2->Close());
    auto reader = fs.OpenRead(path);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(ReadAll(*reader, 16), "") << "an emptied file has nothing to read";
}

// Handles opened without the access a stream needs stand in for a failing disk.
TEST_F(FileSystemTest, FailuresAreReportedNotTakenForTheEnd) {
    const std::string path = Path("AppData.txt");
    Put(path, "abc");
    const auto open = [&](DWORD access) {
        UniqueFile file = Hold(path, access, kShareAll);
        EXPECT_TRUE(file);
        return file;
    };
    {
        Win32ReadStream cannotRead(open(GENERIC_WRITE));
        char buffer[16];
        std::size_t count = 0;
        EXPECT_EQ(cannotRead.Read(buffer, sizeof buffer, count), ReadStream::Status::Error);
    }
    {
        Win32WriteStream cannotFlush(open(GENERIC_READ));
        EXPECT_FALSE(cannotFlush.Close());
    }
    Win32WriteStream cannotWrite(open(GENERIC_READ));
    EXPECT_FALSE(cannotWrite.Write("x"));
    EXPECT_FALSE(cannotWrite.Write("")) << "a failed stream took more";
    EXPECT_FALSE(cannotWrite.Close());
    EXPECT_TRUE(Hold(path, GENERIC_WRITE, 0)) << "a failed Close kept the file";

    // A write that fails though flushing and closing succeed (under Wine, at least):
    // a pipe nobody reads any more.
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    CloseHandle(readEnd);
    Win32WriteStream broken{UniqueFile(writeEnd)};
    EXPECT_FALSE(broken.Write("x"));
    EXPECT_FALSE(broken.Close()) << "a failed write was forgotten";
}

TEST_F(FileSystemTest, ADroppedWriterLetsGoOfItsFile) {
    const std::string path = Path("AppData.txt");
    {
        auto writer = fs.OpenWrite(path);
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->Write("abc"));
    }
    EXPECT_EQ(Get(path), "abc");
    EXPECT_NE(fs.OpenWrite(path), nullptr);
}

TEST_F(FileSystemTest, ReplaceMovesOverAnExistingFileOrOntoANewName) {
    const std::string temp = Path("AppData.txt.tmp");
    const std::string target = Path("AppData.txt");
    Put(temp, "new");
    Put(target, "old");
    EXPECT_TRUE(fs.Replace(temp, target));
    EXPECT_EQ(Get(target), "new");
    EXPECT_FALSE(Exists(temp));

    Put(temp, "first");
    EXPECT_TRUE(fs.Replace(temp, Path("ScreenMode.txt")));
    EXPECT_EQ(Get(Path("ScreenMode.txt")), "first");
    EXPECT_FALSE(Exists(temp));

    EXPECT_FALSE(fs.Replace(temp, target)) << "nothing to move";
    EXPECT_EQ(Get(target), "new");
}

TEST_F(FileSystemTest, ReplaceFailsWhileTheTargetIsOpenElsewhere) {
    const std::string temp = Path("AppData.txt.tmp");
    const std::string target = Path("AppData.txt");
    Put(temp, "new");
    Put(target, "old");
    for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        const UniqueFile other = Hold(target, GENERIC_READ, share);
        ASSERT_TRUE(other);
        EXPECT_FALSE(fs.Replace(temp, target)) << share;
    }
    {
        auto reader = fs.OpenRead(target);
        ASSERT_NE(reader, nullptr);
        EXPECT_FALSE(fs.Replace(temp, target)) << "while we read it ourselves";
    }
    EXPECT_EQ(Get(target), "old");
    EXPECT_EQ(Get(temp), "new");
}

TEST_F(FileSystemTest, ReplaceOntoAReadOnlyFileLosesNeither) {
    const std::string temp = Path("AppData.txt.tmp");
    const std::string target = Path("AppData.txt");
    Put(temp, "new");
    Put(target, "old");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    // Windows refuses; Wine replaces it (when its user may write to the folder).
    if (fs.Replace(temp, target)) {
        EXPECT_TRUE(UnderWine()) << "Windows replaced a read-only file";
        EXPECT_EQ(Get(target), "new");
        EXPECT_FALSE(Exists(temp));
    } else {
        EXPECT_EQ(Get(target), "old");
        EXPECT_EQ(Get(temp), "new");
    }
}

TEST_F(FileSystemTest, TellsAMissingFileFromOneThatIsHeld) {
    FileSystem::OpenFailure failure = FileSystem::OpenFailure::None;
    const std::string path = Path("AppData.txt");
    for (const std::string& missing : {path, Path("gone\\AppData.txt")}) {
        EXPECT_EQ(fs.OpenRead(missing, failure), nullptr);
        EXPECT_EQ(failure, FileSystem::OpenFailure::Missing) << missing;
    }
    Put(path, "kept");
    const UniqueFile other = Hold(path, GENERIC_READ, 0);
    EXPECT_EQ(fs.OpenRead(path, failure), nullptr);
    EXPECT_EQ(failure, FileSystem::OpenFailure::Unreadable) << "there, but held without sharing";
}

TEST_F(FileSystemTest, RemoveDeletesOnlyAnExistingFile) {
    const std::string path = Path("AppData.txt.tmp");
    Put(path, "x");
    EXPECT_TRUE(fs.Remove(path));
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(fs.Remove(path));
    EXPECT_FALSE(fs.Remove(dir_));
    EXPECT_TRUE(Exists(dir_));
}

}  // namespace
}  // namespace mirelka::test
