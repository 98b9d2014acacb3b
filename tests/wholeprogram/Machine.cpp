#include "wholeprogram/Machine.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <sstream>

#include "bench/Wait.h"
#include "fixtures/ProductFixture.h"
#include "res/resource.h"

namespace whole {

const char kVendorKey[] = "SOFTWARE\\Quorvane\\Pictavo 6";
const char kMakerKey[] = "SOFTWARE\\Quorvane";
const char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo 6";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const char kVendorUrl[] = "http://www.quorvane.com";

namespace {

const char kUninstallParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kDefaultProfile[] = ".Default\\";
// Where the shell keeps the folders it expands; Wine's shell writes the
// expanded paths back into "Shell Folders" whenever a program asks it for
// one of the folders (a shortcut's save does), so both are pointed.
const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string ImagePath(HANDLE process)
{
    char buf[MAX_PATH * 2] = "";
    DWORD n = sizeof buf;
    if (!QueryFullProcessImageNameA(process, 0, buf, &n))
        return std::string();
    return std::string(buf, n);
}

// Calls visit(entry) for every process of the prefix.
template <typename Visit>
void ForEachProcess(Visit visit)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        bench::ThrowLastError("taking a snapshot of the processes");
    PROCESSENTRY32 e = {};
    e.dwSize = sizeof e;
    for (BOOL more = Process32First(snap, &e); more; more = Process32Next(snap, &e))
        visit(e);
    CloseHandle(snap);
}

}  // namespace

// The first copy creates the install folder, so the folder record comes
// after it: a folder record creates only the one folder.
const char kManifest[] =
    "Pictavo 6 test package\r\n"
    "File Copy: Pictavo6.exe\r\n"
    "Make Dir: Samples\r\n"
    "File Copy: Pictavo6Man.chm\r\n"
    "File Copy: readme.txt\r\n"
    "File Copy: HomePage.url\r\n"
    "File Copy: Samples\\*.txt\r\n"
    "File Copy: setup.exe > PtvUnInst.exe\r\n";

TestMachine::TestMachine()
{
    // The product's keys, the keys the uninstall deletes in, and the file
    // types: gone for the test, back afterwards.
    for (auto [root, key] : std::vector<std::pair<HKEY, std::string>>{
             {HKEY_LOCAL_MACHINE, kMakerKey},
             {HKEY_CURRENT_USER, kMakerKey},
             {HKEY_USERS, std::string(kDefaultProfile) + kMakerKey},
             {HKEY_LOCAL_MACHINE, kUninstallParent},
             {HKEY_LOCAL_MACHINE, kAppPathKey},
             {HKEY_CLASSES_ROOT, "PV6.Document"},
             {HKEY_CURRENT_USER, kFileExts},
         })
        removed_.push_back(std::make_unique<bench::ScopedRegKeyRemoved>(root, key));

    programFiles_ = root_ / "Program Files";
    bench::MakeDirs(programFiles_);
    Override(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", programFiles_);
    common_ = MakeFolders("all users");
    user_ = MakeFolders("user");
    default_ = MakeFolders("default profile");
    for (const char* key : {kShellFolders, kUserShellFolders}) {
        Point(HKEY_LOCAL_MACHINE, key, "Common Programs", "Common Startup", "Common Desktop", common_);
        Point(HKEY_CURRENT_USER, key, "Programs", "Startup", "Desktop", user_);
        Point(HKEY_USERS, std::string(kDefaultProfile) + key, "Programs", "Startup", "Desktop", default_);
    }
}

TestMachine::~TestMachine()
{
    // Whatever a failed test left running in the test's folders goes
    // first, so that the folders can be removed.
    std::string root = Lower(Root()) + "\\";
    ForEachProcess([&](const PROCESSENTRY32& e) {
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                               e.th32ProcessID);
        if (!h)
            return;
        if (Lower(ImagePath(h)).rfind(root, 0) == 0) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, bench::ProcessTimeout());
        }
        CloseHandle(h);
    });
    overrides_.clear();
}

