// The setup run's decisions, seen from outside: setup.exe of the test build
// runs as a process from a package folder, with the arguments a person or
// the package gives, and the test reads what it asked (through the robot),
// which web page it opened (through the prefix's http handler), what it
// started, and what the installation recorded: the "Path" and "AllUsers"
// values, and the install log's "Made Dir: " record of the group folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Registry.h"
#include "bench/Robot.h"
#include "bench/UrlRecorder.h"
#include "fixtures/ProductFixture.h"
#include "wholeprogram/Machine.h"

using bench::Join;
using whole::kVendorKey;

namespace {

const std::string kInstalledPage = std::string(whole::kVendorUrl) + "/ptvq/installed.asp";
const std::string kScriptPage = std::string(whole::kVendorUrl) + "/ptvq/InstScript.asp";

std::string VendorValue(const char* name)
{
    return bench::RegReadString(HKEY_LOCAL_MACHINE, kVendorKey, name).value_or("<missing>");
}

// The "Made Dir: " record of an install log: the group folder.
std::string LoggedGroup(const std::string& dir)
{
    for (const std::string& line : whole::LogLines(Join(dir, "PtvUnInst.log")))
        if (line.rfind("Made Dir: ", 0) == 0)
            return line.substr(10);
    return "<no Made Dir record>";
}

class SetupRun : public ::testing::Test {
protected:
    whole::TestMachine m_;
    const std::string package_ = m_ / "package";
    const std::string previous_ = m_ / "Old Place\\Pictavo 6";
};

// --- the version question --------------------------------------------------

struct VersionCase {
    const char* name;
    const char* installed;   // product stand-in variants
    const char* incoming;
    const char* question;    // null: no question, the wizard comes at once
    int answer;
};

const char kOlder612[] =
    "Pictavo v. 6.01.02.00 is already installed on this machine. You are trying to install an older version "
    "6.00.05.03 .\n\nDo you still want to continue?";
const char kOlder610[] =
    "Pictavo v. 6.10.00.00 is already installed on this machine. You are trying to install an older version "
    "6.09.99.99 .\n\nDo you still want to continue?";
const char kSame612[] =
    "Pictavo ver. 6.01.02.00 is already installed on this machine.\n\nWould you like to run this setup again to "
    "select different options or repair the files?";
const char kSame610[] =
    "Pictavo ver. 6.01.00.00 is already installed on this machine.\n\nWould you like to run this setup again to "
    "select different options or repair the files?";

const VersionCase kVersionCases[] = {
    {"OlderDeclined", "612", "6053", kOlder612, IDNO},
    // 6.10.0.0 against 6.9.99.99: the installed number is the greater.
    {"OlderByCombinedNumber", "61000", "699999", kOlder610, IDNO},
    // Yes, then Cancel in the wizard: nothing installed, no web page.
    {"SameAcceptedThenCancelled", "612", "612", kSame612, IDYES},
    // 6.0.100.0 and 6.1.0.0 combine to the same number.
    {"SameByCombinedNumber", "600100", "6100", kSame610, IDNO},
    {"NewerAsksNothing", "6053", "612", nullptr, 0},
    // An installation whose product file is gone reads as 0.0.0.0.
    {"InstalledFileMissingIsOlder", "", "612", nullptr, 0},
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.name; }

class VersionQuestion : public SetupRun, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionQuestion, AsksWhenTheNewVersionIsNotNewerAndStopsOnNo)
{
    const VersionCase& c = GetParam();
    if (*c.installed) {
        m_.PreviousInstallation(previous_, c.installed, "A");
    } else {
        bench::MakeDirs(previous_);
        bench::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "Path", previous_);
        bench::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "AllUsers", "A");
    }
    whole::PackageOptions po;
    po.variant = c.incoming;
    whole::MakePackage(package_, po);
    const auto before = bench::ListDir(previous_);
    bench::UrlRecorder urls;

    bench::Process setup = whole::StartSetup(package_, {});
    bench::Robot r(setup.Pid());
    if (c.question) {
        HWND box = r.WaitMessageBox("Pictavo Setup");
        EXPECT_FALSE(r.HasControl(box, IDCANCEL)) << "a Yes/No question";
        EXPECT_EQ(c.question, r.MessageText(box));
        r.Click(box, c.answer);
        r.WaitClosed(box);
    }
    if (!c.question || c.answer == IDYES) {
        whole::WaitWizard(r);
        EXPECT_EQ(1u, r.Windows(bench::kDialogClass).size()) << "the wizard alone, no question";
        whole::CancelWizard(r);
    }
    EXPECT_EQ(0u, setup.WaitExit());

    EXPECT_EQ(before, bench::ListDir(previous_)) << "nothing may change in the installed folder";
    EXPECT_EQ("A", VendorValue("AllUsers"));
    EXPECT_TRUE(urls.AddressesWhenIdle().empty()) << "no web page without an installation";
}

