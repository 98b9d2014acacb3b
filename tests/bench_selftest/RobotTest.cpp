// The robot against real dialogs and message boxes of this process: the
// UI runs modally on the test's thread, the robot on a second one.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include "bench/DialogTemplate.h"
#include "bench/Files.h"
#include "bench/Robot.h"

namespace {

using bench::BoxIcon;
using bench::Robot;
using bench::WithRobot;

enum {
    kHidden = 101,
    kDisabled = 102,
    kCheck = 103,
    kEdit = 104,
    kIcon = 105,
    kAsk = 106,
    kAnswer = 107,
    kPlain = 108,
};
const char kCaption[] = "Bench dialog";

// A small dialog: OK (default) and Cancel, a hidden and a disabled button,
// a check box, an edit that gets the focus, a static with an icon, and a
// button that asks a question in a message box and shows the answer.
INT_PTR CALLBACK TestDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dlg, kIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_WARNING)), 0);
        SetFocus(GetDlgItem(dlg, kEdit));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        case kAsk: {
            int r = MessageBoxA(dlg, "Really?", "Question", MB_YESNO | MB_ICONQUESTION);
            SetDlgItemTextA(dlg, kAnswer, r == IDYES ? "yes" : "no");
            return TRUE;
        }
        }
        break;
    }
    return FALSE;
}

