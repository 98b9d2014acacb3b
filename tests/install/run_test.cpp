// The whole installation run, from a package folder into an install
// folder, with the shell folders of the prefix pointed at the test's own
// folders: files, install log, registry, shortcuts, and a second run over
// the first.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/SetupState.h"
#include "bench/Files.h"
#include "bench/Registry.h"
#include "bench/Restart.h"
#include "install/EngineTest.h"
#include "install/InstallNames.h"
#include "install/InstallRun.h"
#include "uninstall/LogReplay.h"

using enginetest::ListTree;
using enginetest::PutFile;
using enginetest::ScopedAssign;

namespace {

using Tree = std::vector<std::string>;

const char kUserShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// An environment variable set or removed (nullopt) for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        char buffer[1024];
        DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
        if (n > 0 && n < sizeof buffer)
            old_ = std::string(buffer, n);
        SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
    }
    ~ScopedEnv() { SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
private:
    const char* name_;
    std::optional<std::string> old_;
};

// A manifest with every kind and shape of record, and the package files it
// names (and some it does not).
const char kManifest[] =
    "Pictavo 6 package manifest; lines that are no record are inert\r\n"
    "File Copy: Pictavo6.exe\r\n"
    "Make Dir: Help\r\n"
    "Make Dir: Plugins\r\n"
    "Make Dir: Plugins\\Filters\r\n"
    "Make Dir: Orphan\\Child\r\n"
    "File Copy: PtvUnInst.exe\r\n"
    "File Copy: readme.txt  \t\r\n"
    "File Copy: Pictavo6Man.chm\r\n"
    "File Copy: Plugins\\*.dll\r\n"
    "File Copy: Plugins\\Filters\\*.flt\r\n"
    "File Copy: Help\\*.htm\r\n"
    "File Copy: Orphan\\Child\\*.txt\r\n"
    "File Copy: lang\\de.txt>Deutsch.txt\r\n"
    "File Copy: license.txt  >  License Agreement.txt\r\n"
    "File Copy: notes.txt | no file has this whole name\r\n"
    "File Copy: *.xyz\r\n"
    "file copy: lowercase.txt\r\n"
    "File Copy x64: x64\\Pictavo6.exe > Pictavo6.exe\r\n"
    "File Copy x64: x64\\shell64.dll > shell64.dll\r\n"
    "File Copy ind: version.dll\r\n"
    "File Copy ind: ptvrt.dll\r\n"
    "File Overwrite: settings.dat\r\n"
    "File Del: obsolete.dll\r\n";

void WritePackage(const std::string& source, const std::string& manifest)
{
    for (const char* name : {"Pictavo6.exe", "PtvUnInst.exe", "readme.txt", "Pictavo6Man.chm", "Plugins\\a.dll",
                             "Plugins\\b.dll", "Plugins\\c.txt", "Plugins\\Filters\\sharpen.flt", "Help\\index.htm",
                             "Orphan\\Child\\k.txt", "lang\\de.txt", "license.txt", "notes.txt", "lowercase.txt",
                             "x64\\shell64.dll", "version.dll", "ptvrt.dll", "settings.dat", "obsolete.dll"})
        PutFile(bench::Join(source, name), name);
    PutFile(bench::Join(source, "x64\\Pictavo6.exe"), "64-bit program");
    bench::WriteFile(bench::Join(source, "PtvUnInst.log"), manifest);
}

