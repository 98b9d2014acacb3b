// Shortcut files made through the shell link object, read back through it,
// and their records in the install log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SetupState.h"
#include "bench/Files.h"
#include "install/EngineTest.h"
#include "install/Shortcuts.h"

namespace {

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_strInstallDir = install.Path().c_str();
        bench::WriteFile(install / "Pictavo6.exe", "program");
    }
    std::string Log() const { return bench::ReadFile(install / "PtvUnInst.log").value_or(""); }

    bench::ScopedTempDir install{"Pictavo 6 "};
    bench::ScopedTempDir links{"Start Menu "};
    enginetest::ScopedAssign<CString> keepInstall{g_strInstallDir, g_strInstallDir};
};

TEST_F(ShortcutTest, QuotedAndBareTargetsMakeTheSameShortcut)
{
    const std::string target = install / "Pictavo6.exe";
    const std::string bare = links / "bare.lnk", quoted = links / "quoted.lnk";
    ASSERT_EQ(CreateShellLink(target.c_str(), bare.c_str(), "%APPDATA%"), S_OK);
    ASSERT_EQ(CreateShellLink(("\"" + target + "\"").c_str(), quoted.c_str(), "%APPDATA%"), S_OK);

    bench::ShortcutInfo a = bench::ReadShortcut(bare), b = bench::ReadShortcut(quoted);
    EXPECT_EQ(_stricmp(a.target.c_str(), target.c_str()), 0) << a.target;
    EXPECT_EQ(b.target, a.target);
    EXPECT_EQ(a.workingDir, "%APPDATA%") << "stored as this very text, not expanded";
    EXPECT_EQ(b.workingDir, "%APPDATA%");
    EXPECT_EQ(a.description, "");
    EXPECT_EQ(a.arguments, "");
    EXPECT_EQ(Log(), "Shell Link: " + bare + "\r\nShell Link: " + quoted + "\r\n")
        << "one record per saved shortcut, with the link path as given";
}

TEST_F(ShortcutTest, WithoutWorkingFolderTheShortcutHasNone)
{
    const std::string link = links / "help.lnk";
    ASSERT_EQ(CreateShellLink((install / "Pictavo6.exe").c_str(), link.c_str(), nullptr), S_OK);
    EXPECT_EQ(bench::ReadShortcut(link).workingDir, "");
}

TEST_F(ShortcutTest, FailedSaveLeavesNoFileAndNoRecord)
{
    const std::string link = links / "missing folder\\x.lnk";
    EXPECT_TRUE(FAILED(CreateShellLink((install / "Pictavo6.exe").c_str(), link.c_str(), "%APPDATA%")));
    EXPECT_FALSE(bench::Exists(links / "missing folder"));
    EXPECT_FALSE(bench::Exists(install / "PtvUnInst.log"));
}

TEST_F(ShortcutTest, TextsLongerThanTheirLimitsAreRefused)
{
    // A target of 512 characters (the limit is 511) in an existing folder,
    // and a link path of 260 characters (the limit is 259).
    const std::string folder = install.Path();
    std::string target = folder + "\\";
    target += std::string(512 - target.size() - 4, 'p') + ".exe";
    ASSERT_EQ(target.size(), 512u);
    EXPECT_TRUE(FAILED(CreateShellLink(target.c_str(), (links / "long target.lnk").c_str(), nullptr)));

    std::string link = links.Path() + "\\";
    link += std::string(260 - link.size() - 4, 'l') + ".lnk";
    ASSERT_EQ(link.size(), 260u);
    EXPECT_TRUE(FAILED(CreateShellLink((install / "Pictavo6.exe").c_str(), link.c_str(), nullptr)));
    // Listed rather than tested by name: a name that long does not fit the
    // system's own path buffers either.
    EXPECT_EQ(bench::ListDir(links.Path()), std::vector<std::string>{});
    EXPECT_FALSE(bench::Exists(install / "PtvUnInst.log"));

    // At the limits the shortcut is made.
    const std::string ok = links / "ok.lnk";
    std::string longest = target.substr(0, 507) + ".exe";
    ASSERT_EQ(longest.size(), 511u);
    EXPECT_EQ(CreateShellLink(("\"" + longest + "\"").c_str(), ok.c_str(), nullptr), S_OK);
    EXPECT_EQ(bench::ListDir(links.Path()), std::vector<std::string>{"ok.lnk"});
    EXPECT_EQ(Log(), "Shell Link: " + ok + "\r\n");
}

}  // namespace