INT_PTR RunTestDialog()
{
    using T = bench::DialogTemplate;
    T t(kCaption, 200, 120);
    t.Add(T::kEdit, kEdit, "", WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 5, 5, 120, 12)
        .Add(T::kButton, kCheck, "Check", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 5, 20, 80, 10)
        .Add(T::kButton, kHidden, "Hidden", WS_TABSTOP | BS_PUSHBUTTON, 5, 35, 50, 14)
        .Add(T::kButton, kDisabled, "Disabled", WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_PUSHBUTTON, 60, 35, 50,
             14)
        .Add(T::kButton, kAsk, "Ask", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 115, 35, 50, 14)
        .Add(T::kStatic, kIcon, "", WS_VISIBLE | SS_ICON, 5, 55, 20, 20)
        .Add(T::kStatic, kAnswer, "", WS_VISIBLE | SS_LEFT, 40, 55, 60, 10)
        .Add(T::kStatic, kPlain, "Plain text", WS_VISIBLE | SS_LEFT, 40, 70, 60, 10)
        .Add(T::kButton, IDOK, "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 90, 100, 50, 14)
        .Add(T::kButton, IDCANCEL, "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 145, 100, 50, 14);
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, TestDialogProc, 0);
}

TEST(RobotDialog, ReadsWhatAPersonSees)
{
    INT_PTR result = 0;
    WithRobot(
        [](Robot& r) {
            HWND d = r.WaitWindow(kCaption);
            EXPECT_EQ(r.Text(d), kCaption);
            EXPECT_EQ(r.Text(d, kCheck), "Check");
            EXPECT_EQ(r.Text(d, kPlain), "Plain text");
            EXPECT_FALSE(r.IsVisible(d, kHidden));
            EXPECT_TRUE(r.IsVisible(d, kDisabled));
            EXPECT_FALSE(r.IsEnabled(d, kDisabled));
            EXPECT_TRUE(r.IsEnabled(d, IDOK));
            EXPECT_EQ(r.CheckState(d, kCheck), BST_UNCHECKED);
            EXPECT_EQ(r.FocusId(d), kEdit);
            EXPECT_EQ(r.DefaultId(d), IDOK);
            EXPECT_TRUE(r.ShowsImage(d, kIcon));
            EXPECT_FALSE(r.ShowsImage(d, kPlain));
            EXPECT_FALSE(r.HasControl(d, 999));
            EXPECT_THROW(r.Control(d, 999), bench::Error);
            r.Click(d, IDOK);
            r.WaitClosed(d);
        },
        [&] { result = RunTestDialog(); });
    EXPECT_EQ(result, IDOK);
}

TEST(RobotDialog, ClicksTypesAndMovesTheFocus)
{
    INT_PTR result = 0;
    WithRobot(
        [](Robot& r) {
            HWND d = r.WaitWindow(kCaption);
            r.Click(d, kCheck);
            r.WaitCheck(d, kCheck, BST_CHECKED);
            EXPECT_EQ(r.FocusId(d), kCheck) << "a clicked button takes the focus";
            r.Click(d, kCheck);
            r.WaitCheck(d, kCheck, BST_UNCHECKED);
            r.Type(d, kEdit, "hello world");
            EXPECT_EQ(r.Text(d, kEdit), "hello world");
            r.Type(d, kEdit, "again");
            EXPECT_EQ(r.Text(d, kEdit), "again") << "typing replaces the content";
            r.Click(d, IDCANCEL);
            r.WaitClosed(d);
        },
        [&] { result = RunTestDialog(); });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(RobotDialog, RefusesHiddenAndDisabledButtons)
{
    WithRobot(
        [](Robot& r) {
            HWND d = r.WaitWindow(kCaption);
            try {
                r.Click(d, kHidden);
                ADD_FAILURE() << "clicked a hidden button";
            } catch (const bench::Error& e) {
                EXPECT_NE(std::string(e.what()).find("not visible"), std::string::npos) << e.what();
            }
            try {
                r.Click(d, kDisabled);
                ADD_FAILURE() << "clicked a disabled button";
            } catch (const bench::Error& e) {
                EXPECT_NE(std::string(e.what()).find("disabled"), std::string::npos) << e.what();
            }
            EXPECT_THROW(r.Type(d, kDisabled, "x"), bench::Error);
            r.PressEscape(d);
            r.WaitClosed(d);
        },
        [] { RunTestDialog(); });
}

// Enter and Escape reach the dialog manager of the dialog's modal loop:
// Enter gives the default button's command, also when the focus is on a
// check box; Escape gives IDCANCEL.
TEST(RobotDialog, EnterAndEscapeGoThroughTheDialogManager)
{
    struct Case { const char* name; bool focusCheckBox; UINT key; INT_PTR expected; };
    const Case cases[] = {
        {"Enter in the edit", false, VK_RETURN, IDOK},
        {"Enter on the check box", true, VK_RETURN, IDOK},
        {"Escape", false, VK_ESCAPE, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        INT_PTR result = 0;
        WithRobot(
            [&](Robot& r) {
                HWND d = r.WaitWindow(kCaption);
                r.WaitFocus(d, kEdit);
                if (c.focusCheckBox) {
                    r.Click(d, kCheck);
                    r.WaitFocus(d, kCheck);
                }
                r.PressKey(d, c.key);
                r.WaitClosed(d);
            },
            [&] { result = RunTestDialog(); });
        EXPECT_EQ(result, c.expected);
    }
}

// A click whose handler opens a modal message box does not block the
// robot: it reads and answers the box, and the dialog shows the answer.
TEST(RobotDialog, ClickThatOpensAModalBox)
{
    WithRobot(
        [](Robot& r) {
            HWND d = r.WaitWindow(kCaption);
            r.Click(d, kAsk);
            HWND box = r.WaitMessageBox("Question");
            EXPECT_EQ(r.MessageText(box), "Really?");
            EXPECT_EQ(r.MessageIcon(box), BoxIcon::Question);
            EXPECT_EQ(r.ButtonTexts(box), (std::vector<std::string>{"&Yes", "&No"}));
            EXPECT_THROW(r.Click(d, IDOK), bench::Error) << "the dialog is disabled under its modal box";
            r.ClickAndWaitClosed(box, IDYES);
            r.WaitText(d, kAnswer, "yes");
            r.Click(d, kAsk);
            box = r.WaitMessageBox("Question");
            r.ClickAndWaitClosed(box, IDNO);
            r.WaitText(d, kAnswer, "no");
            r.Click(d, IDOK);
            r.WaitClosed(d);
        },
        [] { RunTestDialog(); });
}

TEST(RobotMessageBox, TellsTheIcon)
{
    struct Case { UINT flags; BoxIcon icon; };
    const Case cases[] = {
        {MB_OK, BoxIcon::None},
        {MB_OK | MB_ICONHAND, BoxIcon::Error},
        {MB_OK | MB_ICONQUESTION, BoxIcon::Question},
        {MB_OK | MB_ICONEXCLAMATION, BoxIcon::Warning},
        {MB_OK | MB_ICONASTERISK, BoxIcon::Information},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(bench::BoxIconName(c.icon));
        int result = 0;
        WithRobot(
            [&](Robot& r) {
                HWND box = r.WaitMessageBox("Icons");
                EXPECT_EQ(r.MessageText(box), "Line one\nLine two");
                EXPECT_EQ(r.MessageIcon(box), c.icon) << bench::BoxIconName(r.MessageIcon(box));
                EXPECT_EQ(r.ButtonTexts(box), std::vector<std::string>{"OK"});
                r.ClickAndWaitClosed(box, IDOK);
            },
            [&] { result = MessageBoxA(nullptr, "Line one\nLine two", "Icons", c.flags); });
        EXPECT_EQ(result, IDOK);
    }
}

TEST(RobotMessageBox, EnterTakesTheDefaultButtonAndEscapeCancels)
{
    struct Case { const char* name; UINT flags; UINT key; int expected; };
    const Case cases[] = {
        {"Enter, first button default", MB_OKCANCEL, VK_RETURN, IDOK},
        {"Enter, second button default", MB_OKCANCEL | MB_DEFBUTTON2, VK_RETURN, IDCANCEL},
        {"Enter on Yes/No with No default", MB_YESNO | MB_DEFBUTTON2, VK_RETURN, IDNO},
        {"Escape", MB_YESNOCANCEL, VK_ESCAPE, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int result = 0;
        WithRobot(
            [&](Robot& r) {
                HWND box = r.WaitMessageBox("Keys");
                r.PressKey(box, c.key);
                r.WaitClosed(box);
            },
            [&] { result = MessageBoxA(nullptr, "Press a key", "Keys", c.flags); });
        EXPECT_EQ(result, c.expected);
    }
}

TEST(RobotFolderBrowser, SelectsAFolderOrCancels)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    bench::ScopedTempDir dir("browse me ");
    bench::MakeDirs(dir / "inner");
    bench::MakeDirs(dir / "preset");
    const std::string preset = dir / "preset";
    auto browse = [&] {
        char name[MAX_PATH] = "";
        BROWSEINFOA bi = {};
        bi.pszDisplayName = name;
        bi.lpszTitle = "Pick one";
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
        std::string result = "(cancelled)";
        if (LPITEMIDLIST pidl = SHBrowseForFolderA(&bi)) {
            char path[MAX_PATH] = "";
            result = SHGetPathFromIDListA(pidl, path) ? path : "(no path)";
            CoTaskMemFree(pidl);
        }
        return result;
    };
    std::string chosen;
    WithRobot(
        [&](Robot& r) {
            HWND b = r.WaitFolderBrowser();
            r.BrowseTo(b, preset);
            EXPECT_EQ(r.BrowserSelection(b), "preset");
            r.BrowseSelect(b, dir / "inner");
        },
        [&] { chosen = browse(); });
    EXPECT_EQ(chosen, dir / "inner");

    WithRobot([&](Robot& r) { r.BrowseCancel(r.WaitFolderBrowser()); }, [&] { chosen = browse(); });
    EXPECT_EQ(chosen, "(cancelled)");

    WithRobot(
        [&](Robot& r) {
            HWND b = r.WaitFolderBrowser();
            EXPECT_THROW(r.BrowseSelect(b, dir / "missing"), bench::Error);
            r.BrowseCancel(b);
        },
        [&] { chosen = browse(); });
    CoUninitialize();
}

// A failing script must not leave the test hanging in the modal UI: the
// robot reports the failure and closes the windows, also a Yes/No box that
// has no Cancel button and a dialog with a box above it.
TEST(RobotFailure, FailedScriptEndsTheUi)
{
    int result = 0;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        WithRobot(
            [](Robot& r) {
                r.WaitMessageBox("Stuck");
                throw bench::Error("the script gives up");
            },
            [&] { result = MessageBoxA(nullptr, "Nobody answers", "Stuck", MB_YESNO); }),
        "the script gives up");
    EXPECT_EQ(result, IDYES) << "closed through its first button";

    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        WithRobot(
            [](Robot& r) {
                HWND d = r.WaitWindow(kCaption);
                r.Click(d, kAsk);
                r.WaitMessageBox("Question");
                r.WaitWindow("No such window", bench::kDialogClass, 200);
            },
            [] { RunTestDialog(); }),
        "No such window");
}

TEST(RobotFailure, ScriptThatLeavesTheUiOpenFails)
{
    int result = 0;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        WithRobot([](Robot& r) { r.WaitMessageBox("Forgotten", bench::DefaultTimeout()); },
                  [&] { result = MessageBoxA(nullptr, "Left open", "Forgotten", MB_OKCANCEL); }, 1000),
        "still open");
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