class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Laid out as on Windows: the start-up folder lies in the Programs
        // folder, so removing an empty group never empties Programs.
        const struct {
            const char* value;
            const char* folder;
            std::string* path;
        } folders[] = {{"Programs", "Programs", &programs},
                       {"Common Programs", "Common Programs", &commonPrograms},
                       {"Desktop", "Desktop", &desktop},
                       {"Common Desktop", "Common Desktop", &commonDesktop},
                       {"Startup", "Programs\\Startup", &startup},
                       {"Common Startup", "Common Programs\\Startup", &commonStartup}};
        for (const auto& f : folders) {
            *f.path = shell / f.folder;
            bench::MakeDirs(*f.path);
            const bool common = std::string(f.value).rfind("Common", 0) == 0;
            // The shell writes "Shell Folders" again from "User Shell
            // Folders" whenever it looks a folder up: point both at ours.
            for (const char* key : {kShellFoldersKey, kUserShellFoldersKey})
                overrides.push_back(std::make_unique<bench::ScopedRegValue>(
                    common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key, f.value, *f.path));
        }
        install = bench::Join(programFiles.Path(), "Pictavo 6");
        g_strInstallDir = install.c_str();
        g_strSourceDir = package.Path().c_str();
        g_strGroupName = "Pictavo 6";
        g_bAllUsers = 0;
        g_bDesktopIcon = 1;
        g_bAutoStart = 1;
        g_bFreshInstall = 1;
        g_nVerMajor = 6;
        g_nVerMinor = 1;
        g_nVerRelease = 2;
        g_nVerBuild = 33;
        g_pfnIsWow64Process = enginetest::ReportNoWow64;
    }

    // The install log that a run writes after the manifest, in order.
    static std::string Records(const std::string& group, const std::vector<std::string>& links)
    {
        std::string text = "\r\nMade Dir: " + group + "\r\n";
        for (const std::string& link : links)
            text += "Shell Link: " + link + "\r\n";
        return text;
    }
    std::vector<std::string> GroupLinks(const std::string& group) const
    {
        return {group + "\\Pictavo 6.lnk", group + "\\Pictavo 6 Help.lnk", group + "\\Read about Pictavo 6.lnk",
                group + "\\Uninstall Pictavo 6.lnk"};
    }
    std::string Log() const { return bench::ReadFile(bench::Join(install, "PtvUnInst.log")).value_or(""); }

    void ExpectShortcut(const std::string& link, const char* file, const char* workDir) const
    {
        SCOPED_TRACE(link);
        bench::ShortcutInfo info = bench::ReadShortcut(link);
        EXPECT_EQ(_stricmp(info.target.c_str(), bench::Join(install, file).c_str()), 0) << info.target;
        EXPECT_EQ(info.workingDir, workDir);
        EXPECT_EQ(info.arguments, "");
    }
    static std::optional<std::string> Reg(const char* key, const char* name)
    {
        return bench::RegReadString(HKEY_LOCAL_MACHINE, key, name);
    }

    // The shell folder values and the product's keys are prefix-wide: no
    // other test program meets ours in them.
    bench::ScopedPrefixLock lock;
    bench::ScopedTempDir package{"package "};
    bench::ScopedTempDir programFiles{"Program Files "};
    bench::ScopedTempDir shell{"shell "};
    std::string install, programs, commonPrograms, desktop, commonDesktop, startup, commonStartup;
    std::vector<std::unique_ptr<bench::ScopedRegValue>> overrides;
    bench::ScopedRegKeyRemoved vendorKey{HKEY_LOCAL_MACHINE, kVendorKey};
    bench::ScopedRegKeyRemoved appPathKey{HKEY_LOCAL_MACHINE, kAppPathKey};
    bench::ScopedRegKeyRemoved uninstallKey{HKEY_LOCAL_MACHINE, kUninstallKey};
    ScopedEnv noPackage{"sfxname", std::nullopt};
    ScopedAssign<CString> keep1{g_strInstallDir, g_strInstallDir}, keep2{g_strSourceDir, g_strSourceDir},
        keep3{g_strGroupName, g_strGroupName};
    ScopedAssign<int> keep4{g_bAllUsers, g_bAllUsers}, keep5{g_bDesktopIcon, g_bDesktopIcon},
        keep6{g_bAutoStart, g_bAutoStart}, keep7{g_bFreshInstall, g_bFreshInstall};
    ScopedAssign<PFN_ISWOW64PROCESS> keep8{g_pfnIsWow64Process, g_pfnIsWow64Process};
};

class RunRoadTest : public RunTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RunRoadTest, InstallsFilesLogRegistryAndShortcuts)
{
    const bool is64 = GetParam();
    g_pfnIsWow64Process = is64 ? enginetest::ReportWow64 : enginetest::ReportNoWow64;
    WritePackage(package.Path(), kManifest);

