#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TempDir.h"
#include "Win32ProcessRunner.h"

namespace mirelka::test {
namespace {

using ProcessRunnerTest = TempDirTest;

TEST_F(ProcessRunnerTest, StartsAnyPathInTheFolderGivenAndWaitsEitherWay) {
    Win32ProcessRunner runner;
    // No ANSI code page but UTF-8 holds this folder's name. %~dp0 is the folder of the
    // script's argv[0]: its record lands beside it only when argv[0] is its exact path.
    const std::string programs = Path("게임 Café 😀");
    ASSERT_TRUE(CreateDirectoryW(Widen(programs).c_str(), nullptr));
    const std::string script = runner.FullPath("run.bat", programs);
    ASSERT_EQ(script, programs + "\\run.bat");
    Put(script, "@cd > \"%~dp0ran.txt\"\r\n@echo %*>> \"%~dp0ran.txt\"\r\n");
    const std::string work = Path("work");
    ASSERT_TRUE(CreateDirectoryW(Widen(work).c_str(), nullptr));
    const std::string ours = runner.CurrentDirectory();

    EXPECT_EQ(
        runner.RunAndWait(script, "\"" + script + "\" -conf a.conf", work, WindowShow::Normal),
        ProcessRunner::Outcome::Ended);
    EXPECT_EQ(Get(programs + "\\ran.txt"), work + "\r\n-conf a.conf\r\n") << "not waited for";
    // Under Wine the shell's elevation request has no prompt: it just runs.
    EXPECT_TRUE(runner.RunElevatedAndWait(script, "-window", work, WindowShow::Normal));
    EXPECT_EQ(Get(programs + "\\ran.txt"), work + "\r\n-window\r\n");
    EXPECT_EQ(runner.CurrentDirectory(), ours);
    EXPECT_FALSE(runner.RunElevatedAndWait(programs + "\\gone.exe", "", work, WindowShow::Normal));

    EXPECT_EQ(runner.FullPath("..\\c/x.exe", "C:\\a\\b"), "C:\\a\\c\\x.exe");
    EXPECT_EQ(runner.FullPath("\\x.exe", "\\\\server\\share\\a"), "\\\\server\\share\\x.exe");
    EXPECT_EQ(runner.FullPath("d:x.exe", "D:\\a"), "D:\\a\\x.exe");
    ASSERT_TRUE(SetEnvironmentVariableW(L"MIRELKA_GAMES", Widen(programs).c_str()));
    EXPECT_EQ(runner.ExpandEnvironment("%MIRELKA_GAMES%\\%MIRELKA_NONE%"),
              programs + "\\%MIRELKA_NONE%");
}

}  // namespace
}  // namespace mirelka::test
