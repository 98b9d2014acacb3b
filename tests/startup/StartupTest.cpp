// Start-up of the real program: setup.exe of the test build, run as a
// process under the file names and with the arguments that a user, the
// package or the uninstall entry gives it, with product stand-ins running
// in the product's list of running copies. The robot reads and answers the
// message boxes; the stand-ins write down the close requests and notices
// that reach them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Restart.h"
#include "bench/Robot.h"
#include "bench/Wait.h"
#include "fixtures/ProductFixture.h"
#include "startup/ProcessInfo.h"

using fixture::ListView;
using fixture::ProductOptions;
using fixture::RunningProduct;
using startup_test::CommandLineOf;
using startup_test::IsRunning;
using startup_test::SplitCommandLine;

namespace {

const char kCaption[] = "Pictavo Setup";
const std::string kCloseOne =
    "1 instance of Pictavo is currently opened. If you click \"Yes\" button, SETUP will try to close it "
    "without saving any editing work you may have done. \n\nContinue installation?";
std::string CloseMany(int n)
{
    return std::to_string(n) +
           " instances of Pictavo are currently opened. ff you click \"Yes\" button, SETUP will try to close "
           "them without saving any editing work you may have done. \n\nContinue installation?";
}
const std::string kAborted =
    "Setup of Pictavo aborted. Please close other instances of Pictavo manually, saving any editing work you "
    "have done in them, then restart this setup program.";
const std::string kConfirmUninstall = "This will completely uninstall Pictavo 6.\nDo you want to continue?";
const std::string kUninstalled = "Pictavo 6 has been completely uninstalled from this computer.";

const std::vector<std::string> kYesNo = {"&Yes", "&No"};
const std::vector<std::string> kOk = {"OK"};

std::string Str(DWORD n) { return std::to_string(n); }

struct Box {
    HWND hwnd;
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    int focusId;   // the button that Enter presses: the default one
};

Box WaitBox(const bench::Robot& robot)
{
    HWND b = robot.WaitMessageBox();
    return {b, robot.Text(b), robot.MessageText(b), robot.ButtonTexts(b), robot.FocusId(b)};
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The counts below assume that only this test's processes are in
        // the product's list.
        ASSERT_FALSE(ListView::Exists()) << "another process of the prefix holds the product's list";
    }

    // Starts setup.exe of the test build copied to path (relative to the
    // test's folder) with these arguments.
    bench::Process Run(const std::string& path, const std::vector<std::string>& args,
                       const std::vector<std::pair<std::string, std::string>>& env = {})
    {
        bench::StartOptions o;
        o.copyTo = dir_ / path;
        o.commandLine = bench::CommandLine(o.copyTo, args);
        o.env = env;
        return bench::Process::Start(bench::BesideExe("setup.exe"), o);
    }

    // A running copy of the product that only a termination ends. A guarded
    // one cannot be terminated by the program, so its close request is
    // sure to be written down (a copy that is terminated 10 ms after the
    // request may not have handled it yet).
    RunningProduct Product(ProductOptions o = ProductOptions())
    {
        o.stay = true;
        return RunningProduct(dir_ / ("product" + Str(++products_)), o);
    }
    RunningProduct GuardedProduct(ProductOptions o = ProductOptions())
    {
        o.guarded = true;
        return Product(o);
    }

    bench::ScopedTempDir dir_{"startup"};
    int products_ = 0;
};

}  // namespace

