// The pages on real windows: the welcome page's version line, the
// agreement file, the destination page with the shell's folder browser
// operated by the robot on real folders, and the program group page's
// checks.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <thread>

#include "app/SetupState.h"
#include "bench/Files.h"
#include "bench/Registry.h"
#include "res/resource.h"
#include "wizard/FolderDlg.h"
#include "wizard/WizardTest.h"

using namespace wiztest;

namespace {

const char kHint[] = "To install into a different folder, Click Browse, and select another one.";
const char kPreviousCopyNote[] =
    "This folder already contains a previous copy of Pictavo 6. To upgrade or re-install that copy, please "
    "do not change the destination folder.";
const char kOldVersionFolder[] =
    "Pictavo ver. 6 can not be installed into the same folder where the old version 4 or 5 is installed. "
    "Please select a different folder.";
const char kInvalidFolder[] =
    "You have entered and invalid folder name. Please correct.\nIf you want to create a new folder, select "
    "its parent folder in the list and click \"Make New Foilder\" button.";
const char kGroupTooShort[] = "Error: Please enter a valid group name, minimum 3 letters";
const char kGroupIsStartup[] = "Error: Can not install shortcuts into this group, please select a different name.";

// Ends the wizard from any state where Cancel is enabled.
void CancelWizard(const Wizard& w)
{
    w.Escape();
    w.AnswerCancelQuestion(IDYES);
    w.robot.WaitClosed(w.frame);
}

// Wine's folder browser often does not find a folder that no shell call
// has parsed yet when the program asks it to select that folder at
// BFFM_INITIALIZED (see tests/bench/README.md); after a parse of the path,
// from any thread, it found it in every run (measured). The parse runs on
// a thread of its own, so that COM on the wizard's thread stays as the
// program leaves it.
void LetTheShellKnow(const std::string& folder)
{
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WCHAR wide[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH);
        PIDLIST_ABSOLUTE pidl = nullptr;
        if (SUCCEEDED(SHParseDisplayName(wide, nullptr, &pidl, 0, nullptr)))
            CoTaskMemFree(pidl);
        CoUninitialize();
    }).join();
}

// Browse, then the robot picks the folder in the shell's browser and
// clicks OK.
void BrowseTo(const Wizard& w, const std::string& folder)
{
    w.robot.Click(w.Page(), IDC_BROWSE);
    w.robot.BrowseSelect(w.robot.WaitFolderBrowser(), folder);
}

LRESULT Ask(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(w, msg, wp, lp, SMTO_NORMAL, bench::DefaultTimeout(), &result))
        throw bench::Error("no answer to message " + std::to_string(msg));
    return static_cast<LRESULT>(result);
}

std::string Name(const char* s)
{
    return s;
}

}  // namespace

// --- Welcome page ------------------------------------------------------------

struct VersionCase {
    const char* name;
    int major, minor, release, build;
    const char* firstLine;
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.name; }