void TestMachine::Override(HKEY root, const std::string& key, const std::string& name,
                           const std::optional<std::string>& v)
{
    overrides_.push_back(std::make_unique<bench::ScopedRegValue>(root, key, name, v));
}

ShellFolders TestMachine::MakeFolders(const std::string& who)
{
    ShellFolders f;
    f.programs = root_ / (who + "\\Start Menu\\Programs");
    f.startup = bench::Join(f.programs, "StartUp");
    f.desktop = root_ / (who + "\\Desktop");
    for (const std::string& p : {f.startup, f.desktop})
        bench::MakeDirs(p);
    return f;
}

void TestMachine::Point(HKEY root, const std::string& key, const char* programs, const char* startup,
                        const char* desktop, const ShellFolders& f)
{
    Override(root, key, programs, f.programs);
    Override(root, key, startup, f.startup);
    Override(root, key, desktop, f.desktop);
}

void TestMachine::PreviousInstallation(const std::string& folder, const std::string& variant,
                                       const std::string& allUsers)
{
    fixture::PlaceProduct(folder, variant);
    bench::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "Path", folder);
    bench::RegSetString(HKEY_LOCAL_MACHINE, kVendorKey, "AllUsers", allUsers);
}

std::string MakePackage(const std::string& folder, const PackageOptions& o)
{
    bench::MakeDirs(bench::Join(folder, "Samples"));
    if (!CopyFileA(bench::BesideExe("setup.exe").c_str(), bench::Join(folder, "setup.exe").c_str(), FALSE))
        bench::ThrowLastError("copying setup.exe into the package");
    fixture::PlaceProduct(folder, o.variant);
    if (o.manifest)
        bench::WriteFile(bench::Join(folder, "PtvUnInst.log"), kManifest);
    bench::WriteFile(bench::Join(folder, "Pictavo6Man.chm"), "help");
    bench::WriteFile(bench::Join(folder, "readme.txt"), "read me");
    bench::WriteFile(bench::Join(folder, "agreement.txt"), "You agree to the test.\r\n");
    bench::WriteFile(bench::Join(folder, "Samples\\one.txt"), "sample");
    if (!o.homePageUrl.empty())
        bench::WriteFile(bench::Join(folder, "HomePage.url"), "[InternetShortcut]\r\n" + o.homePageUrl + "\r\n");
    return folder;
}

bench::Process StartSetup(const std::string& packageDir, const std::vector<std::string>& args, const std::string& sfx)
{
    bench::StartOptions so;
    const std::string exe = bench::Join(packageDir, "setup.exe");
    so.commandLine = bench::CommandLine(exe, args);
    so.currentDir = packageDir;
    if (!sfx.empty())
        so.env.push_back({"sfxname", sfx});
    return bench::Process::Start(exe, so);
}

DWORD RunSetupToEnd(const std::string& packageDir, const std::vector<std::string>& args, const std::string& sfx)
{
    return StartSetup(packageDir, args, sfx).WaitExit();
}

std::vector<DWORD> ProcessesOf(const std::string& exePath)
{
    std::vector<DWORD> out;
    const std::string want = Lower(exePath);
    ForEachProcess([&](const PROCESSENTRY32& e) {
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.th32ProcessID);
        if (!h)
            return;
        if (Lower(ImagePath(h)) == want)
            out.push_back(e.th32ProcessID);
        CloseHandle(h);
    });
    return out;
}

CleanupCopy WaitCleanupCopy(DWORD uninstallerPid)
{
    CleanupCopy copy;
    bench::WaitUntil(
        [&] {
            ForEachProcess([&](const PROCESSENTRY32& e) {
                if (e.th32ParentProcessID != uninstallerPid || copy.pid)
                    return;
                HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.th32ProcessID);
                if (!h)
                    return;
                std::string image = ImagePath(h);
                std::string name = Lower(image.substr(image.find_last_of('\\') + 1));
                if (name.rfind("uni", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".tmp")
                    copy = {e.th32ProcessID, image};
                CloseHandle(h);
            });
            return copy.pid != 0;
        },
        "the uninstaller's clean-up copy (uni*.tmp)", bench::ProcessTimeout());
    return copy;
}