// The mode follows from argument 1 and the program's own path. With one
// copy of the product running, install mode asks about closing it (string
// 1) and uninstall mode asks for confirmation (string 6); both are
// declined, so nothing is closed.
TEST_F(Startup, ModeFromFileNameAndArguments)
{
    struct Case {
        const char* path;
        std::vector<std::string> args;
        bool install;
    };
    const Case cases[] = {
        {"a\\setup.exe", {}, true},
        {"b\\MySetup.EXE", {}, true},
        {"Pictavo Setup.exe Files\\PtvUnInst.exe", {}, true},
        {"c\\PtvUnInst.exe", {}, false},
        {"d\\PtvUnInst.exe", {"-install"}, true},
        {"e\\PtvUnInst.exe", {"-INSTALL"}, true},
        {"f\\PtvUnInst.exe", {"x", "-install"}, false},
        {"g\\PtvUnInst.exe", {"-DELSELF", "C:\\nothing\\PtvUnInst.exe"}, false},
        {"h\\PtvUnInst.exe", {"-delself"}, false},
        {"i\\setup.exe", {"-delself"}, true},
        {"j\\PtvUnInst.exe", {"/s"}, false},
        {"k\\setup.exe", {"-s"}, true},
        {"l\\setup.exe", {"-S", "x"}, true},
    };
    RunningProduct product = Product();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + bench::CommandLine("", c.args));
        bench::Process p = Run(c.path, c.args);
        bench::Robot robot(p.Pid());
        Box box = WaitBox(robot);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.buttons, kYesNo);
        if (c.install) {
            EXPECT_EQ(box.text, kCloseOne);
            EXPECT_EQ(box.focusId, IDYES);
            robot.ClickAndWaitClosed(box.hwnd, IDNO);
            Box aborted = WaitBox(robot);
            EXPECT_EQ(aborted.text, kAborted);
            EXPECT_EQ(aborted.caption, kCaption);
            EXPECT_EQ(aborted.buttons, kOk);
            robot.Click(aborted.hwnd, IDOK);
        } else {
            EXPECT_EQ(box.text, kConfirmUninstall);
            EXPECT_EQ(box.focusId, IDNO);
            robot.Click(box.hwnd, IDNO);
        }
        EXPECT_EQ(p.WaitExit(), 0u);
    }
    product.Sync();
    EXPECT_FALSE(product.HasEvent("close 1001"));
    EXPECT_TRUE(product.Process().Running());
}

// Both sides see each other's entries: the program's count includes the
// copy that runs, and the copy is told when the program enters and leaves
// the list.
TEST_F(Startup, DecliningLeavesTheCopiesAloneAndEndsWithZero)
{
    RunningProduct product = Product();
    bench::Process p = Run("setup.exe", {});
    bench::Robot robot(p.Pid());
    Box box = WaitBox(robot);
    ASSERT_EQ(box.text, kCloseOne);
    product.WaitEvent("added " + Str(p.Pid()));
    robot.ClickAndWaitClosed(box.hwnd, IDNO);
    Box aborted = WaitBox(robot);
    EXPECT_EQ(aborted.text, kAborted);
    robot.Click(aborted.hwnd, IDOK);
    EXPECT_EQ(p.WaitExit(), 0u);
    product.WaitEvent("removed " + Str(p.Pid()));
    product.Sync();
    EXPECT_FALSE(product.HasEvent("close 1001"));
    EXPECT_TRUE(product.Process().Running());
}

// Yes posts the close request to each copy's window and terminates each
// copy; a copy that cannot be opened for termination is left running.
TEST_F(Startup, YesClosesEveryRunningCopy)
{
    std::vector<RunningProduct> products;
    products.push_back(Product());
    products.push_back(GuardedProduct());
    products.push_back(Product());
    ListView list;
    bench::Process p = Run("setup.exe", {});
    bench::Robot robot(p.Pid());
    Box box = WaitBox(robot);
    EXPECT_EQ(box.text, CloseMany(3));
    EXPECT_EQ(box.buttons, kYesNo);
    EXPECT_EQ(box.focusId, IDYES);
    robot.PressEnter(box.hwnd);   // Yes is the default
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(products[0].Process().WaitExit(), 0u) << "terminated with exit code 0";
    EXPECT_EQ(products[2].Process().WaitExit(), 0u) << "terminated with exit code 0";
    products[1].WaitEvent("close 1001");
    EXPECT_TRUE(products[1].Process().Running());
    // Terminated copies leave their entries behind; the program removed its
    // own at its normal exit.
    EXPECT_EQ(list.Ids(), (std::vector<DWORD>{products[0].Pid(), products[1].Pid(), products[2].Pid()}));
}

