// The wizard's test bench: a world for one wizard run (temporary source,
// start and shell folders, the registry values the pages and the
// installation read, the setup state as the setup run leaves it), the
// frame shown modally as the setup run shows it, and a driver that reads
// the frame's state from its real windows through the robot.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bench/Files.h"
#include "bench/Registry.h"
#include "bench/Robot.h"

namespace wiztest {

// Texts of the frame, the ready page and the cancel question, as the
// string table and the templates give them.
extern const char kTemplateCaption[];   // "Pictavo Setup", also the message boxes' caption
extern const char kAgreementCaption[];
extern const char kNext[];
extern const char kFinish[];
extern const char kCancel[];
extern const char kYes[];
extern const char kNo[];
extern const char kBack[];
extern const char kCancelQuestion[];

// One control of the page that a state shows: its id, whether it is
// visible, and its text (null: not compared).
struct PageItem {
    int id;
    bool visible;
    const char* text;
};

// Where the page lies in the frame's client area.
enum class Placement { BesidePicture, TopLeft };

// One row of the frame's state table.
struct Row {
    const char* name;
    bool backVisible;
    bool backEnabled;
    const char* next;
    bool nextEnabled;
    bool nextFocused;
    const char* cancel;
    bool cancelEnabled;
    const char* caption;
    bool picture;
    Placement placement;
    std::vector<PageItem> page;   // controls that identify the page and its state
};

// The row without the focus check: after a click on another button, or
// when a page refused to be left, the focus is where the click put it.
Row Unfocused(const Row& row);

extern const Row kWelcome;
extern const Row kAgreement;
extern const Row kDestination;
extern const Row kGroup;
extern const Row kReady;
extern const Row kInstalling;
extern const Row kFinished;

// The frame as the script sees it.
class Wizard {
public:
    explicit Wizard(bench::Robot& robot);

    bench::Robot& robot;
    HWND frame;

    // The one visible page.
    HWND Page() const { return robot.Page(frame); }

    // Waits until the frame shows the row; throws with the differences
    // when it does not within the robot's deadline.
    void Expect(const Row& row) const;
    // The same while the user-interface thread is busy in the installation
    // run: only what can be read without a message to that thread.
    void ExpectWhileBusy(const Row& row) const;

    // A person's actions on the frame.
    void Next() const { robot.Click(frame, IDOK); }
    void Back() const;
    void Cancel() const { robot.Click(frame, IDCANCEL); }
    void Enter() const { robot.PressEnter(frame); }
    void Escape() const { robot.PressEscape(frame); }
    void CloseBox() const;

    // From the welcome page, Next until the row's state is shown; each
    // state on the way is checked. Only the states up to ready.
    void WalkTo(const Row& row) const;

    // Waits for the cancel question, checks its text, buttons, icon and
    // default button, and answers it (IDYES or IDNO).
    void AnswerCancelQuestion(int answer) const;
    void ConfirmMessage(const std::string& text) const;

private:
    std::string Differences(const Row& row, bool busy) const;
};

// Waits for a message box of the program (caption "Pictavo Setup"), other
// than the windows in except.
HWND WaitProgramMessageBox(const bench::Robot& robot, const std::vector<HWND>& except);
// Waits for a message box of the program with this text, the exclamation
// icon and an OK button alone, and confirms it.
void ConfirmMessage(const bench::Robot& robot, const std::string& text, const std::vector<HWND>& except = {});

// Pauses the installation run inside its real run (see hold_library.c):
// the run stops when it loads the hold library and goes on at Release or
// when this object goes away.
class InstallationHold {
public:
    InstallationHold();
    ~InstallationHold();
    InstallationHold(const InstallationHold&) = delete;
    InstallationHold& operator=(const InstallationHold&) = delete;
    // Waits until the run has stopped in the library; throws after the
    // deadline.
    void WaitPaused(DWORD timeoutMs) const;
    void Release();
private:
    HANDLE entered_;
    HANDLE release_;
};

// One wizard run's surroundings. Construction prepares them, destruction
// puts the registry, the current directory and the environment back.
class WizardWorld {
public:
    WizardWorld();
    ~WizardWorld();
    WizardWorld(const WizardWorld&) = delete;
    WizardWorld& operator=(const WizardWorld&) = delete;

    bench::ScopedTempDir temp{"wizard test"};
    std::string source;      // setup program's folder: manifest and payload
    std::string start;       // the current directory, with agreement.txt
    std::string shell;       // the shell folders
    std::string Programs() const { return shell + "\\Programs"; }
    std::string CommonPrograms() const { return shell + "\\Common Programs"; }
    std::string Desktop() const { return shell + "\\Desktop"; }
    std::string CommonDesktop() const { return shell + "\\Common Desktop"; }
    // The start-up folders' last components are "StartUp" and
    // "Common Autostart", so that the program group page refuses those.
    std::string Startup() const { return shell + "\\StartUp"; }
    std::string CommonStartup() const { return shell + "\\Common Autostart"; }
    // The default destination the setup state starts with (not created).
    std::string DefaultInstallDir() const { return temp / "Programs Folder\\Pictavo 6"; }

    void WriteAgreement(const std::string& bytes) const;

    // Shows CSetupDlg modally on this thread as the setup run does (no
    // parent, the application's main window) while script drives it on a
    // second thread; returns DoModal's result.
    INT_PTR Run(const std::function<void(Wizard&)>& script);

private:
    std::vector<std::unique_ptr<bench::ScopedRegValue>> values_;
    std::vector<std::unique_ptr<bench::ScopedRegKeyRemoved>> keys_;
    std::string oldDir_;
    std::string oldSfx_;
    bool hadSfx_ = false;
};

// The shell folder values of the installation and of the program group
// page.
extern const char kShellFoldersKey[];

// GoogleTest fixture with a fresh world per test.
class WizardTest : public ::testing::Test {
protected:
    std::unique_ptr<WizardWorld> world;
    void SetUp() override;
    void TearDown() override { world.reset(); }
    INT_PTR Run(const std::function<void(Wizard&)>& script) { return world->Run(script); }
};

}  // namespace wiztest
