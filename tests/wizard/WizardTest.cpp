#include "wizard/WizardTest.h"

#include <algorithm>
#include <sstream>

#include "app/SetupState.h"
#include "framework/App.h"
#include "res/resource.h"
#include "wizard/SetupDlg.h"

namespace wiztest {

const char kTemplateCaption[] = "Pictavo Setup";
const char kAgreementCaption[] = "Please accept the License Agreement";
const char kNext[] = "&Next >";
const char kFinish[] = "&Finish >";
const char kCancel[] = "Cancel";
const char kYes[] = "Yes";
const char kNo[] = "No";
const char kBack[] = "< &Back";
const char kCancelQuestion[] = "Do you really want to cancel Pictavo setup?";
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

namespace {

const char kReadyText[] = "You are now ready to install Pictavo.";
const char kReadyHint[] =
    "Press the Next button to begin the installation or the Back button to change your selections.";
const char kInstallingText[] = "Installing Pictavo, please wait...";
const char kRunAfterText[] = "Run Pictavo";
const char kInstalledText[] = "Pictavo 6 has been successfully installed.";
const char kPressFinish[] = "Press the Finish button to exit this installation.";

// A window's text as the window manager keeps it, without a message to
// the window's thread (which may be busy).
std::string StoredText(HWND w)
{
    WCHAR wide[1024] = L"";
    int n = InternalGetWindowText(w, wide, 1024);
    char text[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, n, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

std::string ClassOf(HWND w)
{
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

RECT RectInClient(HWND w, HWND parent)
{
    RECT rc;
    GetWindowRect(w, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

const char* YesNo(bool b) { return b ? "yes" : "no"; }

}  // namespace

// The state table of the wizard frame. The page items name the controls
// that tell the pages apart (the version line, the agreement's text box,
// Browse, the auto-start box, the ready page's statics).
const Row kWelcome{"welcome", false, true, kNext, true, true, kCancel, true, kTemplateCaption, true,
                   Placement::BesidePicture, {{IDC_VERSION, true, nullptr}}};
const Row kAgreement{"agreement", true, true, kYes, true, false, kNo, true, kAgreementCaption, false,
                     Placement::TopLeft, {{IDC_AGREEMENT_TEXT, true, nullptr}}};
const Row kDestination{"destination", true, true, kNext, true, true, kCancel, true, kTemplateCaption, true,
                       Placement::BesidePicture, {{IDC_BROWSE, true, nullptr}, {IDC_FOLDER, true, nullptr}}};
const Row kGroup{"program group", true, true, kNext, true, true, kCancel, true, kTemplateCaption, true,
                 Placement::BesidePicture, {{IDC_AUTOSTART, true, nullptr}, {IDC_GROUP, true, nullptr}}};
const Row kReady{"ready", true, true, kNext, true, true, kCancel, true, kTemplateCaption, true,
                 Placement::BesidePicture,
                 {{IDC_READY_TEXT, true, kReadyText},
                  {IDC_READY_HINT, true, kReadyHint},
                  {IDC_INSTALLING, false, nullptr},
                  {IDC_RUN_AFTER, false, nullptr}}};
const Row kInstalling{"installing", true, false, kNext, false, false, kCancel, false, kTemplateCaption, true,
                      Placement::BesidePicture,
                      {{IDC_READY_TEXT, false, nullptr},
                       {IDC_READY_HINT, false, nullptr},
                       {IDC_INSTALLING, true, kInstallingText},
                       {IDC_RUN_AFTER, false, nullptr}}};
const Row kFinished{"finished", true, false, kFinish, true, true, kCancel, false, kTemplateCaption, true,
                    Placement::BesidePicture,
                    {{IDC_READY_TEXT, true, kInstalledText},
                     {IDC_READY_HINT, true, kPressFinish},
                     {IDC_INSTALLING, false, nullptr},
                     {IDC_RUN_AFTER, true, kRunAfterText}}};

Row Unfocused(const Row& row)
{
    Row r = row;
    r.nextFocused = false;
    return r;
}

// --- Wizard ------------------------------------------------------------------

Wizard::Wizard(bench::Robot& r) : robot(r), frame(r.WaitWindow(kTemplateCaption)) {}

void Wizard::Back() const { robot.Click(frame, IDC_BACK); }

void Wizard::CloseBox() const
{
    // What the close box of the caption sends.
    PostMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string Wizard::Differences(const Row& row, bool busy) const
{
    std::ostringstream d;
    auto text = [&](HWND w) { return busy ? StoredText(w) : robot.Text(w); };

    if (text(frame) != row.caption)
        d << "caption \"" << text(frame) << "\"; ";
    HWND back = GetDlgItem(frame, IDC_BACK);
    HWND next = GetDlgItem(frame, IDOK);
    HWND cancel = GetDlgItem(frame, IDCANCEL);
    HWND picture = GetDlgItem(frame, IDC_PICTURE);
    if (!back || !next || !cancel || !picture)
        return "the frame lacks one of its buttons or its picture";
    if (text(back) != kBack)
        d << "Back reads \"" << text(back) << "\"; ";
    if (!!IsWindowVisible(back) != row.backVisible)
        d << "Back visible: " << YesNo(IsWindowVisible(back)) << "; ";
    if (!!IsWindowEnabled(back) != row.backEnabled)
        d << "Back enabled: " << YesNo(IsWindowEnabled(back)) << "; ";
    if (text(next) != row.next)
        d << "Next reads \"" << text(next) << "\"; ";
    if (!!IsWindowEnabled(next) != row.nextEnabled)
        d << "Next enabled: " << YesNo(IsWindowEnabled(next)) << "; ";
    if (row.nextFocused && robot.FocusId(frame) != IDOK)
        d << "focus on control " << robot.FocusId(frame) << ", not Next; ";
    if (text(cancel) != row.cancel)
        d << "Cancel reads \"" << text(cancel) << "\"; ";
    if (!!IsWindowEnabled(cancel) != row.cancelEnabled)
        d << "Cancel enabled: " << YesNo(IsWindowEnabled(cancel)) << "; ";
    if (!!IsWindowVisible(picture) != row.picture)
        d << "picture visible: " << YesNo(IsWindowVisible(picture)) << "; ";
    if (!busy && row.picture && !robot.ShowsImage(frame, IDC_PICTURE))
        d << "the picture shows no bitmap; ";

    std::vector<HWND> pages;
    for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c) && ClassOf(c) == bench::kDialogClass)
            pages.push_back(c);
    if (pages.size() != 1) {
        d << pages.size() << " pages shown; ";
        return d.str();
    }
    HWND page = pages[0];
    RECT rp = RectInClient(page, frame);
    RECT rs = RectInClient(picture, frame);
    if (row.placement == Placement::BesidePicture) {
        if (rp.left != rs.right + 4 || rp.top != rs.top)
            d << "page at " << rp.left << "," << rp.top << ", not 4 pixels right of the picture (" << rs.right
              << "," << rs.top << "); ";
    } else if (rp.left != 4 || rp.top != 4) {
        d << "page at " << rp.left << "," << rp.top << ", not 4,4; ";
    }
    for (const PageItem& item : row.page) {
        HWND c = GetDlgItem(page, item.id);
        if (!c) {
            d << "the page has no control " << item.id << "; ";
            continue;
        }
        if (!!IsWindowVisible(c) != item.visible)
            d << "control " << item.id << " visible: " << YesNo(IsWindowVisible(c)) << "; ";
        if (item.text && text(c) != item.text)
            d << "control " << item.id << " reads \"" << text(c) << "\"; ";
    }
    return d.str();
}

namespace {

void ExpectRow(const bench::Robot& robot, const Row& row, const std::function<std::string()>& differences)
{
    std::string last;
    bool ok = bench::PollUntil(
        [&] {
            try {
                last = differences();
            } catch (const bench::Error& e) {
                last = e.what();   // a window went away during a change of page
            }
            return last.empty();
        },
        robot.Timeout());
    if (!ok)
        throw bench::Error(std::string("the wizard does not show the ") + row.name + " state: " + last);
}

}  // namespace

void Wizard::Expect(const Row& row) const
{
    ExpectRow(robot, row, [&] { return Differences(row, false); });
}

void Wizard::ExpectWhileBusy(const Row& row) const
{
    ExpectRow(robot, row, [&] { return Differences(row, true); });
}

void Wizard::WalkTo(const Row& row) const
{
    const Row* order[] = {&kWelcome, &kAgreement, &kDestination, &kGroup, &kReady};
    Expect(kWelcome);
    for (size_t i = 0; i < sizeof order / sizeof order[0]; ++i) {
        if (order[i] == &row)
            return;
        if (i + 1 == sizeof order / sizeof order[0])
            break;
        Next();
        Expect(*order[i + 1]);
    }
    throw bench::Error(std::string("WalkTo cannot reach the ") + row.name + " state");
}

HWND WaitProgramMessageBox(const bench::Robot& robot, const std::vector<HWND>& except)
{
    // A message box is a dialog with a text static of id 0xFFFF; the
    // frame's separator has that id too (IDC_STATIC), so it is left out.
    HWND box = nullptr;
    robot.Wait(
        [&] {
            for (HWND w : robot.Windows(bench::kDialogClass)) {
                if (std::find(except.begin(), except.end(), w) != except.end() ||
                    !robot.HasControl(w, bench::kMessageTextId) || robot.Text(w) != kTemplateCaption)
                    continue;
                box = w;
                return true;
            }
            return false;
        },
        "a message box of the program");
    return box;
}

void Wizard::AnswerCancelQuestion(int answer) const
{
    HWND box = WaitProgramMessageBox(robot, {frame});
    std::ostringstream d;
    if (robot.MessageText(box) != kCancelQuestion)
        d << "text \"" << robot.MessageText(box) << "\"; ";
    std::vector<std::string> buttons = robot.ButtonTexts(box);
    if (buttons != std::vector<std::string>{"&Yes", "&No"})
        d << buttons.size() << " buttons, not Yes and No; ";
    if (robot.MessageIcon(box) != bench::BoxIcon::Question)
        d << "icon " << bench::BoxIconName(robot.MessageIcon(box)) << "; ";
    // The default button is the one with the focus, which Enter presses.
    if (robot.FocusId(box) != IDNO)
        d << "focus on button " << robot.FocusId(box) << ", not No; ";
    if (!d.str().empty())
        throw bench::Error("the cancel question is not as it should be: " + d.str());
    robot.Click(box, answer);
    robot.WaitClosed(box);
}

void Wizard::ConfirmMessage(const std::string& text) const { wiztest::ConfirmMessage(robot, text, {frame}); }

void ConfirmMessage(const bench::Robot& robot, const std::string& text, const std::vector<HWND>& except)
{
    HWND box = WaitProgramMessageBox(robot, except);
    std::ostringstream d;
    if (robot.MessageText(box) != text)
        d << "text \"" << robot.MessageText(box) << "\"; ";
    if (robot.MessageIcon(box) != bench::BoxIcon::Warning)
        d << "icon " << bench::BoxIconName(robot.MessageIcon(box)) << "; ";
    if (robot.ButtonTexts(box) != std::vector<std::string>{"OK"})
        d << "buttons are not OK alone; ";
    if (!d.str().empty())
        throw bench::Error("message box \"" + text + "\" is not as it should be: " + d.str());
    robot.Click(box, IDOK);
    robot.WaitClosed(box);
}

// --- InstallationHold -----------------------------------------------------------

InstallationHold::InstallationHold()
{
    std::string pid = std::to_string(GetCurrentProcessId());
    entered_ = CreateEventA(nullptr, TRUE, FALSE, ("WizardTestHold.Entered." + pid).c_str());
    release_ = CreateEventA(nullptr, TRUE, FALSE, ("WizardTestHold.Release." + pid).c_str());
    if (!entered_ || !release_)
        bench::ThrowLastError("creating the events of the installation hold");
}

InstallationHold::~InstallationHold()
{
    Release();
    CloseHandle(entered_);
    CloseHandle(release_);
}

void InstallationHold::WaitPaused(DWORD timeoutMs) const
{
    if (WaitForSingleObject(entered_, timeoutMs) != WAIT_OBJECT_0)
        throw bench::Error("the installation run did not reach the hold library");
}

void InstallationHold::Release() { SetEvent(release_); }

// --- WizardWorld --------------------------------------------------------------

WizardWorld::WizardWorld()
{
    source = temp / "Source";
    start = temp / "Start";
    shell = temp / "Shell";
    bench::MakeDirs(source);
    bench::MakeDirs(start);
    // The default destination's parent exists, as the program-files folder
    // does; the destination itself does not.
    bench::MakeDirs(temp / "Programs Folder");

    // The package: the manifest and a small payload. The hold library
    // record lets a test pause the run (the system finds the library
    // beside the test programs, so the record installs nothing).
    bench::WriteFile(source + "\\PtvUnInst.log",
                     "Make Dir: Help\r\n"
                     "File Copy: Pictavo6.exe\r\n"
                     "File Copy: readme.txt\r\n"
                     "File Copy: Help\\*.chm\r\n"
                     "File Copy ind: wizard_hold.dll\r\n");
    bench::WriteFile(source + "\\Pictavo6.exe", "the product\r\n");
    bench::WriteFile(source + "\\readme.txt", "read me\r\n");
    bench::MakeDirs(source + "\\Help");
    bench::WriteFile(source + "\\Help\\Pictavo6Man.chm", "help\r\n");
    bench::WriteFile(source + "\\wizard_hold.dll", "the package's copy of the library\r\n");

    struct ShellValue {
        HKEY root;
        const char* name;
        std::string path;
    };
    const ShellValue shellValues[] = {
        {HKEY_CURRENT_USER, "Programs", Programs()},
        {HKEY_CURRENT_USER, "Desktop", Desktop()},
        {HKEY_CURRENT_USER, "Startup", Startup()},
        {HKEY_LOCAL_MACHINE, "Common Programs", CommonPrograms()},
        {HKEY_LOCAL_MACHINE, "Common Desktop", CommonDesktop()},
        {HKEY_LOCAL_MACHINE, "Common Startup", CommonStartup()},
    };
    for (const ShellValue& v : shellValues) {
        bench::MakeDirs(v.path);
        values_.push_back(std::make_unique<bench::ScopedRegValue>(v.root, kShellFoldersKey, v.name, v.path));
    }
    // What the installation writes, put back afterwards.
    for (const char* key : {"SOFTWARE\\Quorvane\\Pictavo 6",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo 6"})
        keys_.push_back(std::make_unique<bench::ScopedRegKeyRemoved>(HKEY_LOCAL_MACHINE, key));

    // Started from a package that set no "sfxname": nothing to take over.
    char sfx[MAX_PATH] = "";
    hadSfx_ = GetEnvironmentVariableA("sfxname", sfx, MAX_PATH) > 0;
    oldSfx_ = sfx;
    SetEnvironmentVariableA("sfxname", nullptr);

    WriteAgreement("END-USER LICENSE AGREEMENT\r\n\r\nPictavo 6 may be used on one computer.\r\n");
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, dir);
    oldDir_ = dir;
    SetCurrentDirectoryA(start.c_str());

    // The framework's start-up without InitInstance: the application
    // title, which is the caption of every message box.
    AfxWinInit(GetModuleHandleA(nullptr));

    // The setup state as the setup run leaves it for a first installation.
    g_strSourceDir = source.c_str();
    g_strInstallDir = DefaultInstallDir().c_str();
    g_strGroupName = "Pictavo 6";
    g_bSilent = 0;
    g_bFreshInstall = 1;
    g_bUpgrade = 0;
    g_bAllUsers = 0;
    g_bDesktopIcon = 1;
    g_bAutoStart = 0;
    g_bRunAfter = 0;
    g_nVerMajor = 6;
    g_nVerMinor = 1;
    g_nVerRelease = 2;
    g_nVerBuild = 0;
    g_strNextCaption.Empty();
    g_strCancelCaption.Empty();
}

WizardWorld::~WizardWorld()
{
    SetCurrentDirectoryA(oldDir_.c_str());
    SetEnvironmentVariableA("sfxname", hadSfx_ ? oldSfx_.c_str() : nullptr);
}

void WizardWorld::WriteAgreement(const std::string& bytes) const { bench::WriteFile(start + "\\agreement.txt", bytes); }

INT_PTR WizardWorld::Run(const std::function<void(Wizard&)>& script)
{
    CWinApp* app = AfxGetApp();
    if (!app) {
        ADD_FAILURE() << "the program's application object is missing";
        return -2;
    }
    INT_PTR result = -2;
    bench::WithRobot(
        [&](bench::Robot& robot) {
            Wizard wizard(robot);
            script(wizard);
        },
        [&] {
            CSetupDlg dlg;
            app->m_pMainWnd = &dlg;
            result = dlg.DoModal();
            app->m_pMainWnd = nullptr;
        });
    return result;
}

void WizardTest::SetUp() { world = std::make_unique<WizardWorld>(); }

}  // namespace wiztest
