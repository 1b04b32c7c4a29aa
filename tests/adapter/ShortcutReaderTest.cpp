#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string>

#include "ComPtr.h"
#include "TempDir.h"
#include "Win32CodePage.h"
#include "Win32ShortcutReader.h"
#include "launch/Shortcut.h"

namespace mirelka::test {
namespace {

class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialized_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

class ShortcutReaderTest : public TempDirTest {
protected:
    // Saves a shortcut to target at link; no working folder when workDir is null.
    static void MakeLink(const std::string& link, const std::string& target,
                         const std::string* workDir, const std::string& arguments = "") {
        ComPtr<IShellLinkW> shellLink;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   shellLink.PutVoid()),
                  S_OK);
        ASSERT_EQ(shellLink->SetPath(Widen(target).c_str()), S_OK);
        if (workDir != nullptr) {
            ASSERT_EQ(shellLink->SetWorkingDirectory(Widen(*workDir).c_str()), S_OK);
        }
        ASSERT_EQ(shellLink->SetArguments(Widen(arguments).c_str()), S_OK);
        ComPtr<IPersistFile> file;
        ASSERT_EQ(shellLink->QueryInterface(IID_IPersistFile, file.PutVoid()), S_OK);
        ASSERT_EQ(file->Save(Widen(link).c_str(), TRUE), S_OK);
    }

    // Makes folder\name.exe and a shortcut to it beside it, then reads the shortcut back.
    void ExpectRoundTrip(const std::string& folder, const std::string& name, bool withWorkDir,
                         bool exactTarget = true) {
        ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr)) << folder;
        const std::string target = folder + "\\" + name + ".exe";
        const std::string link = folder + "\\" + name + ".lnk";
        Put(target, "MZ");
        MakeLink(link, target, withWorkDir ? &folder : nullptr);

        ASSERT_TRUE(reader.Create());
        ASSERT_TRUE(reader.Load(link)) << link;
        std::string out = "left over";
        EXPECT_TRUE(reader.Target(out));
        if (exactTarget) {
            EXPECT_EQ(out, target);
        }
        out = "left over";
        EXPECT_TRUE(reader.WorkingDirectory(out));
        EXPECT_EQ(out, withWorkDir ? folder : "");
    }

    ComScope com;
    Win32ShortcutReader reader;
};

TEST_F(ShortcutReaderTest, ReadsTargetAndWorkingFolderBack) {
    ExpectRoundTrip(Path("app"), "tool", true);
    // The same reader takes the next file; nothing of the first stays.
    ExpectRoundTrip(Path("other"), "second", false);
    ExpectRoundTrip(Path("third"), "with blanks in it", true);
}

TEST_F(ShortcutReaderTest, ReadsAnyPathExactly) {
    // 表 and ソ end in a 0x5C trail byte in code page 932.
    ExpectRoundTrip(Path("表ソフォルダ"), "ポ表ソ", true);
    // No ANSI code page but UTF-8 holds these. Wine's shell link gives such a target back
    // as its ANSI look-alike ("?? Cafe ??"), Windows exactly: only the folder shows it here.
    ExpectRoundTrip(Path("게임 Café 😀"), "게임", true, false);
}

TEST_F(ShortcutReaderTest, ReadsArgumentsAndTheFolderAsWritten) {
    Put(Path("game.exe"), "MZ");
    const std::string workDir = "%USERPROFILE%\\Games\\X";  // expanded only when launching
    const std::string arguments = "-conf \"my game.conf\"  -window 表示";
    MakeLink(Path("game.lnk"), Path("game.exe"), &workDir, arguments);

    ASSERT_TRUE(reader.Create());
    ASSERT_TRUE(reader.Load(Path("game.lnk")));
    std::string folder, stored;
    EXPECT_TRUE(reader.WorkingDirectory(folder) && reader.Arguments(stored));
    EXPECT_EQ(folder + "|" + stored, workDir + "|" + arguments);
    // Wine reports only the flags it wrote itself, never SLDF_RUNAS_USER.
    EXPECT_FALSE(reader.LinkFlags().advertised);
}

TEST_F(ShortcutReaderTest, AnInstallerShortcutOfAnUnknownProductHasNoTarget) {
    Put(Path("icon.exe"), "MZ");
    MakeLink(Path("suite.lnk"), Path("icon.exe"), nullptr);
    // Wine's shell-link object adds no Darwin block: it goes in as the file format lays it
    // out, before the terminal block, with its flag in the header. The descriptor holds the
    // product and component codes compressed to 20 characters (all zero: an unknown one).
    EXP_DARWIN_LINK darwin{{sizeof darwin, EXP_DARWIN_ID_SIG}, {}, {}};
    const std::string descriptor = std::string(20, '!') + "Main>" + std::string(20, '!');
    std::copy(descriptor.begin(), descriptor.end(), darwin.szDarwinID);
    std::copy(descriptor.begin(), descriptor.end(), darwin.szwDarwinID);
    std::string bytes = Get(Path("suite.lnk")).value_or("");
    ASSERT_GT(bytes.size(), 0x4Cu);
    bytes[0x15] = static_cast<char>(bytes[0x15] | (SLDF_HAS_DARWINID >> 8));
    bytes.insert(bytes.size() - 4, reinterpret_cast<const char*>(&darwin), sizeof darwin);
    Put(Path("suite.lnk"), bytes);

    ASSERT_TRUE(reader.Create());
    ASSERT_TRUE(reader.Load(Path("suite.lnk")));
    EXPECT_TRUE(reader.LinkFlags().advertised);
    std::string out = "left over";
    EXPECT_FALSE(ShortcutProgram(reader, Path("suite.lnk"), out)) << "not the installer's file";
    EXPECT_EQ(out, "");
}

TEST_F(ShortcutReaderTest, LoadFailsOnMissingFilesAndOtherFiles) {
    const std::string text = Path("not a shortcut.lnk");
    Put(text, "This is a text file, not a shell link.\r\n");
    Put(Path("empty.lnk"), "");
    ASSERT_TRUE(reader.Create());
    EXPECT_FALSE(reader.Load(text));
    EXPECT_FALSE(reader.Load(Path("empty.lnk")));
    EXPECT_FALSE(reader.Load(Path("missing.lnk")));
    EXPECT_FALSE(reader.Load(Path("missing\\x.lnk")));
    EXPECT_FALSE(reader.Load(""));
}

TEST_F(ShortcutReaderTest, NothingWorksBeforeCreate) {
    const std::string folder = Path("app");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Put(folder + "\\tool.exe", "MZ");
    MakeLink(Path("tool.lnk"), folder + "\\tool.exe", &folder);

    std::string out = "left over";
    EXPECT_FALSE(reader.Load(Path("tool.lnk")));
    EXPECT_FALSE(reader.Target(out));
    EXPECT_EQ(out, "");
    out = "left over";
    EXPECT_FALSE(reader.WorkingDirectory(out));
    EXPECT_EQ(out, "");

    // Another reader's Create makes no difference to this one.
    Win32ShortcutReader created;
    ASSERT_TRUE(created.Create());
    ASSERT_TRUE(created.Load(Path("tool.lnk")));
    EXPECT_FALSE(reader.Load(Path("tool.lnk")));
    out = "left over";
    EXPECT_FALSE(reader.Target(out));
    EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace mirelka::test
