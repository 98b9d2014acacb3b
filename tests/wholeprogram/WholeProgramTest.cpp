// The whole program, end to end: the real setup.exe of the test build
// started as the package starts it or as a person does, the installed
// PtvUnInst.exe started through the uninstall entry, and what is on disk,
// in the registry and in the shortcuts afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Registry.h"
#include "bench/Restart.h"
#include "bench/Robot.h"
#include "bench/UrlRecorder.h"
#include "fixtures/ProductFixture.h"
#include "res/resource.h"
#include "wholeprogram/Machine.h"

using bench::Exists;
using bench::Join;
using bench::RegKeyExists;
using bench::RegReadString;
using whole::kAppPathKey;
using whole::kFileExts;
using whole::kMakerKey;
using whole::kUninstallKey;
using whole::kVendorKey;

namespace {

// The four shortcuts of the group: name, target in the product folder,
// working folder.
struct GroupLink {
    const char* name;
    const char* target;
    const char* workDir;
};
const GroupLink kGroupLinks[] = {
    {"Pictavo 6.lnk", "Pictavo6.exe", "%APPDATA%"},
    {"Pictavo 6 Help.lnk", "Pictavo6Man.chm", ""},
    {"Read about Pictavo 6.lnk", "readme.txt", ""},
    {"Uninstall Pictavo 6.lnk", "PtvUnInst.exe", ""},
};

std::string Value(HKEY root, const std::string& key, const std::string& name)
{
    return RegReadString(root, key, name).value_or("<missing>");
}

// What an installation into dir with the group in programs (and the
// desktop shortcut in desktop) must have made.
void ExpectInstalled(const std::string& dir, const std::string& group, const std::string& desktop,
                     const std::string& allUsers)
{
    for (const char* f : {"Pictavo6.exe", "Pictavo6Man.chm", "readme.txt", "HomePage.url", "Samples\\one.txt",
                          "PtvUnInst.exe", "PtvUnInst.log"})
        EXPECT_TRUE(bench::IsFile(Join(dir, f))) << f << " must be installed in " << dir;
    EXPECT_EQ(bench::ReadFile(bench::BesideExe("setup.exe")), bench::ReadFile(Join(dir, "PtvUnInst.exe")))
        << "the uninstaller is the setup program";

    // The install log: the manifest, a line end, the group, the shortcuts
    // in the order of their creation.
    std::string log = whole::kManifest;
    log += "\r\nMade Dir: " + group + "\r\n";
    for (const GroupLink& l : kGroupLinks)
        log += "Shell Link: " + Join(group, l.name) + "\r\n";
    log += "Shell Link: " + Join(desktop, "Pictavo 6.lnk") + "\r\n";
    EXPECT_EQ(log, bench::ReadFile(Join(dir, "PtvUnInst.log")).value_or("<missing>"));

    for (const GroupLink& l : kGroupLinks) {
        SCOPED_TRACE(l.name);
        bench::ShortcutInfo s = bench::ReadShortcut(Join(group, l.name));
        EXPECT_EQ(Join(dir, l.target), s.target);
        EXPECT_EQ(l.workDir, s.workingDir);
    }
    bench::ShortcutInfo d = bench::ReadShortcut(Join(desktop, "Pictavo 6.lnk"));
    EXPECT_EQ(Join(dir, "Pictavo6.exe"), d.target);
    EXPECT_EQ("%APPDATA%", d.workingDir);

    EXPECT_EQ(allUsers, Value(HKEY_LOCAL_MACHINE, kVendorKey, "AllUsers"));
    EXPECT_EQ(dir, Value(HKEY_LOCAL_MACHINE, kVendorKey, "Path"));
    EXPECT_EQ(Join(dir, "Pictavo6.exe"), Value(HKEY_LOCAL_MACHINE, kAppPathKey, ""));
    EXPECT_EQ("Support", Value(HKEY_LOCAL_MACHINE, kUninstallKey, "Contact"));
    EXPECT_EQ("Pictavo 6", Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
    EXPECT_EQ("6.01.02", Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
    EXPECT_EQ("Quorvane Technology LLC", Value(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"));
    // The command may quote the path; it must name the uninstaller alone.
    EXPECT_EQ(std::vector<std::string>{Join(dir, "PtvUnInst.exe")},
              whole::SplitCommandLine(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString")));
    EXPECT_EQ(whole::kVendorUrl, Value(HKEY_LOCAL_MACHINE, kUninstallKey, "URLInfoAbout"));
}

void ExpectRegistryClean()
{
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kMakerKey));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kAppPathKey));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

bool PendingDeletion(const std::string& path)
{
    for (const bench::PendingRename& p : bench::PendingRenames())
        if (p.target.empty() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, p.source.c_str(), -1,
                                               path.c_str(), -1) == CSTR_EQUAL)
            return true;
    return false;
}

// A whole-program scenario: the test machine and a package.
class WholeProgram : public ::testing::Test {
protected:
    void SetUp() override { whole::MakePackage(package_); }

    // A silent installation into dir (which must exist), as the package
    // starts it.
    void InstallSilently(const std::string& dir)
    {
        bench::MakeDirs(dir);
        ASSERT_EQ(0u, whole::RunSetupToEnd(package_, {"-install", "-s", "-instdir", dir}));
        ASSERT_TRUE(bench::IsFile(Join(dir, "PtvUnInst.exe")));
    }

    // The clean-up copy's file goes at the restart; a restart also carries
    // out what else the scenario left pending.
    void RestartAndExpectCopyGone(const std::string& copy)
    {
        EXPECT_TRUE(bench::IsFile(copy)) << "the clean-up copy stays until the restart";
        EXPECT_TRUE(PendingDeletion(copy)) << "its deletion must be pending";
        bench::RestartPrefix();
        EXPECT_FALSE(Exists(copy));
    }

    whole::TestMachine m_;
    const std::string package_ = m_ / "package";
};

}  // namespace

// The silent installation as the package runs it, from start to end, and its
// silent removal through the uninstall entry.
TEST_F(WholeProgram, SilentInstallAsThePackageStartsItThenSilentUninstallThroughTheEntry)
{
    // A running copy of the product that ignores the close request: only
    // the termination can end it.
    fixture::ProductOptions po;
    po.stay = true;
    fixture::RunningProduct running(m_ / "running", po);
    // The archive that unpacked the package lies elsewhere.
    const std::string sfx = m_ / "Downloads\\Pictavo6Setup.exe";
    bench::MakeDirs(m_ / "Downloads");
    bench::WriteFile(sfx, "archive");
    const std::string dir = m_ / "Apps\\Pictavo";
    bench::MakeDirs(dir);
    bench::UrlRecorder urls;

    ASSERT_EQ(0u, whole::RunSetupToEnd(package_, {"-install", "-s", "-instdir", dir}, sfx));

    EXPECT_TRUE(bench::WaitProcessGone(running.Pid())) << "the running copy must be ended";
    EXPECT_EQ(0u, running.Process().WaitExit()) << "terminated with exit code 0";
    const std::string group = Join(m_.Common().programs, "Pictavo 6");
    ExpectInstalled(dir, group, m_.Common().desktop, "B");
    EXPECT_TRUE(urls.AddressesWhenIdle().empty()) << "a silent run opens no web page";
    EXPECT_TRUE(whole::ProcessesOf(Join(dir, "Pictavo6.exe")).empty()) << "nothing is started without -runafter";

    // The product has taken over a file type meanwhile; another type is
    // someone else's.
    bench::RegSetString(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.jpg", "Application", Join(dir, "Pictavo6.exe"));
    bench::RegSetString(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.jpg", "PictavoOld", "C:\\Viewer\\view.exe");
    bench::RegSetString(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.bmp", "Application", "paint.exe");

    const std::string copy = whole::RunSilentUninstall();

    ExpectRegistryClean();
    EXPECT_EQ("C:\\Viewer\\view.exe", Value(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.jpg", "Application"));
    EXPECT_FALSE(bench::RegValueExists(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.jpg", "PictavoOld"));
    EXPECT_EQ("paint.exe", Value(HKEY_CURRENT_USER, std::string(kFileExts) + "\\.bmp", "Application"));
    EXPECT_FALSE(Exists(dir)) << "the product folder must be gone; it holds: " << testing::PrintToString(bench::ListDir(dir));
    EXPECT_TRUE(Exists(m_ / "Apps")) << "its parent stays";
    EXPECT_FALSE(Exists(group));
    EXPECT_FALSE(Exists(Join(m_.Common().desktop, "Pictavo 6.lnk")));
    EXPECT_TRUE(urls.AddressesWhenIdle().empty()) << "a silent uninstall opens no web page";
    RestartAndExpectCopyGone(copy);
}

// A person runs setup.exe, goes through every page with the robot and
// leaves with Finish and "Run Pictavo" checked.
TEST_F(WholeProgram, WizardThroughEveryPageThenFinishWithRunPictavoStartsTheProduct)
{
    // The default folder lies below "Program Files": a command line that
    // is not quoted would start this program instead of the product.
    const std::string impostor = fixture::PlaceProduct(m_.Root(), "612", "Program.exe");
    const std::string dir = m_.DefaultInstallDir();
    bench::UrlRecorder urls;
    bench::Process setup = whole::StartSetup(package_, {});
    bench::Robot r(setup.Pid());

    HWND frame = whole::WaitWizard(r);
    HWND page = r.WaitPage(frame);
    EXPECT_FALSE(r.IsVisible(frame, IDC_BACK));
    r.Click(frame, IDOK);
    page = r.WaitPage(frame, page);
    r.WaitCaption(frame, "Please accept the License Agreement");
    EXPECT_EQ("Yes", r.Text(frame, IDOK));
    r.Click(frame, IDOK);
    page = r.WaitPage(frame, page);   // destination
    r.WaitCaption(frame, "Pictavo Setup");
    r.Click(frame, IDOK);
    page = r.WaitPage(frame, page);   // program group
    r.Click(frame, IDOK);
    page = r.WaitPage(frame, page);   // ready
    r.Click(frame, IDOK);
    r.WaitText(frame, IDOK, "&Finish >", bench::ProcessTimeout());
    r.WaitVisible(page, IDC_RUN_AFTER, true);
    EXPECT_EQ(BST_UNCHECKED, r.CheckState(page, IDC_RUN_AFTER));
    r.Click(page, IDC_RUN_AFTER);
    r.WaitCheck(page, IDC_RUN_AFTER, BST_CHECKED);
    r.Click(frame, IDOK);
    ASSERT_EQ(0u, setup.WaitExit());

    ExpectInstalled(dir, Join(m_.User().programs, "Pictavo 6"), m_.User().desktop, "A");
    std::vector<DWORD> started;
    bench::WaitUntil([&] { return !(started = whole::ProcessesOf(Join(dir, "Pictavo6.exe"))).empty(); },
                     "the product started from " + dir);
    EXPECT_TRUE(whole::ProcessesOf(impostor).empty()) << "only the product may be started";
    EXPECT_EQ(std::vector<std::string>{std::string(whole::kVendorUrl) + "/ptvq/InstScript.asp?ref=pkg"},
              urls.WaitForAddresses(1));
    EXPECT_EQ(1u, urls.AddressesWhenIdle().size());
    whole::EndProcessesOf(Join(dir, "Pictavo6.exe"));
}

// The uninstaller's confirmation, declined and then accepted, and the
// clean-up copy's completion message.
TEST_F(WholeProgram, UninstallAsksFirstAndReportsTheEnd)
{
    const std::string dir = m_ / "Apps\\Pictavo Confirm";
    InstallSilently(dir);

    {
        bench::Process declined = whole::StartUninstallEntry();
        bench::Robot r(declined.Pid());
        HWND box = r.WaitMessageBox("Pictavo Setup");
        EXPECT_EQ("This will completely uninstall Pictavo 6.\nDo you want to continue?", r.MessageText(box));
        r.Click(box, IDNO);
        EXPECT_EQ(0u, declined.WaitExit());
    }
    EXPECT_TRUE(bench::IsFile(Join(dir, "PtvUnInst.exe"))) << "No leaves the installation alone";
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    bench::Process accepted = whole::StartUninstallEntry();
    bench::Robot r(accepted.Pid());
    r.Click(r.WaitMessageBox("Pictavo Setup"), IDYES);
    whole::CleanupCopy copy = whole::WaitCleanupCopy(accepted.Pid());
    EXPECT_EQ(0u, accepted.WaitExit());
    bench::Robot rc(copy.pid);
    HWND done = rc.WaitMessageBox("Pictavo Setup", bench::ProcessTimeout());
    EXPECT_EQ("Pictavo 6 has been completely uninstalled from this computer.", rc.MessageText(done));
    // The message comes after the work.
    EXPECT_FALSE(Exists(dir));
    ExpectRegistryClean();
    rc.Click(done, IDOK);
    whole::WaitGone(copy.pid, "the clean-up copy");
    RestartAndExpectCopyGone(copy.path);
}

TEST_F(WholeProgram, UninstallKeepsAFileInUseAndItsFolderRemovesTheRest)
{
    const std::string dir = m_ / "Apps\\Pictavo";
    InstallSilently(dir);
    HANDLE held = CreateFileA(Join(dir, "readme.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    const std::string copy = whole::RunSilentUninstall();
    CloseHandle(held);

    EXPECT_EQ(std::vector<std::string>{"readme.txt"}, bench::ListDir(dir));
    ExpectRegistryClean();
    EXPECT_FALSE(Exists(Join(m_.Common().programs, "Pictavo 6")));
    EXPECT_FALSE(PendingDeletion(Join(dir, "readme.txt"))) << "a file in use is not scheduled for the restart";
    RestartAndExpectCopyGone(copy);
    EXPECT_TRUE(bench::IsFile(Join(dir, "readme.txt")));
}

TEST_F(WholeProgram, UninstallReplaysALegacyInstallLogAndKeepsIt)
{
    const std::string dir = m_ / "Apps\\Pictavo";
    InstallSilently(dir);
    bench::WriteFile(Join(dir, "legacy.dat"), "from Pictavo 5");
    bench::WriteFile(Join(dir, "install.log"), "File Copy: legacy.dat\r\n");

    const std::string copy = whole::RunSilentUninstall();

    EXPECT_EQ(std::vector<std::string>{"install.log"}, bench::ListDir(dir))
        << "the legacy install log stays, and with it the folder";
    ExpectRegistryClean();
    RestartAndExpectCopyGone(copy);
}

TEST_F(WholeProgram, UninstallRemovesDefaultNamedShortcutsOfEveryProfile)
{
    const std::string dir = m_ / "Apps\\Pictavo";
    InstallSilently(dir);
    // Items of the default names that this installation did not record:
    // made for the current user and for the default profile.
    for (const whole::ShellFolders* f : {&m_.User(), &m_.DefaultProfile()}) {
        bench::WriteFile(Join(f->desktop, "Pictavo 6.lnk"), "lnk");
        bench::WriteFile(Join(f->startup, "Pictavo 6.lnk"), "lnk");
        bench::MakeDirs(Join(f->programs, "Pictavo 6"));
        bench::WriteFile(Join(f->programs, "Pictavo 6\\Pictavo 6.lnk"), "lnk");
        bench::WriteFile(Join(f->programs, "Pictavo 6\\Tips.txt"), "tips");
        bench::WriteFile(Join(f->desktop, "Pictavo 5.lnk"), "another product");
    }

    const std::string copy = whole::RunSilentUninstall();

    for (const whole::ShellFolders* f : {&m_.Common(), &m_.User(), &m_.DefaultProfile()}) {
        SCOPED_TRACE(f->programs);
        EXPECT_FALSE(Exists(Join(f->desktop, "Pictavo 6.lnk")));
        EXPECT_FALSE(Exists(Join(f->startup, "Pictavo 6.lnk")));
        EXPECT_FALSE(Exists(Join(f->programs, "Pictavo 6")));
        EXPECT_TRUE(bench::IsDirectory(f->startup)) << "the start-up folder itself stays";
    }
    EXPECT_TRUE(Exists(Join(m_.User().desktop, "Pictavo 5.lnk")));
    EXPECT_FALSE(Exists(dir));
    RestartAndExpectCopyGone(copy);
}
