// The robot against the windows of another process: the bench's probe
// program shows a message box or the folder browser.
#include <gtest/gtest.h>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Robot.h"

namespace {

using bench::Process;
using bench::Robot;

Process StartProbe(const std::vector<std::string>& args)
{
    bench::StartOptions opt;
    opt.commandLine = bench::CommandLine(bench::BesideExe("bench_probe.exe"), args);
    return Process::Start(bench::BesideExe("bench_probe.exe"), opt);
}

TEST(RobotChild, ReadsAndAnswersAMessageBox)
{
    Process p = StartProbe({"msgbox", "Text of the child", "Child box",
                            std::to_string(MB_YESNO | MB_ICONEXCLAMATION)});
    Robot r(p.Pid());
    HWND box = r.WaitMessageBox("Child box");
    EXPECT_EQ(r.MessageText(box), "Text of the child");
    EXPECT_EQ(r.ButtonTexts(box), (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_TRUE(r.IsEnabled(box, IDNO));
    EXPECT_EQ(r.FocusId(box), IDYES);
    EXPECT_THROW(r.MessageIcon(box), bench::Error) << "icons are told only in-process";
    EXPECT_EQ(Robot().Find("Child box"), nullptr) << "a robot of this process does not see the child's box";
    r.ClickAndWaitClosed(box, IDNO);
    EXPECT_EQ(p.WaitExit(), static_cast<DWORD>(IDNO));
}

TEST(RobotChild, KeysReachTheChildsDialogManager)
{
    struct Case { const char* name; UINT flags; UINT key; DWORD expected; };
    const Case cases[] = {
        {"Enter", MB_OKCANCEL, VK_RETURN, IDOK},
        {"Enter, second default", MB_OKCANCEL | MB_DEFBUTTON2, VK_RETURN, IDCANCEL},
        {"Escape", MB_OKCANCEL, VK_ESCAPE, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Process p = StartProbe({"msgbox", "Keys", "Child keys", std::to_string(c.flags)});
        Robot r(p.Pid());
        HWND box = r.WaitMessageBox("Child keys");
        r.PressKey(box, c.key);
        r.WaitClosed(box);
        EXPECT_EQ(p.WaitExit(), c.expected);
    }
}

TEST(RobotChild, SelectsAFolderInTheChildsBrowser)
{
    bench::ScopedTempDir dir("child browse ");
    const std::string out = dir / "chosen.txt";
    Process p = StartProbe({"browse", out});
    Robot r(p.Pid());
    r.BrowseSelect(r.WaitFolderBrowser(), dir.Path());
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(bench::ReadFile(out).value_or("(none)"), dir.Path());
}

}  // namespace
