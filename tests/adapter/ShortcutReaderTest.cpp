#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "ComPtr.h"
#include "TempDir.h"
#include "Win32ShortcutReader.h"

namespace mirelka::test {
namespace {

// The reader speaks the ANSI code page; the shell-link object that makes the files, UTF-16.
std::wstring Wide(const std::string& ansi) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return wide;
}

std::string Ansi(const std::wstring& wide) {
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &lossy);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), length,
                        nullptr, &lossy);
    EXPECT_FALSE(lossy) << "not in the ANSI code page";
    return ansi;
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
                         const std::string* workDir) {
        ComPtr<IShellLinkW> shellLink;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   shellLink.PutVoid()),
                  S_OK);
        ASSERT_EQ(shellLink->SetPath(Wide(target).c_str()), S_OK);
        if (workDir != nullptr) {
            ASSERT_EQ(shellLink->SetWorkingDirectory(Wide(*workDir).c_str()), S_OK);
        }
        ComPtr<IPersistFile> file;
        ASSERT_EQ(shellLink->QueryInterface(IID_IPersistFile, file.PutVoid()), S_OK);
        ASSERT_EQ(file->Save(Wide(link).c_str(), TRUE), S_OK);
    }

    // Makes folder\name.exe and a shortcut to it beside it, then reads the shortcut back.
    void ExpectRoundTrip(const std::string& folder, const std::string& name, bool withWorkDir) {
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        const std::string target = folder + "\\" + name + ".exe";
        const std::string link = folder + "\\" + name + ".lnk";
        Put(target, "MZ");
        MakeLink(link, target, withWorkDir ? &folder : nullptr);

        ASSERT_TRUE(reader.Create());
        ASSERT_TRUE(reader.Load(link)) << link;
        std::string out = "left over";
        EXPECT_TRUE(reader.Target(out));
        EXPECT_EQ(out, target);
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

TEST_F(ShortcutReaderTest, ReadsJapanesePathsInCodePage932) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 932";
    }
    // 表 and ソ end in a 0x5C trail byte, which a byte-wise path split would take for '\'.
    ExpectRoundTrip(Path(Ansi(L"表ソ\x30d5\x30a9\x30eb\x30c0")), Ansi(L"ポ表ソ"), true);
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