class WelcomePage : public WizardTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(WelcomePage, ShowsTheVersionLineAndLeadsOn)
{
    const VersionCase& c = GetParam();
    g_nVerMajor = c.major;
    g_nVerMinor = c.minor;
    g_nVerRelease = c.release;
    g_nVerBuild = c.build;
    std::string text;
    INT_PTR result = Run([&](Wizard& w) {
        w.Expect(kWelcome);
        text = w.robot.Text(w.Page(), IDC_VERSION);
        w.Next();
        w.Expect(kAgreement);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    size_t eol = text.find('\n');
    ASSERT_NE(eol, std::string::npos) << text;
    EXPECT_EQ(text.substr(0, eol), c.firstLine);
    // The copyright lines after it are the template's, untouched.
    EXPECT_EQ(text.compare(eol + 1, 9, "Copyright"), 0) << text;
    EXPECT_EQ(text.find('%'), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Wizard, WelcomePage,
    ::testing::Values(VersionCase{"Release", 6, 1, 2, 0, "Pictavo ver. 6.01.02 "},
                      VersionCase{"Beta", 6, 0, 5, 3, "Pictavo ver. 6.00.05 Beta 3"},
                      VersionCase{"NoVersionResource", 0, 0, 0, 0, "Pictavo ver. 0.00.00 "},
                      VersionCase{"WideNumbers", 12, 100, 2345, 65535, "Pictavo ver. 12.100.2345 Beta 65535"}),
    [](const ::testing::TestParamInfo<VersionCase>& i) { return Name(i.param.name); });

// --- Agreement page ------------------------------------------------------------

struct AgreementCase {
    const char* name;
    bool present;
    std::string bytes;
};

void PrintTo(const AgreementCase& c, std::ostream* os) { *os << c.name; }

std::string LongAgreement()
{
    std::string s;
    for (int i = 1; i <= 400; ++i)
        s += "Clause " + std::to_string(i) + ". The licensee shall read every clause.\r\n";
    return s;
}

class AgreementPage : public WizardTest, public ::testing::WithParamInterface<AgreementCase> {};

TEST_P(AgreementPage, ShowsTheFileFromItsStartWithNothingSelected)
{
    const AgreementCase& c = GetParam();
    if (c.present)
        world->WriteAgreement(c.bytes);
    else
        DeleteFileA((world->start + "\\agreement.txt").c_str());
    std::string shown;
    DWORD selStart = 1, selEnd = 0;
    LRESULT firstLine = -1;
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kAgreement);
        HWND edit = w.robot.Control(w.Page(), IDC_AGREEMENT_TEXT);
        shown = w.robot.Text(edit);
        Ask(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
        firstLine = Ask(edit, EM_GETFIRSTVISIBLELINE);
        // Yes still leads on, whatever the file held.
        w.Next();
        w.Expect(kDestination);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(shown, c.present ? c.bytes : std::string());
    EXPECT_EQ(selStart, selEnd) << "text is selected";
    EXPECT_EQ(firstLine, 0);
}

INSTANTIATE_TEST_SUITE_P(Wizard, AgreementPage,
    ::testing::Values(AgreementCase{"Empty", true, ""},
                      AgreementCase{"Missing", false, ""},
                      AgreementCase{"Long", true, LongAgreement()},
                      // Bytes as they stand: line feeds alone, a tab, an ANSI
                      // letter of the system code page.
                      AgreementCase{"BytesUnchanged", true, "Caf\xE9 terms\n\tindented\nlast line without end"}),
    [](const ::testing::TestParamInfo<AgreementCase>& i) { return Name(i.param.name); });

TEST_F(WizardTest, AgreementIsReadAgainWhenThePageIsShownAgain)
{
    world->WriteAgreement("First text\r\n");
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kAgreement);
        EXPECT_EQ(w.robot.Text(w.Page(), IDC_AGREEMENT_TEXT), "First text\r\n");
        w.Back();
        w.Expect(kWelcome);
        world->WriteAgreement("Second text\r\n");
        w.Next();
        w.Expect(kAgreement);
        EXPECT_EQ(w.robot.Text(w.Page(), IDC_AGREEMENT_TEXT), "Second text\r\n");
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// --- Destination page ----------------------------------------------------------

enum class Outcome { Folder, Subfolder, Refused };

struct BrowseCase {
    const char* name;
    std::vector<std::string> files;     // created in the chosen folder
    std::vector<std::string> folders;   // the same, as folders
    bool hidden;                        // the files are hidden
    int freshInstall;
    Outcome outcome;
    bool note;                          // the previous-copy note replaces the hint
};

void PrintTo(const BrowseCase& c, std::ostream* os) { *os << c.name; }

class DestinationBrowse : public WizardTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(DestinationBrowse, ChosenFolderIsCheckedBeforeItIsTaken)
{
    const BrowseCase& c = GetParam();
    const std::string chosen = world->temp / "Chosen Folder";
    bench::MakeDirs(chosen);
    for (const std::string& f : c.files) {
        bench::WriteFile(chosen + "\\" + f, "x");
        if (c.hidden)
            SetFileAttributesA((chosen + "\\" + f).c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    for (const std::string& f : c.folders)
        bench::MakeDirs(chosen + "\\" + f);
    g_bFreshInstall = c.freshInstall;
    const std::string before = world->DefaultInstallDir();
    const std::string expected = c.outcome == Outcome::Folder      ? chosen
                                 : c.outcome == Outcome::Subfolder ? chosen + "\\Pictavo 6"
                                                                   : before;
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kDestination);
        BrowseTo(w, chosen);
        if (c.outcome == Outcome::Refused)
            w.ConfirmMessage(kOldVersionFolder);
        HWND page = w.Page();
        w.robot.WaitText(page, IDC_FOLDER, expected);
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER_HINT), c.note ? kPreviousCopyNote : kHint);
        // An empty chosen folder is removed at once; the destination that
        // Browse made for the browser is gone again.
        EXPECT_EQ(bench::Exists(chosen), !c.files.empty() || !c.folders.empty());
        EXPECT_FALSE(bench::Exists(before));
        w.Next();
        w.Expect(kGroup);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strInstallDir), expected);
}