// "-s" or "/s" after argument 1 closes the copies without a question; a
// "-s" that is argument 1 does not (see ModeFromFileNameAndArguments).
TEST_F(Startup, SilentAfterTheFirstArgumentClosesWithoutAsking)
{
    const std::vector<std::vector<std::string>> argLists = {
        {"-install", "-s"},
        {"anything", "/s"},
        {"-s", "x", "/S"},
    };
    for (const auto& args : argLists) {
        SCOPED_TRACE(bench::CommandLine("setup.exe", args));
        RunningProduct product = GuardedProduct();
        bench::Process p = Run("s" + Str(products_) + "\\setup.exe", args);
        // Without a question it ends by itself.
        EXPECT_EQ(p.WaitExit(), 0u);
        product.WaitEvent("close 1001");
    }
}

// A listed id may be stale and name an unrelated program now: only copies
// of the product are ended: a process with an instance window, or one that
// runs Pictavo6.exe.
TEST_F(Startup, OnlyCopiesOfTheProductAreTerminated)
{
    struct Case {
        const char* what;
        const char* exeName;
        const char* title;
        bool guarded;
        bool closeRequest;   // checked on guarded ones, which stay
        bool terminated;
    };
    const Case cases[] = {
        {"the product", "Pictavo6.exe", "Pictavo 6", false, true, true},
        {"the product, guarded", "Pictavo6.exe", "Pictavo 6", true, true, false},
        {"the product without an instance window", "Pictavo6.exe", "pictavo 6", false, false, true},
        {"another program with an instance window", "Viewer.exe", "Pictavo 6", false, true, true},
        {"another program with an instance window, guarded", "Viewer.exe", "Pictavo 6", true, true, false},
        {"an unrelated program", "Notepad.exe", "Untitled - Notepad", false, false, false},
    };
    // A stand-in that creates the list and leaves it again, so that the
    // programs below can be entered as stale ids would stand.
    std::unique_ptr<ListView> list;
    {
        RunningProduct creator(dir_ / "creator");
        list = std::make_unique<ListView>();
        creator.Close();
    }
    std::vector<RunningProduct> running;
    for (const Case& c : cases) {
        ProductOptions o;
        o.exeName = c.exeName;
        o.title = c.title;
        o.guarded = c.guarded;
        o.noList = true;
        running.push_back(Product(o));
        list->Append(running.back().Pid());
    }
    bench::Process p = Run("setup.exe", {"-install", "-s"});
    EXPECT_EQ(p.WaitExit(), 0u);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        RunningProduct& r = running[i];
        if (cases[i].terminated) {
            EXPECT_EQ(r.Process().WaitExit(), 0u);
            continue;
        }
        ASSERT_TRUE(r.Process().Running());
        r.Sync();
        EXPECT_EQ(r.HasEvent("close 1001"), cases[i].closeRequest);
    }
}

// n is counted before the question; only the first n entries are visited,
// and the program's own entry is skipped among them.
TEST_F(Startup, OnlyTheFirstNEntriesAreVisitedAndNeverItsOwn)
{
    RunningProduct first = Product();
    RunningProduct second = Product();
    ListView list;
    // Under the product's own file name (install mode by "-install") the
    // program would count as a copy of the product itself.
    bench::Process p = Run("Pictavo6.exe", {"-install"});
    bench::Robot robot(p.Pid());
    Box box = WaitBox(robot);
    ASSERT_EQ(box.text, CloseMany(2));
    // While the question is open: the first entry leaves, a third copy
    // enters after the program's own entry: [second, setup, third].
    list.Remove(first.Pid());
    RunningProduct third = Product();
    ASSERT_EQ(list.Ids(), (std::vector<DWORD>{second.Pid(), p.Pid(), third.Pid()}));
    robot.Click(box.hwnd, IDYES);
    EXPECT_EQ(p.WaitExit(), 0u);
    std::vector<DWORD> ids = list.Ids();
    EXPECT_EQ(std::find(ids.begin(), ids.end(), p.Pid()), ids.end())
        << "the program was terminated instead of leaving the list at its normal exit";
    EXPECT_EQ(second.Process().WaitExit(), 0u);
    third.Sync();
    EXPECT_FALSE(third.HasEvent("close 1001"));
    EXPECT_TRUE(third.Process().Running());
    first.Sync();
    EXPECT_FALSE(first.HasEvent("close 1001"));
    EXPECT_TRUE(first.Process().Running());
}