    EXPECT_EQ(RunInstallation(), 0);

    Tree files = {"Deutsch.txt", "Help\\", "Help\\index.htm", "License Agreement.txt",
                  "Pictavo6.exe", "Pictavo6Man.chm", "Plugins\\", "Plugins\\a.dll", "Plugins\\b.dll",
                  "Plugins\\Filters\\", "Plugins\\Filters\\sharpen.flt", "ptvrt.dll", "PtvUnInst.exe",
                  "PtvUnInst.log", "readme.txt"};
    if (is64)
        files.push_back("shell64.dll");
    EXPECT_EQ(ListTree(install), files);
    EXPECT_EQ(bench::ReadFile(bench::Join(install, "Pictavo6.exe")), is64 ? "64-bit program" : "Pictavo6.exe");

    const std::string group = programs + "\\Pictavo 6";
    std::vector<std::string> links = GroupLinks(group);
    links.push_back(desktop + "\\Pictavo 6.lnk");
    links.push_back(startup + "\\Pictavo 6.lnk");
    EXPECT_EQ(Log(), kManifest + Records(group, links)) << "the install log, byte for byte";

    EXPECT_EQ(bench::ListDir(group), (Tree{"Pictavo 6 Help.lnk", "Pictavo 6.lnk", "Read about Pictavo 6.lnk",
                                    "Uninstall Pictavo 6.lnk"}));
    ExpectShortcut(group + "\\Pictavo 6.lnk", "Pictavo6.exe", "%APPDATA%");
    ExpectShortcut(group + "\\Pictavo 6 Help.lnk", "Pictavo6Man.chm", "");
    ExpectShortcut(group + "\\Read about Pictavo 6.lnk", "readme.txt", "");
    ExpectShortcut(group + "\\Uninstall Pictavo 6.lnk", "PtvUnInst.exe", "");
    ExpectShortcut(desktop + "\\Pictavo 6.lnk", "Pictavo6.exe", "%APPDATA%");
    ExpectShortcut(startup + "\\Pictavo 6.lnk", "Pictavo6.exe", "%APPDATA%");
    EXPECT_EQ(ListTree(commonPrograms), Tree{"Startup\\"});
    EXPECT_EQ(ListTree(commonDesktop), Tree{});

    EXPECT_EQ(Reg(kVendorKey, "AllUsers"), "A");
    EXPECT_EQ(Reg(kVendorKey, "Path"), install);
    EXPECT_EQ(Reg(kAppPathKey, ""), install + "\\Pictavo6.exe");
    EXPECT_EQ(Reg(kUninstallKey, "Contact"), "Support");
    EXPECT_EQ(Reg(kUninstallKey, "DisplayName"), "Pictavo 6");
    EXPECT_EQ(Reg(kUninstallKey, "DisplayVersion"), "6.01.02");
    EXPECT_EQ(Reg(kUninstallKey, "Publisher"), "Quorvane Technology LLC");
    EXPECT_EQ(Reg(kUninstallKey, "UninstallString"), "\"" + install + "\\PtvUnInst.exe\"")
        << "quoted: the path has blanks";
    EXPECT_EQ(Reg(kUninstallKey, "URLInfoAbout"), "http://www.quorvane.com");
}

INSTANTIATE_TEST_SUITE_P(Windows, RunRoadTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Wow64" : "Win32");
                         });