INSTANTIATE_TEST_SUITE_P(Wizard, DestinationBrowse,
    ::testing::Values(
        BrowseCase{"OtherFilesGetTheSubfolder", {"notes.txt", "photo.jpg"}, {}, false, 1, Outcome::Subfolder, false},
        BrowseCase{"HiddenFileCounts", {"desktop.ini"}, {}, true, 1, Outcome::Subfolder, false},
        BrowseCase{"SubfolderCounts", {}, {"Albums"}, false, 1, Outcome::Subfolder, false},
        BrowseCase{"EmptyFolderIsTakenAndRemoved", {}, {}, false, 1, Outcome::Folder, false},
        BrowseCase{"PreviousCopyAfterEarlierInstallation", {"Pictavo6.exe", "data.bin"}, {}, false, 0,
                   Outcome::Folder, true},
        BrowseCase{"PreviousCopyOnFreshInstallation", {"Pictavo6.exe"}, {}, false, 1, Outcome::Folder, false},
        BrowseCase{"FolderNamedLikeTheProduct", {}, {"Pictavo6.exe"}, false, 0, Outcome::Folder, true},
        BrowseCase{"Version4IsRefused", {"Pictavo.exe"}, {}, false, 1, Outcome::Refused, false},
        BrowseCase{"Version5IsRefused", {"Pictavo5.exe"}, {}, false, 0, Outcome::Refused, false},
        BrowseCase{"OldVersionTestComesFirst", {"Pictavo5.exe", "Pictavo6.exe"}, {}, false, 0, Outcome::Refused,
                   false}),
    [](const ::testing::TestParamInfo<BrowseCase>& i) { return Name(i.param.name); });


// Browse makes the destination for the browser to open on; cancelling the
// browser changes nothing and leaves behind no folder that was not there.
struct CancelBrowseCase {
    const char* name;
    bool destinationExists;
};

void PrintTo(const CancelBrowseCase& c, std::ostream* os) { *os << c.name; }

class DestinationCancelBrowse : public WizardTest, public ::testing::WithParamInterface<CancelBrowseCase> {};

TEST_P(DestinationCancelBrowse, BrowserOpensOnTheDestinationAndCancelChangesNothing)
{
    const std::string dest = world->DefaultInstallDir();
    const bool exists = GetParam().destinationExists;
    if (exists) {
        bench::MakeDirs(dest);
        bench::WriteFile(dest + "\\Pictavo6.exe", "x");
        LetTheShellKnow(dest);
    }
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kDestination);
        w.robot.Click(w.Page(), IDC_BROWSE);
        HWND browser = w.robot.WaitFolderBrowser();
        EXPECT_TRUE(bench::IsDirectory(dest)) << "no destination folder while the browser is open";
        // A folder made just now is one that Wine's browser cannot select
        // at once (see LetTheShellKnow).
        if (exists)
            w.robot.Wait([&] { return w.robot.BrowserSelection(browser) == "Pictavo 6"; },
                         "the browser to select the destination \"" + dest + "\"");
        w.robot.BrowseCancel(browser);
        HWND page = w.Page();
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER), dest);
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER_HINT), kHint);
        EXPECT_EQ(bench::Exists(dest), exists);
        CancelWizard(w);
    });
    // The new-style browser ran in a single-threaded apartment on this
    // thread: initialising it that way again is a no-op.
    HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(apartment))
        CoUninitialize();
    EXPECT_EQ(apartment, S_FALSE);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strInstallDir), dest);
    EXPECT_EQ(bench::Exists(dest), exists);
    if (exists)
        EXPECT_TRUE(bench::IsFile(dest + "\\Pictavo6.exe"));
}

