#include "app/SetupRun.h"

#include <windows.h>
#include <shellapi.h>
#include <mbstring.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/Probes.h"
#include "app/SetupState.h"
#include "framework/Framework.h"
#include "install/InstallNames.h"
#include "install/InstallRun.h"
#include "install/LogFormat.h"
#include "install/Paths.h"
#include "res/resource.h"
#include "wizard/SetupDlg.h"
#include "win/Handle.h"

namespace {

// The default install folder's last component and the default group.
const char kProductFolderName[] = "Pictavo 6";

// Options of the setup run ("-s" and "-install" belong to start-up).
const char kOptInstallDir[] = "-instdir";   // exact case
const char kOptRunAfter[] = "-runafter";    // these four in any case
const char kOptAllUsers[] = "-allusers";
const char kOptAutoStart[] = "-autostart";
const char kOptNoDesktopIcon[] = "-nodeskico";

// The Internet shortcut in the product folder whose address may carry the
// query for the page opened after a fresh installation.
const char kHomePageFile[] = "HomePage.url";
const char kHomePageUrlLine[] = "URL=http://";
const char kInstalledPage[] = "/ptvq/installed.asp";
const char kInstallScriptPage[] = "/ptvq/InstScript.asp";

bool EqualsNoCase(const char* a, const char* b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b)) == 0;
}

// A file version as one number that orders versions whose parts stay below
// 100: ((major * 100 + minor) * 100 + release) * 100 + build, in 32-bit
// unsigned arithmetic (overflow discarded, as the installed products'
// versions have always been compared).
uint32_t CombinedVersion(int major, int minor, int release, int build)
{
    uint32_t v = static_cast<uint32_t>(major);
    v = v * 100u + static_cast<uint32_t>(minor);
    v = v * 100u + static_cast<uint32_t>(release);
    v = v * 100u + static_cast<uint32_t>(build);
    return v;
}

// Step 4: the options of the command line.
void ReadOptions()
{
    CString candidate;
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        if (strcmp(arg, kOptInstallDir) == 0 && i + 1 < __argc) {
            // The folder argument is not skipped: the next pass looks at
            // it like any other argument.
            const char* folder = __argv[i + 1];
            if (PathExists(folder)) {
                candidate = folder;
                if (EndsWithSeparator(candidate))
                    candidate.Truncate(candidate.GetLength() - 1);
            } else {
                candidate.Empty();
            }
        } else if (EqualsNoCase(arg, kOptRunAfter)) {
            g_bRunAfter = 1;
        } else if (EqualsNoCase(arg, kOptAllUsers)) {
            g_bAllUsers = 1;
        } else if (EqualsNoCase(arg, kOptAutoStart)) {
            g_bAutoStart = 1;
        } else if (EqualsNoCase(arg, kOptNoDesktopIcon)) {
            g_bDesktopIcon = 0;
        }
    }
    if (!candidate.IsEmpty())
        g_strInstallDir = candidate;
}

// Step 6, over an earlier installation: compares the installed version with
// the new one and asks when the new one is not newer. Leaves the new
// version in the setup state; false when the user did not answer Yes.
bool CompareVersions()
{
    ReadFileVersion(JoinPath(g_strInstallDir, kProductExe));
    const int oldMajor = g_nVerMajor, oldMinor = g_nVerMinor, oldRelease = g_nVerRelease, oldBuild = g_nVerBuild;
    ReadFileVersion(JoinPath(g_strSourceDir, kProductExe));

    const uint32_t installed = CombinedVersion(oldMajor, oldMinor, oldRelease, oldBuild);
    const uint32_t incoming = CombinedVersion(g_nVerMajor, g_nVerMinor, g_nVerRelease, g_nVerBuild);
    if (g_bSilent || installed < incoming) {
        g_bUpgrade = 1;
        return true;
    }
    CString format, question;
    if (incoming < installed) {
        format.LoadString(IDS_OLDER_VERSION);
        question.Format(format, oldMajor, oldMinor, oldRelease, oldBuild, g_nVerMajor, g_nVerMinor, g_nVerRelease,
                        g_nVerBuild);
    } else {
        format.LoadString(IDS_SAME_VERSION);
        question.Format(format, g_nVerMajor, g_nVerMinor, g_nVerRelease, g_nVerBuild);
    }
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Step 6, over an earlier installation: the program group of the old
// install log's last shortcut that lies in the Programs folder but not in
// the start-up folder. Leaves g_strGroupName alone when there is none.
void RecoverPreviousGroup()
{
    FILE* pLog = fopen(JoinPath(g_strInstallDir, kInstallLogName), "rt");
    if (!pLog)
        pLog = fopen(JoinPath(g_strInstallDir, kLegacyLogName), "rt");
    if (!pLog)
        return;

    CString programs, startup;
    if (g_bAllUsers) {
        programs = ReadRegString(HKEY_LOCAL_MACHINE, kShellFoldersKey, kCommonProgramsValue);
        startup = ReadRegString(HKEY_LOCAL_MACHINE, kShellFoldersKey, kCommonStartupValue);
    } else {
        programs = ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, kProgramsValue);
        startup = ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, kStartupValue);
    }
    if (programs.IsEmpty() || programs[programs.GetLength() - 1] != '\\')
        programs += '\\';
    programs.MakeLower();
    startup.MakeLower();

    char line[kLogLineSize];
    while (ReadLogLine(pLog, line)) {
        const char* link = RecordArgument(line, kRecShellLink);
        if (!link)
            continue;
        CString lower(link);
        lower.MakeLower();
        // An empty start-up folder is found in every path, so every line
        // is skipped then.
        if (strncmp(lower, programs, programs.GetLength()) != 0 || strstr(lower, startup))
            continue;
        // The shortcut's path below the Programs folder, as the log spells
        // it; its folder is the group.
        g_strGroupName = GetParentFolder(link + programs.GetLength());
    }
    fclose(pLog);
}