// The uninstaller in a folder with a blank: confirmation, the running copy
// closed without a question, the clean-up copy started from the temporary
// folder with the quoted command line; it waits, deletes the uninstaller,
// schedules its own deletion, shows string 20, and is gone after a restart.
TEST_F(Startup, UninstallHandsOverToTheCleanupCopy)
{
    bench::ScopedPrefixLock prefixLock;
    RunningProduct product = Product();
    RunningProduct guarded = GuardedProduct();
    ListView list;
    const std::string temp = dir_ / "temp";
    bench::MakeDirs(temp);
    const std::string uninstaller = dir_ / "Pictavo 6\\PtvUnInst.exe";
    bench::Process p = Run("Pictavo 6\\PtvUnInst.exe", {}, {{"TMP", temp}, {"TEMP", temp}});
    bench::Robot robot(p.Pid());
    Box box = WaitBox(robot);
    EXPECT_EQ(box.text, kConfirmUninstall);
    robot.Click(box.hwnd, IDYES);

    DWORD copyPid = startup_test::WaitChildOf(p.Pid());
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(product.Process().WaitExit(), 0u) << "closed without a question";
    guarded.WaitEvent("close 1001");

    std::vector<std::string> files = bench::ListDir(temp);
    ASSERT_EQ(files.size(), 1u);
    const std::string& name = files[0];
    EXPECT_TRUE(name.size() > 7 && name.compare(0, 3, "uni") == 0 && name.compare(name.size() - 4, 4, ".tmp") == 0)
        << name;
    const std::string copy = bench::Join(temp, name);
    EXPECT_EQ(CommandLineOf(copyPid), copy + " -delself \"" + uninstaller + "\"");

    bench::Robot copyRobot(copyPid);
    Box done = WaitBox(copyRobot);
    EXPECT_EQ(done.text, kUninstalled);
    EXPECT_EQ(done.caption, kCaption);
    EXPECT_EQ(done.buttons, kOk);
    EXPECT_FALSE(bench::Exists(uninstaller)) << "the uninstaller is deleted before the message";
    std::vector<DWORD> ids = list.Ids();
    EXPECT_NE(std::find(ids.begin(), ids.end(), p.Pid()), ids.end()) << "the uninstaller leaves its entry behind";
    EXPECT_NE(std::find(ids.begin(), ids.end(), copyPid), ids.end());
    copyRobot.Click(done.hwnd, IDOK);
    ASSERT_TRUE(bench::WaitProcessGone(copyPid));
    ids = list.Ids();
    EXPECT_EQ(std::find(ids.begin(), ids.end(), copyPid), ids.end()) << "the clean-up copy leaves the list";

    bool scheduled = false;
    for (const bench::PendingRename& r : bench::PendingRenames())
        scheduled |= r.target.empty() && lstrcmpiA(r.source.c_str(), copy.c_str()) == 0;
    EXPECT_TRUE(scheduled) << "the clean-up copy's deletion is not scheduled";
    EXPECT_TRUE(bench::Exists(copy));
    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(copy));
}