INSTANTIATE_TEST_SUITE_P(Wizard, DestinationCancelBrowse,
    ::testing::Values(CancelBrowseCase{"DestinationMissing", false}, CancelBrowseCase{"DestinationHoldsFiles", true}),
    [](const ::testing::TestParamInfo<CancelBrowseCase>& i) { return Name(i.param.name); });

// The note follows the destination, after an earlier installation was
// found: a previous copy shows it, a folder without one the hint again.
TEST_F(WizardTest, NoteFollowsTheDestination)
{
    const std::string copy = world->temp / "Earlier Copy";
    const std::string other = world->temp / "Other Things";
    bench::MakeDirs(copy);
    bench::WriteFile(copy + "\\Pictavo6.exe", "x");
    bench::MakeDirs(other);
    bench::WriteFile(other + "\\notes.txt", "x");
    g_bFreshInstall = 0;
    g_strInstallDir = copy.c_str();
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kDestination);
        HWND page = w.Page();
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER), copy);
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER_HINT), kPreviousCopyNote);
        BrowseTo(w, other);
        w.robot.WaitText(page, IDC_FOLDER, other + "\\Pictavo 6");
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER_HINT), kHint);
        BrowseTo(w, copy);
        w.robot.WaitText(page, IDC_FOLDER, copy);
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER_HINT), kPreviousCopyNote);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    // Folders with content survive the browse.
    EXPECT_TRUE(bench::IsFile(copy + "\\Pictavo6.exe"));
    EXPECT_TRUE(bench::IsFile(other + "\\notes.txt"));
}

// A drive root is joined without a second backslash.
TEST_F(WizardTest, DriveRootGetsTheSubfolderWithOneBackslash)
{
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kDestination);
        BrowseTo(w, "C:\\");
        w.robot.WaitText(w.Page(), IDC_FOLDER, "C:\\Pictavo 6");
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strInstallDir), "C:\\Pictavo 6");
}

TEST_F(WizardTest, DriveRootWithPreviousCopyIsTakenAsItIs)
{
    const std::string product = "C:\\Pictavo6.exe";
    ASSERT_FALSE(bench::Exists(product)) << "the test prefix already holds " << product;
    bench::WriteFile(product, "x");
    struct Remove {
        std::string path;
        ~Remove() { DeleteFileA(path.c_str()); }
    } remove{product};
    g_bFreshInstall = 0;
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kDestination);
        BrowseTo(w, "C:\\");
        HWND page = w.Page();
        w.robot.WaitText(page, IDC_FOLDER, "C:\\");
        EXPECT_EQ(w.robot.Text(page, IDC_FOLDER_HINT), kPreviousCopyNote);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strInstallDir), "C:\\");
}

// The install type: the radio buttons show g_bAllUsers; switching them
// changes neither the folder nor the note; the choice is stored when the
// page is left, by Next or by Back.
struct InstallTypeCase {
    const char* name;
    int allUsersBefore;
    int click;   // the radio button the user clicks, 0 for none
    bool byBack;
    int allUsersAfter;
};

void PrintTo(const InstallTypeCase& c, std::ostream* os) { *os << c.name; }

class DestinationInstallType : public WizardTest, public ::testing::WithParamInterface<InstallTypeCase> {};