TEST_F(RunTest, SecondRunWithAnotherGroupLeavesNothingOfTheFirstBehind)
{
    WritePackage(package.Path(), std::string(kManifest) + "File Copy: obsolete.dll\r\n");
    g_bAutoStart = 0;
    RunInstallation();
    ASSERT_TRUE(bench::IsDirectory(programs + "\\Pictavo 6"));
    ASSERT_TRUE(bench::IsFile(bench::Join(install, "obsolete.dll")));

    // The next package no longer has the library (its manifest deletes it)
    // and names another group.
    const std::string second = kManifest;
    WritePackage(package.Path(), second);
    g_bFreshInstall = 0;
    g_strGroupName = "Quorvane\\Pictavo";
    RunInstallation();

    const std::string group = programs + "\\Quorvane\\Pictavo";
    EXPECT_EQ(ListTree(programs), (Tree{"Quorvane\\", "Quorvane\\Pictavo\\", "Quorvane\\Pictavo\\Pictavo 6 Help.lnk",
                                        "Quorvane\\Pictavo\\Pictavo 6.lnk", "Quorvane\\Pictavo\\Read about Pictavo 6.lnk",
                                        "Quorvane\\Pictavo\\Uninstall Pictavo 6.lnk", "Startup\\"}));
    EXPECT_EQ(bench::ListDir(desktop), Tree{"Pictavo 6.lnk"});
    EXPECT_FALSE(bench::Exists(bench::Join(install, "obsolete.dll")));
    std::vector<std::string> links = GroupLinks(group);
    links.push_back(desktop + "\\Pictavo 6.lnk");
    EXPECT_EQ(Log(), second + Records(group, links));
}

TEST_F(RunTest, FileDelRecordsOfTheNewManifestRemoveWhatTheyName)
{
    // An earlier installation left files that the new package no longer has.
    PutFile(bench::Join(install, "Plugins\\old.dll"), "old");
    PutFile(bench::Join(install, "Plugins\\keep.dat"), "user data");
    PutFile(bench::Join(install, "retired.exe"), "old");
    bench::MakeDirs(bench::Join(install, "Cache"));
    WritePackage(package.Path(), "File Copy: Pictavo6.exe\r\nMake Dir: Plugins\r\nMake Dir: Cache\r\n"
                                 "File Del: Plugins\\*.dll\r\nFile Del: new.exe > retired.exe | renamed\r\n");
    for (int fresh : {1, 0}) {
        g_bFreshInstall = fresh;
        RunInstallation();
        SCOPED_TRACE(fresh ? "fresh installation" : "over an earlier one");
        EXPECT_EQ(bench::Exists(bench::Join(install, "Plugins\\old.dll")), fresh == 1);
        EXPECT_EQ(bench::Exists(bench::Join(install, "retired.exe")), fresh == 1);
        EXPECT_TRUE(bench::Exists(bench::Join(install, "Plugins\\keep.dat")));
        EXPECT_TRUE(bench::IsDirectory(bench::Join(install, "Cache"))) << "emptied, made again";
    }
}

TEST_F(RunTest, FreshInstallationLeavesTheOldLogsAlone)
{
    const std::string oldGroup = programs + "\\Old Group";
    PutFile(oldGroup + "\\Old.lnk", "x");
    PutFile(bench::Join(install, "install.log"), "Shell Link: " + oldGroup + "\\Old.lnk\r\nMade Dir: " + oldGroup + "\r\n");
    WritePackage(package.Path(), "File Copy: Pictavo6.exe\r\n");
    RunInstallation();
    EXPECT_TRUE(bench::IsFile(oldGroup + "\\Old.lnk"));

    g_bFreshInstall = 0;
    RunInstallation();
    EXPECT_FALSE(bench::Exists(oldGroup));
    EXPECT_TRUE(bench::IsFile(bench::Join(install, "install.log"))) << "read, never written or deleted";
}

TEST_F(RunTest, GroupWithASlashMakesBothFoldersAndLogsTheLowerOne)
{
    WritePackage(package.Path(), "File Copy: Pictavo6.exe\r\n");
    g_bDesktopIcon = 0;
    g_bAutoStart = 0;
    g_strGroupName = " \\Tools/Pictavo 6\\\t";
    RunInstallation();

    EXPECT_STREQ(g_strGroupName, "Tools\\Pictavo 6") << "normalised in place";
    const std::string group = programs + "\\Tools\\Pictavo 6";
    EXPECT_EQ(Log(), "File Copy: Pictavo6.exe\r\n" + Records(group, GroupLinks(group)));
    EXPECT_TRUE(bench::IsDirectory(group));

    ReplayLinksAndFolders(bench::Join(install, "PtvUnInst.log").c_str());
    EXPECT_EQ(ListTree(programs), Tree{"Startup\\"}) << "the empty upper folder goes too";
}