// A silent uninstall asks nothing and passes "-s" on, so the clean-up copy
// shows nothing; a temporary folder with a blank is quoted too.
TEST_F(Startup, SilentUninstallPassesTheFlagOn)
{
    bench::ScopedPrefixLock prefixLock;
    const std::string temp = dir_ / "temp folder";
    bench::MakeDirs(temp);
    const std::string uninstaller = dir_ / "Pictavo 6\\PtvUnInst.exe";
    bench::Process p = Run("Pictavo 6\\PtvUnInst.exe", {"-s"}, {{"TMP", temp}, {"TEMP", temp}});
    DWORD copyPid = startup_test::WaitChildOf(p.Pid());
    EXPECT_EQ(p.WaitExit(), 0u);
    std::vector<std::string> files = bench::ListDir(temp);
    ASSERT_EQ(files.size(), 1u);
    const std::string copy = bench::Join(temp, files[0]);
    const std::string line = CommandLineOf(copyPid);
    EXPECT_EQ(line, "\"" + copy + "\" -delself \"" + uninstaller + "\" -s");
    EXPECT_EQ(SplitCommandLine(line), (std::vector<std::string>{copy, "-delself", uninstaller, "-s"}));

    HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copyPid);
    ASSERT_NE(h, nullptr);
    bench::Robot copyRobot(copyPid);
    bench::WaitUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0 || !copyRobot.Windows().empty(); },
                     "the clean-up copy to end");
    EXPECT_TRUE(copyRobot.Windows().empty()) << "a silent clean-up shows nothing";
    ASSERT_EQ(WaitForSingleObject(h, bench::ProcessTimeout()), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(h, &code);
    CloseHandle(h);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(bench::Exists(uninstaller));
    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(copy));
}

TEST_F(Startup, DeclinedUninstallChangesNothing)
{
    RunningProduct product = Product();
    const std::string temp = dir_ / "temp";
    bench::MakeDirs(temp);
    bench::Process p = Run("PtvUnInst.exe", {}, {{"TMP", temp}, {"TEMP", temp}});
    bench::Robot robot(p.Pid());
    Box box = WaitBox(robot);
    ASSERT_EQ(box.text, kConfirmUninstall);
    robot.PressEnter(box.hwnd);   // No is the default
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_TRUE(bench::ListDir(temp).empty());
    EXPECT_TRUE(bench::Exists(dir_ / "PtvUnInst.exe"));
    product.Sync();
    EXPECT_FALSE(product.HasEvent("close 1001"));
    EXPECT_TRUE(product.Process().Running());
}

// When the clean-up copy cannot be made (the temporary folder is missing),
// the uninstaller returns and ends with exit code 0, leaving everything.
TEST_F(Startup, UninstallWhoseCleanupCopyCannotStart)
{
    const std::string temp = dir_ / "no such folder";
    bench::Process p = Run("PtvUnInst.exe", {"-s"}, {{"TMP", temp}, {"TEMP", temp}});
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_TRUE(bench::Exists(dir_ / "PtvUnInst.exe"));
    for (const startup_test::ProcessEntry& e : startup_test::Processes())
        EXPECT_NE(e.parentPid, p.Pid()) << e.exeName;
}

// Clean-up mode on its own: the uninstaller named by argument 2 is still in
// use when the wait is over (here held open without sharing); the copy
// keeps trying and deletes it once it is free.
TEST_F(Startup, CleanupWaitsForTheUninstallerToBeFree)
{
    bench::ScopedPrefixLock prefixLock;
    const std::string uninstaller = dir_ / "product\\PtvUnInst.exe";
    bench::MakeDirs(dir_ / "product");
    bench::WriteFile(uninstaller, "the uninstaller");
    HANDLE held = CreateFileA(uninstaller.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const std::string copy = dir_ / "uni1234.tmp";
    bench::Process p = Run("uni1234.tmp", {"-delself", uninstaller, "-s"});
    // The copy schedules its own deletion just before it tries to delete
    // the uninstaller.
    bench::WaitUntil(
        [&] {
            for (const bench::PendingRename& r : bench::PendingRenames())
                if (r.target.empty() && lstrcmpiA(r.source.c_str(), copy.c_str()) == 0)
                    return true;
            return false;
        },
        "the clean-up copy to schedule its own deletion");
    EXPECT_TRUE(p.Running());
    EXPECT_TRUE(bench::Exists(uninstaller));
    CloseHandle(held);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_FALSE(bench::Exists(uninstaller));
    bench::RestartPrefix();
    EXPECT_FALSE(bench::Exists(copy));
}
