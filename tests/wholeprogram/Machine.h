// The test machine of the whole-program scenarios: the real setup.exe of
// the test build and the PtvUnInst.exe it installs run as processes in the
// prefix, against the prefix's real registry hives and files.
//
// A TestMachine takes the product's registry keys away for the length of a
// test (and puts them back afterwards), points the shell folders of all
// users, of the current user and of the default profile, and the
// program-files folder, at folders of the test, and holds the bench's
// prefix lock, so that the scenarios do not meet other tests in this
// prefix-wide state.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Process.h"
#include "bench/Registry.h"
#include "bench/Restart.h"
#include "bench/Robot.h"

namespace whole {

// Registry keys and values the program reads and writes.
extern const char kVendorKey[];      // HKLM SOFTWARE\Quorvane\Pictavo 6
extern const char kMakerKey[];       // SOFTWARE\Quorvane
extern const char kAppPathKey[];     // HKLM ...\App Paths\Pictavo6.exe
extern const char kUninstallKey[];   // HKLM ...\Uninstall\Pictavo 6
extern const char kShellFolders[];   // ...\Explorer\Shell Folders
extern const char kFileExts[];       // HKCU ...\Explorer\FileExts
extern const char kVendorUrl[];      // "http://www.quorvane.com"

// One set of shell folders. As on Windows, the start-up folder lies inside
// the Programs folder.
struct ShellFolders {
    std::string programs, startup, desktop;
};

class TestMachine {
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    // The test's own folder; no blank in its path, so that a blank in a
    // path below it is one the test chose.
    const std::string& Root() const { return root_.Path(); }
    std::string operator/(const std::string& name) const { return root_ / name; }

    // The program-files folder the program reads ("ProgramFilesDir") and
    // the default install folder below it.
    const std::string& ProgramFiles() const { return programFiles_; }
    std::string DefaultInstallDir() const { return bench::Join(programFiles_, "Pictavo 6"); }

    const ShellFolders& Common() const { return common_; }
    const ShellFolders& User() const { return user_; }
    const ShellFolders& DefaultProfile() const { return default_; }

    // Sets a registry value for the length of the test (put back after).
    void Override(HKEY root, const std::string& key, const std::string& name, const std::optional<std::string>& v);

    // An earlier installation as the installation run records it: "Path"
    // and "AllUsers" of the vendor key, and the product stand-in of that
    // version in the folder.
    void PreviousInstallation(const std::string& folder, const std::string& variant, const std::string& allUsers);

private:
    ShellFolders MakeFolders(const std::string& who);
    void Point(HKEY root, const std::string& key, const char* programs, const char* startup, const char* desktop,
               const ShellFolders& f);

    bench::ScopedPrefixLock lock_;
    std::vector<std::unique_ptr<bench::ScopedRegKeyRemoved>> removed_;
    bench::ScopedTempDir root_{"wholeprogram"};
    std::string programFiles_;
    ShellFolders common_, user_, default_;
    std::vector<std::unique_ptr<bench::ScopedRegValue>> overrides_;
};

// A package folder as the self-extracting archive leaves it: setup.exe of
// the test build, the manifest, the product stand-in, its help and read-me
// files, agreement.txt and HomePage.url.
struct PackageOptions {
    std::string variant = "612";   // the product stand-in's version
    bool manifest = true;
    // The line of HomePage.url with the address; empty: no HomePage.url.
    std::string homePageUrl = "URL=http://www.quorvane.com/start?ref=pkg";
};

// The manifest of the test package, with its line ends.
extern const char kManifest[];

// Makes the package in folder (created); returns folder.
std::string MakePackage(const std::string& folder, const PackageOptions& options = PackageOptions());

// Starts folder\setup.exe in the package folder, as the archive starts it:
// with "sfxname" set to sfx (none when empty).
bench::Process StartSetup(const std::string& packageDir, const std::vector<std::string>& args,
                          const std::string& sfx = std::string());
// StartSetup and waits for the end; the exit code.
DWORD RunSetupToEnd(const std::string& packageDir, const std::vector<std::string>& args,
                    const std::string& sfx = std::string());

// The processes whose executable is exactly this path (case-insensitive).
std::vector<DWORD> ProcessesOf(const std::string& exePath);

// The uninstaller's clean-up copy: a process started by the uninstaller
// (its parent), from a "uni*.tmp" file. Found while it runs.
struct CleanupCopy {
    DWORD pid = 0;
    std::string path;
};
// Waits until the uninstaller with this id has started its clean-up copy,
// and returns it; throws when none appears in time.
CleanupCopy WaitCleanupCopy(DWORD uninstallerPid);
// Waits until a process has ended; throws when it still runs in time.
void WaitGone(DWORD pid, const std::string& what);

// A command line split as the system splits it (CommandLineToArgvW).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// Starts the uninstall entry's command ("UninstallString"), as Windows
// runs it, with the extra arguments appended.
bench::Process StartUninstallEntry(const std::string& extraArgs = std::string());

// Runs the uninstall entry's command ("UninstallString") with "-s", waits
// for the uninstaller and its clean-up copy to end, and returns the copy's
// path. Checks (as test failures) that both ended with exit code 0.
std::string RunSilentUninstall();

// The wizard frame of the setup process: the window captioned
// "Pictavo Setup" that has a Back button (a message box of the same
// caption has none).
HWND WaitWizard(const bench::Robot& r);
// Leads the wizard from its welcome page through every page with Next
// (agreeing on the agreement page), installs from the ready page and
// leaves with Finish, with "Run Pictavo" checked or not. The setup process
// ends afterwards.
void WizardToFinish(const bench::Robot& r, bool runPictavo);
// Cancels the wizard and confirms the cancel question.
void CancelWizard(const bench::Robot& r);

// Ends every process that runs this executable.
void EndProcessesOf(const std::string& exePath);

// The install log's lines without their line ends.
std::vector<std::string> LogLines(const std::string& path);

}  // namespace whole
