// The wizard frame on real windows: every row of its state table, every
// transition (Next, Back, Cancel, Enter, Escape, the close box), the
// installing state around the real installation run, and Finish.
#include <gtest/gtest.h>

#include "app/SetupState.h"
#include "bench/Files.h"
#include "bench/Registry.h"
#include "res/resource.h"
#include "wizard/WizardTest.h"

using namespace wiztest;

namespace {

// Releases a paused installation when the script ends, also on a failure,
// so that the frame can be closed.
struct ReleaseAtExit {
    InstallationHold& hold;
    ~ReleaseAtExit() { hold.Release(); }
};

}  // namespace

// Next leads through every state; the installing state is looked at while
// the real installation run is paused inside it.
struct FinishCase {
    const char* name;
    int runAfterBefore;   // g_bRunAfter as the command line left it
    bool checkRunAfter;   // the user checks "Run Pictavo" before Finish
    int runAfterAfter;
};

void PrintTo(const FinishCase& c, std::ostream* os) { *os << c.name; }


class WizardFinish : public WizardTest, public ::testing::WithParamInterface<FinishCase> {};

TEST_P(WizardFinish, NextLeadsThroughEveryStateAndFinishStoresRunAfter)
{
    const FinishCase& c = GetParam();
    g_bRunAfter = c.runAfterBefore;
    InstallationHold hold;
    const HCURSOR waitCursor = LoadCursor(nullptr, IDC_WAIT);
    HCURSOR cursorWhileInstalling = nullptr;

    INT_PTR result = Run([&](Wizard& w) {
        ReleaseAtExit release{hold};
        w.WalkTo(kReady);
        w.Next();
        hold.WaitPaused(w.robot.Timeout());
        w.ExpectWhileBusy(kInstalling);
        CURSORINFO ci = {};
        ci.cbSize = sizeof ci;
        if (GetCursorInfo(&ci))
            cursorWhileInstalling = ci.hCursor;
        hold.Release();

        w.Expect(kFinished);
        HWND page = w.Page();
        EXPECT_EQ(w.robot.CheckState(page, IDC_RUN_AFTER), BST_UNCHECKED);
        if (c.checkRunAfter) {
            w.robot.Click(page, IDC_RUN_AFTER);
            w.robot.WaitCheck(page, IDC_RUN_AFTER, BST_CHECKED);
        }
        w.Next();
        w.robot.WaitClosed(w.frame);
    });

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(g_bRunAfter, c.runAfterAfter);
    EXPECT_EQ(cursorWhileInstalling, waitCursor);
    // The run installed into the destination of the wizard.
    const std::string dir = world->DefaultInstallDir();
    EXPECT_TRUE(bench::IsFile(dir + "\\Pictavo6.exe"));
    EXPECT_TRUE(bench::IsFile(dir + "\\PtvUnInst.log"));
    EXPECT_TRUE(bench::IsFile(world->Programs() + "\\Pictavo 6\\Pictavo 6.lnk"));
}

INSTANTIATE_TEST_SUITE_P(Wizard, WizardFinish,
    ::testing::Values(FinishCase{"BoxUncheckedDespiteRunAfterOption", 1, false, 0},
                      FinishCase{"BoxUncheckedWithoutOption", 0, false, 0},
                      FinishCase{"BoxChecked", 0, true, 1}),
    [](const ::testing::TestParamInfo<FinishCase>& i) { return std::string(i.param.name); });

// Back from the ready page goes back through every page to the welcome
// page; each page shows what the page left earlier stored.
TEST_F(WizardTest, BackLeadsFromReadyToWelcomeWithTheStoredValues)
{
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kGroup);
        HWND page = w.Page();
        w.robot.Type(page, IDC_GROUP, "  Photo Tools  ");
        w.robot.Click(page, IDC_AUTOSTART);
        w.robot.Click(page, IDC_DESKTOP_ICON);
        w.robot.WaitCheck(page, IDC_DESKTOP_ICON, BST_UNCHECKED);
        w.Next();
        w.Expect(kReady);

        w.Back();
        w.Expect(kGroup);
        page = w.Page();
        EXPECT_EQ(w.robot.Text(page, IDC_GROUP), "Photo Tools");
        EXPECT_EQ(w.robot.CheckState(page, IDC_AUTOSTART), BST_CHECKED);
        EXPECT_EQ(w.robot.CheckState(page, IDC_DESKTOP_ICON), BST_UNCHECKED);

        w.Back();
        w.Expect(kDestination);
        w.Back();
        w.Expect(kAgreement);
        w.Back();
        w.Expect(kWelcome);
        w.Cancel();
        w.AnswerCancelQuestion(IDYES);
        w.robot.WaitClosed(w.frame);
    });

    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strGroupName), "Photo Tools");
    EXPECT_EQ(g_bAutoStart, 1);
    EXPECT_EQ(g_bDesktopIcon, 0);
    // Cancelled before the ready page's Next: nothing was installed.
    EXPECT_FALSE(bench::Exists(world->DefaultInstallDir()));
}