void WaitGone(DWORD pid, const std::string& what)
{
    if (!bench::WaitProcessGone(pid))
        throw bench::Error(what + " (process " + std::to_string(pid) + ") still runs");
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> out;
    if (commandLine.empty())
        return out;
    int wideLength = MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, nullptr, 0);
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, wide.data(), wideLength);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &argc);
    for (int i = 0; argv && i < argc; ++i) {
        int n = WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string a(n, '\0');
        WideCharToMultiByte(CP_ACP, 0, argv[i], -1, a.data(), n, nullptr, nullptr);
        a.resize(n - 1);
        out.push_back(a);
    }
    LocalFree(argv);
    return out;
}

bench::Process StartUninstallEntry(const std::string& extraArgs)
{
    const std::string command = bench::RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").value_or("");
    const std::vector<std::string> argv = SplitCommandLine(command);
    if (argv.empty())
        throw bench::Error("no UninstallString in the uninstall entry");
    bench::StartOptions so;
    so.commandLine = extraArgs.empty() ? command : command + " " + extraArgs;
    return bench::Process::Start(argv[0], so);
}

std::string RunSilentUninstall()
{
    bench::Process uninstaller = StartUninstallEntry("-s");
    // The copy is looked for while the uninstaller may already have ended:
    // the copy's parent id stays recorded, and the copy itself waits a
    // second before it starts its work.
    CleanupCopy copy = WaitCleanupCopy(uninstaller.Pid());
    EXPECT_EQ(0u, uninstaller.WaitExit()) << "the uninstaller's exit code";
    HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copy.pid);
    if (h) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, bench::ProcessTimeout())) << "the clean-up copy must end";
        DWORD code = 999;
        GetExitCodeProcess(h, &code);
        EXPECT_EQ(0u, code) << "the clean-up copy's exit code";
        CloseHandle(h);
    }
    return copy.path;
}

HWND WaitWizard(const bench::Robot& r)
{
    HWND frame = nullptr;
    r.Wait(
        [&] {
            for (HWND w : r.Windows(bench::kDialogClass)) {
                try {
                    if (r.Text(w) == "Pictavo Setup" && r.HasControl(w, IDC_BACK))
                        frame = w;
                } catch (const bench::Error&) {
                    // A window that closed meanwhile (a message box).
                }
            }
            return frame != nullptr;
        },
        "the wizard frame", bench::ProcessTimeout());
    return frame;
}

void WizardToFinish(const bench::Robot& r, bool runPictavo)
{
    HWND frame = WaitWizard(r);
    HWND page = r.WaitPage(frame);
    // Welcome, agreement ("Yes"), destination, program group, ready.
    for (int i = 0; i < 5; ++i) {
        r.WaitEnabled(frame, IDOK, true);
        r.Click(frame, IDOK);
        if (i < 4)
            page = r.WaitPage(frame, page);
    }
    r.WaitText(frame, IDOK, "&Finish >", bench::ProcessTimeout());
    r.WaitVisible(page, IDC_RUN_AFTER, true);
    if (runPictavo) {
        r.Click(page, IDC_RUN_AFTER);
        r.WaitCheck(page, IDC_RUN_AFTER, BST_CHECKED);
    }
    r.Click(frame, IDOK);
}

void CancelWizard(const bench::Robot& r)
{
    HWND frame = WaitWizard(r);
    r.Click(frame, IDCANCEL);
    // The frame has a static of id 0xFFFF too, so the box is the new one.
    HWND box = r.WaitNewDialog({frame});
    r.WaitText(box, bench::kMessageTextId, "Do you really want to cancel Pictavo setup?");
    r.Click(box, IDYES);
}

void EndProcessesOf(const std::string& exePath)
{
    for (DWORD pid : ProcessesOf(exePath)) {
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!h)
            continue;
        TerminateProcess(h, 0);
        WaitForSingleObject(h, bench::ProcessTimeout());
        CloseHandle(h);
    }
}

std::vector<std::string> LogLines(const std::string& path)
{
    std::vector<std::string> out;
    std::istringstream in(bench::ReadFile(path).value_or(""));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

}  // namespace whole
