#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "TempDir.h"
#include "Win32CodePage.h"
#include "Win32ProcessRunner.h"

namespace mirelka::test {
namespace {

class ProcessRunnerTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        // Named with characters no ANSI code page but UTF-8 holds: only the wide API finds it.
        programs_ = Path("게임 Café 😀");
        work_ = Path("work");
        ASSERT_TRUE(CreateDirectoryW(Widen(programs_).c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(work_.c_str(), nullptr));
        // %~dp0 is the folder of the script's argv[0]: ran.txt lands beside the script only
        // when argv[0] is its exact path. It holds where the script ran, then its arguments.
        Write(Script(), "@cd > \"%~dp0ran.txt\"\r\n@echo %*>> \"%~dp0ran.txt\"\r\n");
    }
    void TearDown() override {
        DeleteFileW(Widen(Script()).c_str());
        DeleteFileW(Widen(Ran()).c_str());
        EXPECT_TRUE(RemoveDirectoryW(Widen(programs_).c_str()));  // the cleanup is ANSI
        TempDirTest::TearDown();
    }

    std::string Script() const { return programs_ + "\\run.bat"; }
    std::string Ran() const { return programs_ + "\\ran.txt"; }
    static void Write(const std::string& path, const std::string& bytes) {
        UniqueFile file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr));
    }
    // What the script recorded, taken out of the way for the next run; none when it didn't run.
    std::optional<std::string> TakeRan() const {
        UniqueFile file(CreateFileW(Widen(Ran()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return std::nullopt;
        }
        char buffer[4096];
        DWORD got = 0;
        ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr);
        file.reset();
        DeleteFileW(Widen(Ran()).c_str());
        return std::string(buffer, got);
    }

    Win32ProcessRunner runner;
    std::string programs_;
    std::string work_;
};

TEST_F(ProcessRunnerTest, StartsAnyPathInTheFolderGivenAndWaitsBothWays) {
    const std::string ours = runner.CurrentDirectory();
    const std::string script = runner.FullPath("run.bat", programs_);
    ASSERT_EQ(script, Script());
    ASSERT_TRUE(runner.FileExists(script));

    EXPECT_EQ(runner.RunAndWait(script, "\"" + script + "\" -conf a.conf", work_),
              ProcessRunner::Outcome::Ended);
    EXPECT_EQ(TakeRan(), work_ + "\r\n-conf a.conf\r\n") << "ended before RunAndWait returned";
    // Under Wine the shell's elevation request has no prompt: it just runs.
    EXPECT_TRUE(runner.RunElevatedAndWait(script, "-window", work_));
    EXPECT_EQ(TakeRan(), work_ + "\r\n-window\r\n");
    EXPECT_EQ(runner.CurrentDirectory(), ours) << "ours never moves";

    EXPECT_EQ(runner.RunAndWait(programs_ + "\\gone.exe", "gone", work_),
              ProcessRunner::Outcome::NotStarted);
    EXPECT_FALSE(runner.RunElevatedAndWait(programs_ + "\\gone.exe", "", work_));
}

TEST_F(ProcessRunnerTest, CompletesPathsFromTheFolderGivenAndExpandsVariables) {
    EXPECT_EQ(runner.FullPath(".\\x.exe", "C:\\a\\b"), "C:\\a\\b\\x.exe");
    EXPECT_EQ(runner.FullPath("..\\c/x.exe", "C:\\a\\b"), "C:\\a\\c\\x.exe");
    EXPECT_EQ(runner.FullPath("\\x.exe", "D:\\a\\b"), "D:\\x.exe");
    EXPECT_EQ(runner.FullPath("d:x.exe", "D:\\a"), "D:\\a\\x.exe");
    EXPECT_EQ(runner.FullPath("\\x.exe", "\\\\server\\share\\a"), "\\\\server\\share\\x.exe");
    EXPECT_TRUE(runner.FolderExists(programs_));
    EXPECT_FALSE(runner.FileExists(programs_));

    ASSERT_TRUE(SetEnvironmentVariableW(L"MIRELKA_GAMES", Widen(programs_).c_str()));
    EXPECT_EQ(runner.ExpandEnvironment("%MIRELKA_GAMES%\\x %MIRELKA_NONE%"),
              programs_ + "\\x %MIRELKA_NONE%");
    SetEnvironmentVariableW(L"MIRELKA_GAMES", nullptr);
}

}  // namespace
}  // namespace mirelka::test
