// The uninstall run in the test process, against the prefix's real
// registry and files. The shell folders of all users, of the current user
// and of the default profile (HKEY_USERS\.Default) are pointed at folders
// of the test for its length; the product's keys are taken away first and
// put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Registry.h"
#include "bench/Restart.h"
#include "uninstall/UninstallRun.h"

using bench::Exists;
using bench::Join;
using bench::MakeDirs;
using bench::RegKeyExists;
using bench::RegSetString;
using bench::ScopedRegKeyRemoved;
using bench::ScopedRegValue;
using bench::WriteFile;

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kDefaultProfile[] = ".Default\\";
const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";

// One set of shell folders: start-up, desktop and Programs.
struct ShellFolders {
    std::string startup, desktop, programs;
};

class UninstallRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        product_ = root_ / "Pictavo Apps\\Pictavo 6";
        MakeDirs(product_);
        common_ = MakeFolders("common");
        user_ = MakeFolders("user");
        default_ = MakeFolders("default");
        Point(HKEY_LOCAL_MACHINE, kShellFolders, {"Common Startup", "Common Desktop", "Common Programs"}, common_);
        Point(HKEY_CURRENT_USER, kShellFolders, {"Startup", "Desktop", "Programs"}, user_);
        Point(HKEY_USERS, std::string(kDefaultProfile) + kShellFolders, {"Startup", "Desktop", "Programs"},
              default_);
    }

    // The product folder as clean-up mode passes it: with a separator.
    std::string ProductArg() const { return product_ + "\\"; }
    std::string InProduct(const std::string& name) const { return Join(product_, name); }

    void Run() { RunUninstall(ProductArg().c_str()); }

    bench::ScopedPrefixLock lock_;
    // The product's keys and the keys the uninstall also deletes from.
    ScopedRegKeyRemoved hklmMaker_{HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvane"};
    ScopedRegKeyRemoved hkcuMaker_{HKEY_CURRENT_USER, "SOFTWARE\\Quorvane"};
    ScopedRegKeyRemoved uninstall_{HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"};
    ScopedRegKeyRemoved appPath_{HKEY_LOCAL_MACHINE,
                                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe"};
    ScopedRegKeyRemoved fileExts_{HKEY_CURRENT_USER, kFileExts};
    bench::ScopedTempDir root_{"uninstall run "};
    std::string product_;
    ShellFolders common_, user_, default_;

private:
    ShellFolders MakeFolders(const std::string& who)
    {
        ShellFolders f{root_ / (who + "\\Startup"), root_ / (who + "\\Desktop"), root_ / (who + "\\Programs")};
        for (const std::string& p : {f.startup, f.desktop, f.programs})
            MakeDirs(p);
        // Something of another program in each, so that removing a folder
        // and climbing upward stops at the shell folder.
        for (const std::string& p : {f.startup, f.desktop, f.programs})
            WriteFile(Join(p, "Other.lnk"), "other");
        return f;
    }
    void Point(HKEY root, const std::string& key, const std::vector<std::string>& names, const ShellFolders& f)
    {
        overrides_.push_back(std::make_unique<ScopedRegValue>(root, key, names[0], f.startup));
        overrides_.push_back(std::make_unique<ScopedRegValue>(root, key, names[1], f.desktop));
        overrides_.push_back(std::make_unique<ScopedRegValue>(root, key, names[2], f.programs));
    }
    std::vector<std::unique_ptr<ScopedRegValue>> overrides_;
};

// The default-named items of one set of shell folders.
void PlantDefaultItems(const ShellFolders& f)
{
    WriteFile(Join(f.startup, "Pictavo 6.lnk"), "lnk");
    WriteFile(Join(f.desktop, "Pictavo 6.lnk"), "lnk");
    MakeDirs(Join(f.programs, "Pictavo 6"));
    WriteFile(Join(f.programs, "Pictavo 6\\Pictavo 6.lnk"), "lnk");
    WriteFile(Join(f.programs, "Pictavo 6\\Uninstall Pictavo 6.lnk"), "lnk");
}

void ExpectDefaultItemsGone(const ShellFolders& f, const char* who)
{
    EXPECT_FALSE(Exists(Join(f.startup, "Pictavo 6.lnk"))) << who;
    EXPECT_FALSE(Exists(Join(f.desktop, "Pictavo 6.lnk"))) << who;
    EXPECT_FALSE(Exists(Join(f.programs, "Pictavo 6"))) << who;
    for (const std::string& p : {f.startup, f.desktop, f.programs})
        EXPECT_TRUE(Exists(Join(p, "Other.lnk"))) << who << ": another program's shortcut must stay in " << p;
}

}  // namespace

TEST_F(UninstallRunTest, RemovesWhatTheLogsRecordTheKeysAndDefaultItemsOfEveryProfile)
{
    // The installation: payload with a subfolder, the uninstaller, a group
    // of another name (nested) with its links, a desktop shortcut.
    MakeDirs(InProduct("plugins"));
    for (const char* f : {"Pictavo6.exe", "Pictavo6Man.chm", "readme.txt", "PtvUnInst.exe", "plugins\\a.dll",
                          "plugins\\b.dll"})
        WriteFile(InProduct(f), "payload");
    const std::string group = Join(user_.programs, "Tools\\Pictavo Custom");
    MakeDirs(group);
    WriteFile(Join(group, "Pictavo 6.lnk"), "lnk");
    WriteFile(Join(group, "Read about Pictavo 6.lnk"), "lnk");
    WriteFile(InProduct("PtvUnInst.log"),
              "Make Dir: plugins\n"
              "File Copy: Pictavo6.exe\n"
              "File Copy: setup.exe > PtvUnInst.exe\n"
              "File Copy: plugins\\*.dll\n"
              "File Copy: Pictavo6Man.chm\n"
              "File Copy: readme.txt\n"
              "\n"
              "Made Dir: " + group + "\n"
              "Shell Link: " + Join(group, "Pictavo 6.lnk") + "\n"
              "Shell Link: " + Join(group, "Read about Pictavo 6.lnk") + "\n");
    // Default-named items everywhere, whoever they were made for, and a
    // group of another name that no log records.
    PlantDefaultItems(common_);
    PlantDefaultItems(user_);
    PlantDefaultItems(default_);
    MakeDirs(Join(common_.programs, "Pictavo Other"));
    WriteFile(Join(common_.programs, "Pictavo Other\\Pictavo 6.lnk"), "lnk");
    // The registry of the installation and a file type it took over.
    RegSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvane\\Pictavo 6", "Path", product_);
    RegSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo 6",
                 "UninstallString", InProduct("PtvUnInst.exe"));
    RegSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe", "",
                 InProduct("Pictavo6.exe"));
    RegSetString(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.png", "Application", InProduct("Pictavo6.exe"));
    RegSetString(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.png", "PictavoOld", "viewer.exe");

    Run();

    EXPECT_FALSE(Exists(product_)) << "the product folder must go once it is empty";
    EXPECT_TRUE(Exists(root_ / "Pictavo Apps")) << "only the product folder itself is removed";
    EXPECT_FALSE(Exists(Join(user_.programs, "Tools"))) << "the logged group and its empty parent must go";
    ExpectDefaultItemsGone(common_, "all users");
    ExpectDefaultItemsGone(user_, "current user");
    ExpectDefaultItemsGone(default_, "default profile");
    EXPECT_TRUE(Exists(Join(common_.programs, "Pictavo Other\\Pictavo 6.lnk")))
        << "a group of another name is removed only through the logs";
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvane"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo 6"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe"));
    EXPECT_EQ("viewer.exe",
              bench::RegReadString(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.png", "Application").value_or(""));

    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, cwd);
    EXPECT_EQ(3u, strlen(cwd)) << "the current directory must be the drive's root, not " << cwd;
}

TEST_F(UninstallRunTest, LegacyInstallLogIsReplayedButKeptAndSoIsTheFolder)
{
    const std::string oldGroup = Join(user_.programs, "Pictavo 5");
    MakeDirs(oldGroup);
    WriteFile(Join(oldGroup, "Pictavo 5.lnk"), "lnk");
    WriteFile(InProduct("old.dll"), "x");
    WriteFile(InProduct("Pictavo6.exe"), "x");
    WriteFile(InProduct("install.log"), "File Copy: old.dll\nMade Dir: " + oldGroup + "\nShell Link: " +
                                            Join(oldGroup, "Pictavo 5.lnk") + "\n");
    WriteFile(InProduct("PtvUnInst.log"), "File Copy: Pictavo6.exe\n");

    Run();

    EXPECT_EQ(std::vector<std::string>{"install.log"}, bench::ListDir(product_));
    EXPECT_FALSE(Exists(oldGroup)) << "the legacy log's group must go";
}

TEST_F(UninstallRunTest, FileInUseStaysWithItsFolderEverythingElseGoes)
{
    for (const char* f : {"Pictavo6.exe", "Pictavo6Man.chm", "readme.txt"})
        WriteFile(InProduct(f), "payload");
    WriteFile(InProduct("PtvUnInst.log"), "File Copy: Pictavo6.exe\nFile Copy: Pictavo6Man.chm\nFile Copy: readme.txt\n");
    RegSetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvane\\Pictavo 6", "Path", product_);
    const size_t pendingBefore = bench::PendingRenames().size();

    HANDLE held = CreateFileA(InProduct("Pictavo6Man.chm").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Run();
    CloseHandle(held);

    EXPECT_EQ(std::vector<std::string>{"Pictavo6Man.chm"}, bench::ListDir(product_));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvane\\Pictavo 6"));
    EXPECT_EQ(pendingBefore, bench::PendingRenames().size()) << "nothing may be scheduled for the restart";
}

TEST_F(UninstallRunTest, DefaultGroupWithASubfolderIsEmptiedOfFilesButStays)
{
    const std::string group = Join(common_.programs, "Pictavo 6");
    MakeDirs(Join(group, "Extras"));
    WriteFile(Join(group, "Extras\\Tool.lnk"), "lnk");
    WriteFile(Join(group, "Pictavo 6.lnk"), "lnk");
    WriteFile(Join(group, "hidden.lnk"), "lnk");
    SetFileAttributesA(Join(group, "hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);

    Run();

    EXPECT_EQ(std::vector<std::string>{"Extras"}, bench::ListDir(group));
    EXPECT_TRUE(Exists(Join(group, "Extras\\Tool.lnk")));
}

TEST_F(UninstallRunTest, ShellFolderTooLongForTheNameIsSkippedAndTheRunGoesOn)
{
    // 500 characters: with "\Pictavo 6.lnk" or "\Pictavo 6\" appended the
    // path no longer fits the 512-byte buffers.
    const std::string tooLong = "C:\\" + std::string(497, 'x');
    ScopedRegValue commonStartup(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", tooLong);
    ScopedRegValue commonPrograms(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs", tooLong);
    ScopedRegValue defaultStartup(HKEY_USERS, std::string(kDefaultProfile) + kShellFolders, "Startup", tooLong);
    PlantDefaultItems(common_);
    PlantDefaultItems(default_);
    PlantDefaultItems(user_);

    Run();

    EXPECT_FALSE(Exists(Join(common_.desktop, "Pictavo 6.lnk")));
    EXPECT_FALSE(Exists(Join(default_.desktop, "Pictavo 6.lnk")));
    EXPECT_FALSE(Exists(Join(default_.programs, "Pictavo 6")));
    ExpectDefaultItemsGone(user_, "current user, after the profiles with long values");
    // What the skipped values would have named is elsewhere, and stays.
    EXPECT_TRUE(Exists(Join(common_.startup, "Pictavo 6.lnk")));
    EXPECT_TRUE(Exists(Join(common_.programs, "Pictavo 6")));
}
