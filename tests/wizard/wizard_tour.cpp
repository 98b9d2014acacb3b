// The tour of the wizard for the pictures in docs/: the real frame, shown
// as the setup run shows it and walked by the robot through its states,
// with a pause at each for scripts/screenshots.sh to capture the screen.
//
// At each stop it writes <name>.ready into the folder named by the
// environment variable WIZARD_TOUR_DIR, holding the screen rectangle to
// capture ("left top width height"), and goes on when <name>.go appears
// there. Not a test of the suite: it asserts only what it needs to go on.
#include <gtest/gtest.h>

#include <stdio.h>

#include "app/SetupState.h"
#include "bench/Files.h"
#include "res/resource.h"
#include "wizard/WizardTest.h"

using namespace wiztest;

namespace {

const DWORD kCaptureTimeoutMs = 60000;

std::string TourDir()
{
    char dir[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("WIZARD_TOUR_DIR", dir, MAX_PATH))
        throw bench::Error("WIZARD_TOUR_DIR is not set");
    return dir;
}

// Stops for a capture of the windows given (their bounding rectangle).
// The last of them is activated first, as a person's click would: in a Wine
// desktop without X focus the first window of the program is the
// foreground window but shows a grey caption until the activation changes
// once (measured), so it is moved away and back.
void Stop(const bench::Robot& robot, const std::string& name, const std::vector<HWND>& windows)
{
    HWND front = windows.back();
    SetForegroundWindow(GetDesktopWindow());
    SetForegroundWindow(front);
    robot.Wait([&] { return GetForegroundWindow() == front; }, name + " in front");
    // Once the window's thread answers, it has repainted the caption.
    DWORD_PTR ignored;
    SendMessageTimeoutA(front, WM_NULL, 0, 0, SMTO_NORMAL, robot.Timeout(), &ignored);
    RECT all = {};
    for (HWND w : windows) {
        RECT rc;
        GetWindowRect(w, &rc);
        if (IsRectEmpty(&all))
            all = rc;
        else
            UnionRect(&all, &all, &rc);
    }
    const std::string dir = TourDir();
    char text[128];
    snprintf(text, sizeof text, "%ld %ld %ld %ld\n", all.left, all.top, all.right - all.left, all.bottom - all.top);
    // Written under another name first, so that the script never reads a
    // half-written file.
    bench::WriteFile(dir + "\\" + name + ".tmp", text);
    MoveFileExA((dir + "\\" + name + ".tmp").c_str(), (dir + "\\" + name + ".ready").c_str(),
                MOVEFILE_REPLACE_EXISTING);
    if (!bench::PollUntil([&] { return bench::Exists(dir + "\\" + name + ".go"); }, kCaptureTimeoutMs))
        throw bench::Error("no capture of " + name + " within the deadline");
}

}  // namespace

TEST_F(WizardTest, Tour)
{
    world->WriteAgreement(
        "END-USER LICENSE AGREEMENT FOR PICTAVO 6\r\n\r\n"
        "Please read this agreement carefully before you install Pictavo 6.\r\n\r\n"
        "1. Grant of licence. Quorvane Technology LLC grants you the right to install and use one copy of "
        "Pictavo 6 on one computer.\r\n\r\n"
        "2. Copyright. Pictavo 6 is protected by copyright laws and international treaties.\r\n\r\n"
        "3. No warranty. Pictavo 6 is provided as it is, without warranty of any kind.\r\n");
    // The destination a first installation proposes, rather than the
    // test's temporary folder; the tour runs in a prefix of its own.
    const std::string dest = "C:\\Program Files\\Pictavo 6";
    g_strInstallDir = dest.c_str();
    struct RemoveAtExit {
        std::string path;
        ~RemoveAtExit() { bench::RemoveTree(path); }
    } remove{dest};
    INT_PTR result = Run([&](Wizard& w) {
        w.Expect(kWelcome);
        Stop(w.robot, "welcome", {w.frame});
        w.Next();
        w.Expect(kAgreement);
        Stop(w.robot, "agreement", {w.frame});
        w.Next();
        w.Expect(kDestination);
        Stop(w.robot, "destination", {w.frame});
        w.Next();
        w.Expect(kGroup);
        Stop(w.robot, "group", {w.frame});
        w.Next();
        w.Expect(kReady);
        Stop(w.robot, "ready", {w.frame});

        w.Escape();
        HWND box = WaitProgramMessageBox(w.robot, {w.frame});
        Stop(w.robot, "cancel", {w.frame, box});
        w.robot.Click(box, IDNO);
        w.robot.WaitClosed(box);
        w.Expect(kReady);

        // The installing state is left out: the frame does not repaint
        // while the installation holds its thread, so a picture of it shows
        // the buttons as they were.
        w.Next();
        w.Expect(kFinished);
        Stop(w.robot, "finished", {w.frame});
        w.Next();
        w.robot.WaitClosed(w.frame);
    });
    EXPECT_EQ(result, IDOK);
}
