// The start-up message boxes, looked at in the program's own process: this
// test program carries the program's setup state (so it is in the product's
// list of running copies from its start, as the program is) and its string
// table, and calls the application object's InitInstance with the
// arguments of each case. Only in-process can the robot tell which icon a
// box shows. Every case ends before the dispatch: the answer is always No.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "app/SetupApp.h"
#include "bench/Files.h"
#include "bench/Robot.h"
#include "fixtures/ProductFixture.h"
#include "res/resource.h"

using fixture::ProductOptions;
using fixture::RunningProduct;

namespace {

// InitInstance reads the C runtime's argument vector; this puts a command
// line of the case there for the length of a scope.
class ScopedArgs {
public:
    explicit ScopedArgs(std::vector<std::string> args) : strings_(std::move(args))
    {
        strings_.insert(strings_.begin(), bench::BesideExe("startup_boxes_test.exe"));
        for (std::string& s : strings_)
            pointers_.push_back(&s[0]);
        pointers_.push_back(nullptr);
        oldArgc_ = __argc;
        oldArgv_ = __argv;
        __argc = static_cast<int>(strings_.size());
        __argv = pointers_.data();
    }
    ~ScopedArgs()
    {
        __argc = oldArgc_;
        __argv = oldArgv_;
    }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
    int oldArgc_;
    char** oldArgv_;
};

// Should a script fail, the robot's clean-up presses the first button of a
// box, Yes; without a temporary folder the uninstall launcher then cannot
// start a copy of this test program.
class ScopedNoTempFolder {
public:
    ScopedNoTempFolder()
    {
        char buf[MAX_PATH] = "";
        GetEnvironmentVariableA("TMP", buf, MAX_PATH);
        old_ = buf;
        SetEnvironmentVariableA("TMP", "Z:\\no such folder for the startup boxes test");
    }
    ~ScopedNoTempFolder() { SetEnvironmentVariableA("TMP", old_.empty() ? nullptr : old_.c_str()); }

private:
    std::string old_;
};

struct Expected {
    std::string text;
    bench::BoxIcon icon;
    std::vector<std::string> buttons;
    int focus;
};

void CheckBox(bench::Robot& robot, HWND box, const Expected& e)
{
    EXPECT_EQ(robot.Text(box), "Pictavo Setup");
    EXPECT_EQ(robot.MessageText(box), e.text);
    EXPECT_EQ(bench::BoxIconName(robot.MessageIcon(box)), std::string(bench::BoxIconName(e.icon)));
    EXPECT_EQ(robot.ButtonTexts(box), e.buttons);
    EXPECT_EQ(robot.FocusId(box), e.focus);
    // No owner: the box stands on its own.
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
}

const std::string kAborted =
    "Setup of Pictavo aborted. Please close other instances of Pictavo manually, saving any editing work you "
    "have done in them, then restart this setup program.";

}  // namespace

TEST(StartupBoxes, UninstallConfirmation)
{
    ScopedNoTempFolder noTemp;
    ScopedArgs args({});
    BOOL result = TRUE;
    bench::WithRobot(
        [](bench::Robot& robot) {
            HWND box = robot.WaitMessageBox();
            CheckBox(robot, box,
                     {"This will completely uninstall Pictavo 6.\nDo you want to continue?", bench::BoxIcon::Warning,
                      {"&Yes", "&No"}, IDNO});
            robot.Click(box, IDNO);
        },
        [&] { result = theApp.InitInstance(); });
    EXPECT_FALSE(result);
}

TEST(StartupBoxes, QuestionAboutOneRunningCopyAndTheAbort)
{
    bench::ScopedTempDir dir("startup boxes");
    ProductOptions o;
    o.stay = true;
    RunningProduct product(dir.Path(), o);
    ScopedArgs args({"-install"});
    BOOL result = FALSE;
    bench::WithRobot(
        [](bench::Robot& robot) {
            HWND box = robot.WaitMessageBox();
            CheckBox(robot, box,
                     {"1 instance of Pictavo is currently opened. If you click \"Yes\" button, SETUP will try to "
                      "close it without saving any editing work you may have done. \n\nContinue installation?",
                      bench::BoxIcon::Warning, {"&Yes", "&No"}, IDYES});
            robot.ClickAndWaitClosed(box, IDNO);
            HWND aborted = robot.WaitMessageBox();
            CheckBox(robot, aborted, {kAborted, bench::BoxIcon::Information, {"OK"}, IDOK});
            robot.Click(aborted, IDOK);
        },
        [&] { result = theApp.InitInstance(); });
    EXPECT_TRUE(result) << "a declined question ends through the message loop";
    product.Sync();
    EXPECT_FALSE(product.HasEvent("close 1001"));
    // A normal end takes it off the list, which this process keeps open for
    // the next case.
    product.Close();
}

TEST(StartupBoxes, QuestionAboutSeveralRunningCopies)
{
    bench::ScopedTempDir dir("startup boxes");
    ProductOptions o;
    o.stay = true;
    RunningProduct a(dir / "a", o);
    RunningProduct b(dir / "b", o);
    ScopedArgs args({"-install"});
    BOOL result = FALSE;
    bench::WithRobot(
        [](bench::Robot& robot) {
            HWND box = robot.WaitMessageBox();
            CheckBox(robot, box,
                     {"2 instances of Pictavo are currently opened. ff you click \"Yes\" button, SETUP will try to "
                      "close them without saving any editing work you may have done. \n\nContinue installation?",
                      bench::BoxIcon::Warning, {"&Yes", "&No"}, IDYES});
            robot.ClickAndWaitClosed(box, IDNO);
            HWND aborted = robot.WaitMessageBox();
            robot.Click(aborted, IDOK);
        },
        [&] { result = theApp.InitInstance(); });
    EXPECT_TRUE(result);
    a.Close();
    b.Close();
}

// The application's one message-map entry: the framework's help command
// goes to the framework's own handler.
TEST(SetupApp, TheHelpCommandIsRouted)
{
    EXPECT_TRUE(theApp.OnCmdMsg(ID_HELP, 0));
    EXPECT_FALSE(theApp.OnCmdMsg(ID_HELP + 1, 0));
}