TEST_F(RunTest, AllUsersInstallationUsesTheCommonFoldersOrFallsBack)
{
    struct Case {
        const char* what;
        std::optional<std::string> commonPrograms;  // nullopt: the value is missing
        bool allUsers;
    } cases[] = {
        {"a usable Common Programs", commonPrograms, true},
        {"Common Programs too short", std::string("C:\\"), false},
        {"Common Programs missing", std::nullopt, false},
    };
    WritePackage(package.Path(), "File Copy: Pictavo6.exe\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bench::ScopedRegValue value(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs", c.commonPrograms);
        bench::ScopedRegValue userValue(HKEY_LOCAL_MACHINE, kUserShellFoldersKey, "Common Programs", c.commonPrograms);
        g_bAllUsers = 1;
        g_bFreshInstall = 0;
        RunInstallation();
        EXPECT_EQ(g_bAllUsers, c.allUsers ? 1 : 0);
        const std::string& menu = c.allUsers ? commonPrograms : programs;
        const std::string& desk = c.allUsers ? commonDesktop : desktop;
        const std::string& start = c.allUsers ? commonStartup : startup;
        std::vector<std::string> links = GroupLinks(menu + "\\Pictavo 6");
        links.push_back(desk + "\\Pictavo 6.lnk");
        links.push_back(start + "\\Pictavo 6.lnk");
        EXPECT_EQ(Log(), "File Copy: Pictavo6.exe\r\n" + Records(menu + "\\Pictavo 6", links));
        for (const std::string& link : links)
            EXPECT_TRUE(bench::IsFile(link)) << link;
        EXPECT_EQ(Reg(kVendorKey, "AllUsers"), c.allUsers ? "B" : "A");
    }
}

TEST_F(RunTest, GroupFolderThatCannotBeMadeIsStillLogged)
{
    const std::string missing = shell / "No Such Menu\\Programs";
    bench::ScopedRegValue missingMenu(HKEY_CURRENT_USER, kShellFoldersKey, "Programs", missing);
    bench::ScopedRegValue missingUserMenu(HKEY_CURRENT_USER, kUserShellFoldersKey, "Programs", missing);
    WritePackage(package.Path(), "File Copy: Pictavo6.exe\r\n");
    g_bAutoStart = 0;
    RunInstallation();
    EXPECT_FALSE(bench::Exists(shell / "No Such Menu"));
    EXPECT_EQ(Log(), "File Copy: Pictavo6.exe\r\n" +
                         Records(shell / "No Such Menu\\Programs\\Pictavo 6", {desktop + "\\Pictavo 6.lnk"}));
}

TEST_F(RunTest, InstallingFromTheInstallFolderTurnsTheManifestIntoTheLog)
{
    WritePackage(install, "File Copy: Pictavo6.exe\r\nFile Copy: readme.txt");
    g_strSourceDir = install.c_str();
    g_bDesktopIcon = 0;
    g_bAutoStart = 0;
    RunInstallation();
    const std::string group = programs + "\\Pictavo 6";
    EXPECT_EQ(Log(), "File Copy: Pictavo6.exe\r\nFile Copy: readme.txt" + Records(group, GroupLinks(group)))
        << "the line end ends the manifest's last line";
}

TEST_F(RunTest, SettingsFilesBesideThePackageAreTakenOver)
{
    WritePackage(package.Path(), "File Copy: Pictavo6.exe\r\n");
    bench::ScopedTempDir downloads("downloads ");
    PutFile(downloads / "Pictavo6.ini", "[settings]");
    RunInstallation();
    EXPECT_FALSE(bench::Exists(bench::Join(install, "Pictavo6.ini"))) << "no package named";

    ScopedEnv sfx("sfxname", downloads / "pictavo6-setup.exe");
    RunInstallation();
    EXPECT_EQ(bench::ReadFile(bench::Join(install, "Pictavo6.ini")), "[settings]");
    EXPECT_FALSE(bench::Exists(bench::Join(install, "Pictavo6.reg")));
}

}  // namespace