TEST_P(DestinationInstallType, ChoiceIsStoredWhenThePageIsLeft)
{
    const InstallTypeCase& c = GetParam();
    g_bAllUsers = c.allUsersBefore;
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kDestination);
        HWND page = w.Page();
        EXPECT_EQ(w.robot.CheckState(page, IDC_CURRENT_USER), c.allUsersBefore ? BST_UNCHECKED : BST_CHECKED);
        EXPECT_EQ(w.robot.CheckState(page, IDC_ALL_USERS), c.allUsersBefore ? BST_CHECKED : BST_UNCHECKED);
        const std::string folder = w.robot.Text(page, IDC_FOLDER);
        const std::string note = w.robot.Text(page, IDC_FOLDER_HINT);
        if (c.click) {
            w.robot.Click(page, c.click);
            w.robot.WaitCheck(page, c.click, BST_CHECKED);
            EXPECT_EQ(w.robot.Text(page, IDC_FOLDER), folder);
            EXPECT_EQ(w.robot.Text(page, IDC_FOLDER_HINT), note);
        }
        if (c.byBack) {
            w.Back();
            w.Expect(kAgreement);
        } else {
            w.Next();
            w.Expect(kGroup);
        }
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(g_bAllUsers, c.allUsersAfter);
}

INSTANTIATE_TEST_SUITE_P(Wizard, DestinationInstallType,
    ::testing::Values(InstallTypeCase{"AllUsersByNext", 0, IDC_ALL_USERS, false, 1},
                      InstallTypeCase{"AllUsersByBack", 0, IDC_ALL_USERS, true, 1},
                      InstallTypeCase{"CurrentUserByBack", 1, IDC_CURRENT_USER, true, 0},
                      InstallTypeCase{"PresetKeptByNext", 1, 0, false, 1}),
    [](const ::testing::TestParamInfo<InstallTypeCase>& i) { return Name(i.param.name); });

// Wine's browser does not validate a typed path (it returns the selected
// folder), so its callback is called here as the browser calls it when
// validation fails: the message, and 1 to keep the browser open.
TEST_F(WizardTest, BrowserCallbackRefusesAFolderThatDoesNotValidate)
{
    int answer = -1;
    char typed[] = "Q:\\no such folder";
    bench::WithRobot([&](bench::Robot& robot) { ConfirmMessage(robot, kInvalidFolder); },
                     [&] {
                         answer = CFolderDlg::BrowseCallbackProc(nullptr, BFFM_VALIDATEFAILEDA,
                                                                 reinterpret_cast<LPARAM>(typed), 0);
                     });
    EXPECT_EQ(answer, 1);
}

// --- Program group page ---------------------------------------------------------

struct GroupNameCase {
    const char* name;
    const char* typed;    // as the robot types it ("\b" deletes the selection)
    const char* shown;    // the edit box's text afterwards
    const char* stored;   // null: the page refuses the name
    const char* message;
};

void PrintTo(const GroupNameCase& c, std::ostream* os) { *os << c.name; }

class GroupName : public WizardTest, public ::testing::WithParamInterface<GroupNameCase> {};

TEST_P(GroupName, NameIsTrimmedCheckedAndStored)
{
    const GroupNameCase& c = GetParam();
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kGroup);
        HWND page = w.Page();
        w.robot.Type(page, IDC_GROUP, c.typed);
        w.robot.WaitText(page, IDC_GROUP, c.shown);
        w.Next();
        if (c.stored) {
            w.Expect(kReady);
        } else {
            w.ConfirmMessage(c.message);
            w.Expect(kGroup);
            EXPECT_EQ(w.robot.Text(w.Page(), IDC_GROUP), c.shown);
        }
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strGroupName), c.stored ? c.stored : "Pictavo 6");
}

INSTANTIATE_TEST_SUITE_P(Wizard, GroupName,
    ::testing::Values(
        GroupNameCase{"TwoLettersInSpaces", "  ab  ", "  ab  ", nullptr, kGroupTooShort},
        GroupNameCase{"Empty", "\b", "", nullptr, kGroupTooShort},
        GroupNameCase{"ThreeLetters", "abc", "abc", "abc", nullptr},
        GroupNameCase{"SpacesAroundAreRemoved", "   Photo Tools  ", "   Photo Tools  ", "Photo Tools", nullptr},
        GroupNameCase{"UserStartupInCapitals", "STARTUP", "STARTUP", nullptr, kGroupIsStartup},
        GroupNameCase{"UserStartupInSpaces", "  Startup ", "  Startup ", nullptr, kGroupIsStartup},
        GroupNameCase{"AllUsersStartupForCurrentUser", "common AUTOSTART", "common AUTOSTART", nullptr,
                      kGroupIsStartup},
        GroupNameCase{"StartupInALongerName", "Startup Tools", "Startup Tools", "Startup Tools", nullptr},
        GroupNameCase{"BackslashPasses", "Quorvane\\Pictavo", "Quorvane\\Pictavo", "Quorvane\\Pictavo", nullptr}),
    [](const ::testing::TestParamInfo<GroupNameCase>& i) { return Name(i.param.name); });