TEST_F(WizardTest, EnterActsAsNextAndEscapeAsCancel)
{
    INT_PTR result = Run([&](Wizard& w) {
        w.Expect(kWelcome);
        for (const Row* row : {&kAgreement, &kDestination, &kGroup, &kReady}) {
            w.Enter();
            w.Expect(*row);
        }
        w.Escape();
        w.AnswerCancelQuestion(IDNO);
        w.Expect(kReady);
        w.Escape();
        w.AnswerCancelQuestion(IDYES);
        w.robot.WaitClosed(w.frame);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(bench::Exists(world->DefaultInstallDir()));
}

// The cancel question in every state where Cancel is enabled, asked by the
// Cancel button ("No" on the agreement page), Escape and the close box:
// No keeps the state as it was, Yes ends the wizard with IDCANCEL.
enum class CancelWay { Button, Escape, CloseBox };

struct CancelCase {
    const Row* row;
    CancelWay way;
};

std::string CancelCaseName(const CancelCase& c)
{
    std::string name = c.row->name;
    for (char& ch : name)
        if (ch == ' ')
            ch = '_';
    static const char* const ways[] = {"Button", "Escape", "CloseBox"};
    return name + "_" + ways[static_cast<int>(c.way)];
}

void PrintTo(const CancelCase& c, std::ostream* os) { *os << CancelCaseName(c); }

std::vector<CancelCase> CancelCases()
{
    std::vector<CancelCase> cases;
    for (const Row* row : {&kWelcome, &kAgreement, &kDestination, &kGroup, &kReady})
        for (CancelWay way : {CancelWay::Button, CancelWay::Escape, CancelWay::CloseBox})
            cases.push_back({row, way});
    return cases;
}

class WizardCancel : public WizardTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(WizardCancel, QuestionKeepsTheStateOnNoAndEndsOnYes)
{
    const Row& row = *GetParam().row;
    const CancelWay way = GetParam().way;
    INT_PTR result = Run([&](Wizard& w) {
        auto ask = [&] {
            switch (way) {
            case CancelWay::Button: w.Cancel(); break;
            case CancelWay::Escape: w.Escape(); break;
            case CancelWay::CloseBox: w.CloseBox(); break;
            }
        };
        w.WalkTo(row);
        ask();
        w.AnswerCancelQuestion(IDNO);
        // A click on Cancel leaves the focus on it; after a key or the
        // close box the frame gets its focus back where it was.
        w.Expect(way == CancelWay::Button ? Unfocused(row) : row);
        ask();
        w.AnswerCancelQuestion(IDYES);
        w.robot.WaitClosed(w.frame);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(bench::Exists(world->DefaultInstallDir()));
}

INSTANTIATE_TEST_SUITE_P(Wizard, WizardCancel, ::testing::ValuesIn(CancelCases()),
    [](const ::testing::TestParamInfo<CancelCase>& i) { return CancelCaseName(i.param); });

// After the installation there is nothing left to cancel: Escape and the
// close box are ignored like the disabled Cancel button.
TEST_F(WizardTest, FinishedStateIgnoresEscapeAndTheCloseBox)
{
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kReady);
        w.Next();
        w.Expect(kFinished);
        HWND page = w.Page();
        w.Escape();
        w.CloseBox();
        // Each click is queued behind what came before it: once the box
        // shows the first, the key and the close command have been handled;
        // once it shows the second, also a command that they queued.
        w.robot.Click(page, IDC_RUN_AFTER);
        w.robot.WaitCheck(page, IDC_RUN_AFTER, BST_CHECKED);
        w.robot.Click(page, IDC_RUN_AFTER);
        w.robot.WaitCheck(page, IDC_RUN_AFTER, BST_UNCHECKED);
        EXPECT_EQ(w.robot.Windows(), std::vector<HWND>{w.frame}) << "a window besides the frame is open";
        w.Expect(Unfocused(kFinished));
        w.Next();
        w.robot.WaitClosed(w.frame);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(g_bRunAfter, 0);
}

// What the pages stored reaches the installation run that the ready page
// starts: install type, group, start-up and desktop shortcuts.
TEST_F(WizardTest, SettingsOfThePagesReachTheInstallation)
{
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kDestination);
        w.robot.Click(w.Page(), IDC_ALL_USERS);
        w.robot.WaitCheck(w.Page(), IDC_ALL_USERS, BST_CHECKED);
        w.Next();
        w.Expect(kGroup);
        HWND page = w.Page();
        w.robot.Type(page, IDC_GROUP, "Quorvane\\Pictavo");
        w.robot.Click(page, IDC_AUTOSTART);
        w.robot.Click(page, IDC_DESKTOP_ICON);
        w.robot.WaitCheck(page, IDC_DESKTOP_ICON, BST_UNCHECKED);
        w.Next();
        w.Expect(kReady);
        w.Next();
        w.Expect(kFinished);
        w.Next();
        w.robot.WaitClosed(w.frame);
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_TRUE(bench::IsFile(world->CommonPrograms() + "\\Quorvane\\Pictavo\\Pictavo 6.lnk"));
    EXPECT_TRUE(bench::IsFile(world->CommonStartup() + "\\Pictavo 6.lnk"));
    EXPECT_FALSE(bench::Exists(world->CommonDesktop() + "\\Pictavo 6.lnk"));
    EXPECT_FALSE(bench::Exists(world->Programs() + "\\Quorvane"));
    EXPECT_EQ(bench::RegReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvane\\Pictavo 6", "AllUsers"), "B");
    EXPECT_EQ(bench::RegReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvane\\Pictavo 6", "Path"),
              world->DefaultInstallDir());
}
