// What another program or another display put in the data files survives Mirelka's saves.

#include "Fixture.h"
#include "resources/Texts.h"

namespace mirelka::test {
namespace {

const std::string kLink = "C:\\apps\\game.lnk";

// An AppData.txt line; the shortcut of one another program wrote may not load here.
std::string Entry(const std::string& title, const std::string& shortcut = "D:\\gone.lnk") {
    return AppDataLine(title, shortcut);
}

class DataFilesTest : public DialogTest {
protected:
    void SetUp() override {
        p.display.AddSixModes();
        p.files.files[kLink] = "";
        p.shortcuts.links[kLink] = {};
        // 640x480x8 ticked, after another display's mode.
        Start("2560\t1440\t32\t144\r\n640\t480\t8\t60\r\n", Entry("B"));
    }
    Said Register(const std::string& title, const std::string& shortcut = kLink) {
        return RegisterTitle(title, shortcut);
    }
};

TEST_F(DataFilesTest, AFileGoneSinceItWasReadIsNotTakenAsEmpty) {
    p.files.files.erase(kAppFile);  // a sync tool replacing it
    Register("C");
    const std::string had = Entry("B") + Entry("C", kLink);
    EXPECT_EQ(File(kAppFile), had);
    // Changed but unreadable: refused as before; gone after that, still not empty.
    p.files.files[kAppFile] += Entry("E");
    p.files.unreadable.insert(kAppFile);
    EXPECT_EQ(Register("F"), (Said{{text::kCannotOpenAppData, kError}}));
    p.files.files.erase(kAppFile);
    EXPECT_EQ(Register("F"), (Said{{"「F」を登録しました", kNotice}}));
    EXPECT_EQ(File(kAppFile), had + Entry("F", kLink));
}

// Another program's line is read before 登録; what a failed save missed is made again on it.
TEST_F(DataFilesTest, ChangesASaveMissedAreMadeAgainOnAFileChangedSince) {
    p.files.unreplaceable.insert(kAppFile);
    Register("C");
    Fill("B", "", 0, false);
    Press(IDC_DELETE, {kYes});
    p.files.unreplaceable.clear();
    p.files.files[kAppFile] += Entry("A");
    Register("D");
    EXPECT_EQ(File(kAppFile), Entry("A") + Entry("C", kLink) + Entry("D", kLink));
    // Saved since: another program's deletion of D holds.
    p.files.files[kAppFile] = Entry("A") + Entry("C", kLink);
    Register("E");
    EXPECT_EQ(File(kAppFile), Entry("A") + Entry("C", kLink) + Entry("E", kLink));
}

TEST_F(DataFilesTest, ACarriageReturnInATitleOrAShortcutTheReaderCantLoadIsRefused) {
    p.files.files["C:\\game.exe"] = "MZ";
    EXPECT_EQ(Register("C\rD"), (Said{{text::kTitleHasControl, kError}}));
    EXPECT_EQ(Register("C", "C:\\game.exe"), (Said{{text::kShortcutUnreadable, kError}}));
    EXPECT_EQ(File(kAppFile), Entry("B"));
}

TEST_F(DataFilesTest, SavedTicksKeepTheFilesLinesOfModesNotListedAsTheyStandNow) {
    p.files.files[kModeFile] += "3840\t2160\t32\t60\r\n";
    SetTicks({2});
    ASSERT_TRUE(ClickTab(1));
    EXPECT_EQ(Press(IDC_REGISTER), Said{});
    EXPECT_EQ(File(kModeFile), "800\t600\t32\t60\r\n2560\t1440\t32\t144\r\n3840\t2160\t32\t60\r\n");
}

}  // namespace
}  // namespace mirelka::test