// Back with a refused name keeps the page; a corrected name goes on.
TEST_F(WizardTest, BackWithRefusedGroupNameStaysOnTheGroupPage)
{
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kGroup);
        w.robot.Type(w.Page(), IDC_GROUP, "ab");
        w.Back();
        w.ConfirmMessage(kGroupTooShort);
        w.Expect(Unfocused(kGroup));
        w.robot.Type(w.Page(), IDC_GROUP, "Corrected Name");
        w.Next();
        w.Expect(kReady);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strGroupName), "Corrected Name");
}

// Start-up folder values that cannot be read refuse no name.
TEST_F(WizardTest, GroupNameLikeAnUnreadableStartupFolderPasses)
{
    bench::ScopedRegValue user(HKEY_CURRENT_USER, kShellFoldersKey, "Startup", std::nullopt);
    bench::ScopedRegValue common(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Startup", std::nullopt);
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kGroup);
        w.robot.Type(w.Page(), IDC_GROUP, "StartUp");
        w.Next();
        w.Expect(kReady);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::string(g_strGroupName), "StartUp");
}

// The check boxes show the setup state when the page is shown, and what
// the page stored when it was left, by Next or by Back.
struct BoxesCase {
    const char* name;
    int desktopIcon;
    int autoStart;
    bool byBack;
};

void PrintTo(const BoxesCase& c, std::ostream* os) { *os << c.name; }

class GroupBoxes : public WizardTest, public ::testing::WithParamInterface<BoxesCase> {};

TEST_P(GroupBoxes, BoxesShowTheStateAndAreStoredWhenThePageIsLeft)
{
    const BoxesCase& c = GetParam();
    g_bDesktopIcon = c.desktopIcon;
    g_bAutoStart = c.autoStart;
    const int flipped[] = {BST_CHECKED, BST_UNCHECKED};   // indexed by the old state
    INT_PTR result = Run([&](Wizard& w) {
        w.WalkTo(kGroup);
        HWND page = w.Page();
        EXPECT_EQ(w.robot.CheckState(page, IDC_DESKTOP_ICON), c.desktopIcon);
        EXPECT_EQ(w.robot.CheckState(page, IDC_AUTOSTART), c.autoStart);
        w.robot.Click(page, IDC_DESKTOP_ICON);
        w.robot.Click(page, IDC_AUTOSTART);
        w.robot.WaitCheck(page, IDC_AUTOSTART, flipped[c.autoStart]);
        if (c.byBack) {
            w.Back();
            w.Expect(kDestination);
            w.Next();
        } else {
            w.Next();
            w.Expect(kReady);
            w.Back();
        }
        w.Expect(kGroup);
        page = w.Page();
        EXPECT_EQ(w.robot.CheckState(page, IDC_DESKTOP_ICON), flipped[c.desktopIcon]);
        EXPECT_EQ(w.robot.CheckState(page, IDC_AUTOSTART), flipped[c.autoStart]);
        CancelWizard(w);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(g_bDesktopIcon, 1 - c.desktopIcon);
    EXPECT_EQ(g_bAutoStart, 1 - c.autoStart);
}

INSTANTIATE_TEST_SUITE_P(Wizard, GroupBoxes,
    ::testing::Values(BoxesCase{"DefaultsLeftByNext", 1, 0, false},
                      BoxesCase{"CommandLineOptionsLeftByBack", 0, 1, true}),
    [](const ::testing::TestParamInfo<BoxesCase>& i) { return Name(i.param.name); });
