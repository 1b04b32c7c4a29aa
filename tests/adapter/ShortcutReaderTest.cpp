#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "ComPtr.h"
#include "TempDir.h"
#include "Win32CodePage.h"
#include "Win32ShortcutReader.h"
#include "launch/Shortcut.h"

namespace mirelka::test {
namespace {

// Paths, folders and arguments are UTF-8 at the reader and UTF-16 at the shell-link object.
std::wstring Wide(const std::string& utf8) {
    return Widen(utf8);
}

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
        ASSERT_EQ(shellLink->SetPath(Wide(target).c_str()), S_OK);
        if (workDir != nullptr) {
            ASSERT_EQ(shellLink->SetWorkingDirectory(Wide(*workDir).c_str()), S_OK);
        }
        ASSERT_EQ(shellLink->SetArguments(Wide(arguments).c_str()), S_OK);
        Save(shellLink, link);
    }

    // Adds flags to a saved shortcut's header and block to its extra data, as the file
    // format lays them out: Wine's shell-link object can't add a Darwin block itself.
    static void Patch(const std::string& link, DWORD flags, const std::string& block) {
        std::optional<std::string> bytes = Get(link);
        ASSERT_TRUE(bytes && bytes->size() > 0x4C + 4);
        DWORD header = 0;
        std::memcpy(&header, bytes->data() + 0x14, sizeof header);
        header |= flags;
        std::memcpy(bytes->data() + 0x14, &header, sizeof header);
        ASSERT_EQ(bytes->substr(bytes->size() - 4), std::string(4, '\0')) << "terminal block";
        bytes->insert(bytes->size() - 4, block);
        Put(link, *bytes);
    }

    static void Save(const ComPtr<IShellLinkW>& shellLink, const std::string& link) {
        ComPtr<IPersistFile> file;
        ASSERT_EQ(shellLink->QueryInterface(IID_IPersistFile, file.PutVoid()), S_OK);
        ASSERT_EQ(file->Save(Wide(link).c_str(), TRUE), S_OK);
    }

    // Makes folder\name.exe and a shortcut to it beside it, then reads the shortcut back.
    void ExpectRoundTrip(const std::string& folder, const std::string& name, bool withWorkDir,
                         bool exactTarget = true) {
        ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr)) << folder;
        const std::string target = folder + "\\" + name + ".exe";
        const std::string link = folder + "\\" + name + ".lnk";
        ASSERT_TRUE(UniqueFile(CreateFileW(Wide(target).c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
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
        EXPECT_TRUE(reader.Arguments(out));
        EXPECT_EQ(out, "");
        EXPECT_FALSE(reader.LinkFlags().runAsAdministrator);
        EXPECT_FALSE(reader.LinkFlags().advertised);
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
    // 表 and ソ end in a 0x5C trail byte in code page 932; Korean, é and an emoji are not in
    // it at all, nor in any other ANSI code page but UTF-8. Wine keeps a shortcut's target
    // in the ANSI code page only (Windows keeps it in UTF-16 too): for those, only the
    // working folder can show that the reader is exact.
    const struct {
        const char* folder;
        const char* name;
        bool ansi;
    } cases[] = {{"表ソフォルダ", "ポ表ソ", true}, {"게임 Café 😀", "게임", false}};
    for (const auto& c : cases) {
        const std::string folder = Path(c.folder);
        ExpectRoundTrip(folder, c.name, true, c.ansi);
        // The temp folder's own cleanup is ANSI.
        for (const char* extension : {".exe", ".lnk"}) {
            EXPECT_TRUE(DeleteFileW(Wide(folder + "\\" + c.name + extension).c_str()));
        }
        EXPECT_TRUE(RemoveDirectoryW(Wide(folder).c_str()));
    }
}

TEST_F(ShortcutReaderTest, ReadsArgumentsAndTheFolderAsWritten) {
    const std::string folder = Path("app");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Put(folder + "\\game.exe", "MZ");
    const std::string workDir = "%USERPROFILE%\\Games\\X";
    const std::string arguments = "-conf \"my game.conf\"  -window 表示";
    MakeLink(Path("game.lnk"), folder + "\\game.exe", &workDir, arguments);

    ASSERT_TRUE(reader.Create());
    ASSERT_TRUE(reader.Load(Path("game.lnk")));
    std::string out;
    EXPECT_TRUE(reader.WorkingDirectory(out));
    EXPECT_EQ(out, workDir) << "expanded only when launching";
    EXPECT_TRUE(reader.Arguments(out));
    EXPECT_EQ(out, arguments);
    // Wine reports only the flags it wrote itself, never SLDF_RUNAS_USER.
    EXPECT_FALSE(reader.LinkFlags().advertised);
}

TEST_F(ShortcutReaderTest, AnInstallerShortcutOfAnUnknownProductHasNoTarget) {
    Put(Path("icon.exe"), "MZ");
    MakeLink(Path("suite.lnk"), Path("icon.exe"), nullptr);
    // A descriptor as the installer writes it: product and component codes compressed to 20
    // characters each (all zero here, a product no installer knows), the feature between.
    EXP_DARWIN_LINK darwin{};
    darwin.dbh.cbSize = sizeof darwin;
    darwin.dbh.dwSignature = EXP_DARWIN_ID_SIG;
    const std::string descriptor = std::string(20, '!') + "Main>" + std::string(20, '!');
    std::copy(descriptor.begin(), descriptor.end(), darwin.szDarwinID);
    std::copy(descriptor.begin(), descriptor.end(), darwin.szwDarwinID);
    Patch(Path("suite.lnk"), SLDF_HAS_DARWINID,
          std::string(reinterpret_cast<const char*>(&darwin), sizeof darwin));

    ASSERT_TRUE(reader.Create());
    ASSERT_TRUE(reader.Load(Path("suite.lnk")));
    EXPECT_TRUE(reader.LinkFlags().advertised);
    EXPECT_EQ(reader.InstalledProgram(Path("suite.lnk")), std::nullopt);
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