// Step 7: string 18, the maker's home page, exit code 1.
[[noreturn]] void RefuseDamagedSetup()
{
    AfxMessageBox(IDS_DAMAGED_SETUP, MB_OK | MB_ICONERROR);
    ShellExecuteA(nullptr, "open", SETUP_VENDOR_URL, nullptr, nullptr, SW_SHOW);
    exit(1);
}

// Step 8 outside a silent run: the wizard, which installs from its ready
// page. True after Finish.
bool RunWizard()
{
    CWinApp* pApp = AfxGetApp();
    CSetupDlg dlg;
    pApp->m_pMainWnd = &dlg;
    const bool finished = dlg.DoModal() == IDOK;
    // The framework clears the pointer when the frame's window goes; a
    // frame that never got a window must not be left behind in it either.
    if (pApp->m_pMainWnd == &dlg)
        pApp->m_pMainWnd = nullptr;
    return finished;
}

// Step 10: the query of HomePage.url's first "URL=http://" line, from its
// first "?" to the end of the line, without the line end (an address with
// a line break in it is not the page meant); empty when there is none.
CString ReadHomePageQuery()
{
    CString query;
    FILE* pFile = fopen(JoinPath(g_strInstallDir, kHomePageFile), "rt");
    if (!pFile)
        return query;
    char line[MAX_PATH];
    while (fgets(line, sizeof line, pFile)) {
        if (strncmp(line, kHomePageUrlLine, sizeof kHomePageUrlLine - 1) != 0)
            continue;
        if (const char* q = strchr(line, '?')) {
            query = q;
            query.TrimRight("\r\n");
        }
        break;
    }
    fclose(pFile);
    return query;
}

void OpenWebPage()
{
    const CString query = ReadHomePageQuery();
    CString address(SETUP_VENDOR_URL);
    if (g_bUpgrade || query.IsEmpty()) {
        address += kInstalledPage;
    } else {
        address += kInstallScriptPage;
        address += query;
    }
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOW);
}

// Step 11: starts the installed product and does not wait for it. The
// application is named and its path quoted on the command line, so that a
// product folder with a blank in its path cannot start another program
// named by the path's first words.
void StartProduct()
{
    const CString exe = JoinPath(g_strInstallDir, kProductExe);
    CString commandLine;
    commandLine.Format("\"%s\"", exe.GetString());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(exe, commandLine.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, g_strInstallDir, &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

}  // namespace

int RunSetup()
{
    // 1-3: the earlier installation, the source folder, the default folder.
    g_strInstallDir = FindPreviousInstallDir();
    g_strSourceDir = GetModuleDir();
    if (g_strInstallDir.IsEmpty()) {
        g_strInstallDir = GetProgramFilesDir() + "\\" + kProductFolderName;
        g_bFreshInstall = 1;
    }

    // 4-6: options, group, versions, and what the earlier installation chose.
    ReadOptions();
    g_strGroupName = kProductFolderName;
    if (g_bFreshInstall) {
        ReadFileVersion(JoinPath(g_strSourceDir, kProductExe));
    } else {
        if (!CompareVersions())
            return 1;
        g_bAllUsers = ReadRegString(HKEY_LOCAL_MACHINE, kVendorKey, kAllUsersValue) == kAllUsersYes ? 1 : 0;
        RecoverPreviousGroup();
    }

    // 7: no version in the new product, or no manifest beside the program.
    if (g_nVerMajor == 0 || !PathExists(JoinPath(g_strSourceDir, kInstallLogName)))
        RefuseDamagedSetup();

    // 8: the installation.
    if (g_bSilent) {
        if (g_bFreshInstall)
            g_bAllUsers = 1;
        RunInstallation();
    } else if (!RunWizard()) {
        return 1;
    }

    // 9-11: what follows an installation.
    SetCurrentDirectoryA(g_strInstallDir);
    if (!g_bSilent && (g_bFreshInstall || g_bUpgrade))
        OpenWebPage();
    if (g_bRunAfter)
        StartProduct();
    return 0;
}