INSTANTIATE_TEST_SUITE_P(, VersionQuestion, ::testing::ValuesIn(kVersionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupRun, SilentRunOverANewerInstallationAsksNothingAndInstalls)
{
    m_.PreviousInstallation(previous_, "612", "A");
    whole::PackageOptions po;
    po.variant = "6053";
    whole::MakePackage(package_, po);

    // A question would keep the process from ending.
    ASSERT_EQ(0u, whole::RunSetupToEnd(package_, {"-install", "-s"}));

    EXPECT_EQ(bench::ReadFile(fixture::ProductBuild("6053")), bench::ReadFile(Join(previous_, "Pictavo6.exe")));
    EXPECT_EQ("6.00.05", bench::RegReadString(HKEY_LOCAL_MACHINE, whole::kUninstallKey, "DisplayVersion").value_or(""));
    EXPECT_EQ(previous_, VendorValue("Path"));
}

// --- -instdir ----------------------------------------------------------------

// Placeholders in the arguments: T and U are existing folders (with a
// blank in their names), M a missing one; the expected folder may be D,
// the default install folder, or P, the previous installation's.
struct InstDirCase {
    const char* name;
    std::vector<std::string> args;
    std::string expected;
    bool previous;
};

const InstDirCase kInstDirCases[] = {
    {"ExistingFolder", {"-instdir", "T"}, "T", false},
    {"MissingFolderKeepsTheDefault", {"-instdir", "M"}, "D", false},
    {"MissingFolderKeepsThePreviousInstallation", {"-instdir", "M"}, "P", true},
    {"TrailingBackslashIsDropped", {"-instdir", "T\\"}, "T", false},
    {"TrailingSlashIsDropped", {"-instdir", "T/"}, "T", false},
    {"OfTwoSeparatorsOneStays", {"-instdir", "T\\\\"}, "T\\", false},
    {"CapitalsAreNoOption", {"-INSTDIR", "T"}, "D", false},
    {"TheLastDecides", {"-instdir", "T", "-instdir", "U"}, "U", false},
    {"ALastMissingFolderCancelsTheEarlierOnes", {"-instdir", "T", "-instdir", "M"}, "D", false},
    {"AsTheLastArgumentItIsNoOption", {"-instdir", "T", "-instdir"}, "T", false},
    // The folder argument is looked at again: here it is the option.
    {"TheFolderArgumentIsNotSkipped", {"-instdir", "-instdir", "T"}, "T", false},
};

void PrintTo(const InstDirCase& c, std::ostream* os) { *os << c.name; }

class InstDir : public SetupRun, public ::testing::WithParamInterface<InstDirCase> {};

TEST_P(InstDir, SilentInstallationGoesWhereTheRulesSay)
{
    const InstDirCase& c = GetParam();
    const std::string t = m_ / "Target T", u = m_ / "Target U";
    bench::MakeDirs(t);
    bench::MakeDirs(u);
    auto place = [&](std::string s) {
        if (s.rfind("T", 0) == 0)
            return t + s.substr(1);
        if (s.rfind("U", 0) == 0)
            return u + s.substr(1);
        if (s == "M")
            return m_ / "Missing";
        if (s == "D")
            return m_.DefaultInstallDir();
        if (s == "P")
            return previous_;
        return s;
    };
    if (c.previous)
        m_.PreviousInstallation(previous_, "6053", "B");
    whole::MakePackage(package_);
    std::vector<std::string> args = {"-install", "-s"};
    for (const std::string& a : c.args)
        args.push_back(a.rfind("-", 0) == 0 ? a : place(a));

    ASSERT_EQ(0u, whole::RunSetupToEnd(package_, args));

    const std::string expected = place(c.expected);
    EXPECT_EQ(expected, VendorValue("Path"));
    EXPECT_TRUE(bench::IsFile(Join(expected, "PtvUnInst.log")));
    EXPECT_TRUE(bench::IsFile(Join(expected, "Pictavo6.exe")));
}

INSTANTIATE_TEST_SUITE_P(, InstDir, ::testing::ValuesIn(kInstDirCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- all users -------------------------------------------------------------

struct AllUsersCase {
    const char* name;
    std::optional<std::string> stored;   // "AllUsers" of the previous installation
    std::vector<std::string> options;
    bool allUsers;                       // what the run must do
};

const AllUsersCase kAllUsersCases[] = {
    // The stored choice replaces -allusers.
    {"StoredCurrentUserBeatsTheOption", "A", {"-allusers"}, false},
    {"StoredAllUsers", "B", {}, true},
    {"OnlyACapitalBMeansAllUsers", "b", {"-allusers"}, false},
    {"NoStoredValueMeansCurrentUser", std::nullopt, {"-allusers"}, false},
};

void PrintTo(const AllUsersCase& c, std::ostream* os) { *os << c.name; }

class AllUsers : public SetupRun, public ::testing::WithParamInterface<AllUsersCase> {};

TEST_P(AllUsers, SilentUpgradeKeepsTheStoredChoice)
{
    const AllUsersCase& c = GetParam();
    m_.PreviousInstallation(previous_, "6053", c.stored.value_or(""));
    if (!c.stored)
        bench::RegDeleteValue(HKEY_LOCAL_MACHINE, kVendorKey, "AllUsers");
    whole::MakePackage(package_);
    std::vector<std::string> args = {"-install", "-s"};
    args.insert(args.end(), c.options.begin(), c.options.end());

    ASSERT_EQ(0u, whole::RunSetupToEnd(package_, args));

    const whole::ShellFolders& f = c.allUsers ? m_.Common() : m_.User();
    EXPECT_EQ(Join(f.programs, "Pictavo 6"), LoggedGroup(previous_));
    EXPECT_TRUE(bench::IsFile(Join(f.desktop, "Pictavo 6.lnk")));
    EXPECT_EQ(c.allUsers ? "B" : "A", VendorValue("AllUsers"));
}

INSTANTIATE_TEST_SUITE_P(, AllUsers, ::testing::ValuesIn(kAllUsersCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupRun, SilentFreshInstallationIsForAllUsersWhateverTheCommandLine)
{
    whole::MakePackage(package_);
    ASSERT_EQ(0u, whole::RunSetupToEnd(package_, {"-install", "-s", "-nodeskico", "-autostart"}));

    const std::string dir = m_.DefaultInstallDir();
    EXPECT_EQ("B", VendorValue("AllUsers"));
    EXPECT_EQ(Join(m_.Common().programs, "Pictavo 6"), LoggedGroup(dir));
    EXPECT_FALSE(bench::Exists(Join(m_.Common().desktop, "Pictavo 6.lnk"))) << "-nodeskico";
    EXPECT_TRUE(bench::IsFile(Join(m_.Common().startup, "Pictavo 6.lnk"))) << "-autostart";
}

// In a wizard run the options preset the pages' choices, which Next keeps.
TEST_F(SetupRun, OptionsPresetTheWizardsChoices)
{
    whole::MakePackage(package_);
    bench::UrlRecorder urls;   // the page opened after the installation
    bench::Process setup = whole::StartSetup(package_, {"-allusers", "-autostart", "-nodeskico"});
    whole::WizardToFinish(bench::Robot(setup.Pid()), false);
    ASSERT_EQ(0u, setup.WaitExit());

    const std::string dir = m_.DefaultInstallDir();
    EXPECT_EQ("B", VendorValue("AllUsers"));
    EXPECT_EQ(Join(m_.Common().programs, "Pictavo 6"), LoggedGroup(dir));
    EXPECT_TRUE(bench::IsFile(Join(m_.Common().startup, "Pictavo 6.lnk")));
    EXPECT_FALSE(bench::Exists(Join(m_.Common().desktop, "Pictavo 6.lnk")));
}

// --- the previous program group ----------------------------------------------

struct GroupCase {
    const char* name;
    const char* log;                  // the old log's name, or null for none
    std::vector<std::string> links;   // "Shell Link: " records; see below
    std::string group;                // the group expected
};

// In the links, "{P}" stands for the current user's Programs folder in
// capitals (the match ignores case), "{S}" for the start-up folder (which
// lies inside the Programs folder) and "{D}" for the desktop.
const GroupCase kGroupCases[] = {
    {"FromTheInstallLog",
     "PtvUnInst.log",
     {"{P}\\Old Group\\Deeper\\Pictavo 6.lnk", "{S}\\Pictavo 6.lnk", "{D}\\Pictavo 6.lnk"},
     "Old Group\\Deeper"},
    {"FromTheLegacyInstallLog", "install.log", {"{P}\\Pictavo Five\\Pictavo.lnk"}, "Pictavo Five"},
    {"TheLastMatchingLinkDecides",
     "PtvUnInst.log",
     {"{P}\\First\\a.lnk", "{P}\\Second\\b.lnk", "{S}\\c.lnk"},
     "Second"},
    {"NoLogKeepsTheDefault", nullptr, {}, "Pictavo 6"},
    // The group becomes empty: the shortcuts go into the Programs folder.
    {"ALinkDirectlyInProgramsGivesAnEmptyGroup", "PtvUnInst.log", {"{P}\\Pictavo 6.lnk"}, ""},
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

class PreviousGroup : public SetupRun, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(PreviousGroup, IsTakenFromTheOldInstallLog)
{
    const GroupCase& c = GetParam();
    m_.PreviousInstallation(previous_, "6053", "A");
    if (c.log) {
        std::string upper = m_.User().programs;
        CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
        std::string text;
        for (std::string link : c.links) {
            for (auto [key, value] : std::vector<std::pair<std::string, std::string>>{
                     {"{P}", upper}, {"{S}", m_.User().startup}, {"{D}", m_.User().desktop}}) {
                size_t at = link.find(key);
                if (at != std::string::npos)
                    link.replace(at, key.size(), value);
            }
            text += "Shell Link: " + link + "\r\n";
        }
        bench::WriteFile(Join(previous_, c.log), text);
    }
    whole::MakePackage(package_);

    ASSERT_EQ(0u, whole::RunSetupToEnd(package_, {"-install", "-s"}));

    const std::string group = Join(m_.User().programs, c.group);
    EXPECT_EQ(group, LoggedGroup(previous_));
    EXPECT_TRUE(bench::IsFile(Join(group, "Pictavo 6.lnk")));
}

INSTANTIATE_TEST_SUITE_P(, PreviousGroup, ::testing::ValuesIn(kGroupCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- damaged setup files -----------------------------------------------------

struct DamagedCase {
    const char* name;
    const char* variant;
    bool manifest;
    std::vector<std::string> args;
    const char* installed;   // a previous installation's variant, or null
};

const DamagedCase kDamagedCases[] = {
    {"ProductWithoutVersionSilent", "nover", true, {"-install", "-s"}, nullptr},
    {"NoManifestSilent", "612", false, {"-install", "-s"}, nullptr},
    {"ProductWithoutVersionInTheWizardRun", "nover", true, {}, nullptr},
    // Both without a version: the same number, string 17 first, then Yes.
    {"AfterYesToTheSameVersionQuestion", "nover", true, {}, "nover"},
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.name; }

class DamagedSetup : public SetupRun, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedSetup, ShowsTheMessageOpensTheHomePageAndEndsWithExitCode1)
{
    const DamagedCase& c = GetParam();
    if (c.installed)
        m_.PreviousInstallation(previous_, c.installed, "A");
    whole::PackageOptions po;
    po.variant = c.variant;
    po.manifest = c.manifest;
    whole::MakePackage(package_, po);
    bench::UrlRecorder urls;

    bench::Process setup = whole::StartSetup(package_, c.args);
    bench::Robot r(setup.Pid());
    if (c.installed) {
        HWND question = r.WaitMessageBox("Pictavo Setup");
        EXPECT_NE(std::string::npos, r.MessageText(question).find("0.00.00.00 is already installed"));
        r.Click(question, IDYES);
        r.WaitClosed(question);
    }
    HWND box = r.WaitMessageBox("Pictavo Setup");
    EXPECT_EQ("This setup files are damaged, installation aborted.\n\nPlease download the product again from "
              "http://www.quorvane.com and re-try the setup.",
              r.MessageText(box));
    EXPECT_EQ(std::vector<std::string>{"OK"}, r.ButtonTexts(box));
    r.Click(box, IDOK);
    EXPECT_EQ(1u, setup.WaitExit());

    EXPECT_EQ(std::vector<std::string>{whole::kVendorUrl}, urls.AddressesWhenIdle());
    EXPECT_FALSE(bench::Exists(m_.DefaultInstallDir()));
    EXPECT_FALSE(bench::RegKeyExists(HKEY_LOCAL_MACHINE, whole::kUninstallKey));
}

INSTANTIATE_TEST_SUITE_P(, DamagedSetup, ::testing::ValuesIn(kDamagedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- the web page and the start of the product -------------------------------

struct WebCase {
    const char* name;
    std::string homePageUrl;   // the URL line of HomePage.url; empty: no file
    const char* installed;     // a previous installation's variant, or null
    std::vector<std::string> address;
};

const WebCase kWebCases[] = {
    {"FreshWithQuery", "URL=http://www.quorvane.com/start?ref=abc&lang=en", nullptr,
     {kScriptPage + "?ref=abc&lang=en"}},
    {"FreshWithoutQuery", "URL=http://www.quorvane.com/start", nullptr, {kInstalledPage}},
    {"FreshWithoutHomePageFile", "", nullptr, {kInstalledPage}},
    // Only an http address counts.
    {"FreshWithHttpsAddress", "URL=https://www.quorvane.com/start?ref=abc", nullptr, {kInstalledPage}},
    {"Upgrade", "URL=http://www.quorvane.com/start?ref=abc", "6053", {kInstalledPage}},
    // The same version again: neither fresh nor an upgrade.
    {"RepairOpensNothing", "URL=http://www.quorvane.com/start?ref=abc", "612", {}},
};

void PrintTo(const WebCase& c, std::ostream* os) { *os << c.name; }

class WebPage : public SetupRun, public ::testing::WithParamInterface<WebCase> {};

TEST_P(WebPage, AfterTheWizardTheRightPageOpens)
{
    const WebCase& c = GetParam();
    if (c.installed)
        m_.PreviousInstallation(previous_, c.installed, "A");
    whole::PackageOptions po;
    po.homePageUrl = c.homePageUrl;
    whole::MakePackage(package_, po);
    bench::UrlRecorder urls;

    // -runafter is replaced by the unchecked "Run Pictavo" box.
    bench::Process setup = whole::StartSetup(package_, {"-runafter"});
    bench::Robot r(setup.Pid());
    if (c.installed && std::string(c.installed) == "612") {
        HWND question = r.WaitMessageBox("Pictavo Setup");
        r.Click(question, IDYES);
        r.WaitClosed(question);
    }
    whole::WizardToFinish(r, false);
    ASSERT_EQ(0u, setup.WaitExit());

    EXPECT_EQ(c.address, urls.AddressesWhenIdle());
    const std::string dir = c.installed ? previous_ : m_.DefaultInstallDir();
    EXPECT_TRUE(bench::IsFile(Join(dir, "PtvUnInst.log")));
    EXPECT_TRUE(whole::ProcessesOf(Join(dir, "Pictavo6.exe")).empty()) << "Run Pictavo was not checked";
}

INSTANTIATE_TEST_SUITE_P(, WebPage, ::testing::ValuesIn(kWebCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupRun, SilentRunAfterStartsOnlyTheProductFromAFolderWithBlanks)
{
    // Without quotes, the path's first words would name this program.
    const std::string impostor = fixture::PlaceProduct(m_.Root(), "612", "Pictavo.exe");
    const std::string dir = m_ / "Pictavo Apps\\Pictavo 6";
    bench::MakeDirs(dir);
    whole::MakePackage(package_);
    bench::UrlRecorder urls;

    ASSERT_EQ(0u, whole::RunSetupToEnd(package_, {"-install", "-s", "-runafter", "-instdir", dir}));

    const std::string product = Join(dir, "Pictavo6.exe");
    bench::WaitUntil([&] { return !whole::ProcessesOf(product).empty(); }, "the product to run from " + dir);
    EXPECT_TRUE(whole::ProcessesOf(impostor).empty());
    EXPECT_TRUE(urls.AddressesWhenIdle().empty());
    whole::EndProcessesOf(product);
}

}  // namespace
