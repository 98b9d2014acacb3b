#include "install/InstallRun.h"

#include <string.h>
#include "app/Probes.h"
#include "app/SetupState.h"
#include "install/FileReplace.h"
#include "install/InstallNames.h"
#include "install/LogFormat.h"
#include "install/Manifest.h"
#include "install/Paths.h"
#include "install/Shortcuts.h"
#include "res/resource.h"
#include "uninstall/LogReplay.h"
#include "win/RegKey.h"

namespace {

// A shell folder of the machine (all users) or of the current user.
CString ReadShellFolder(const char* pszCommonValue, const char* pszUserValue)
{
    return g_bAllUsers ? ReadRegString(HKEY_LOCAL_MACHINE, kShellFoldersKey, pszCommonValue)
                       : ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, pszUserValue);
}

// The folder of the self-extracting package, or empty when the setup was
// not started by one.
CString GetPackageFolder()
{
    DWORD size = GetEnvironmentVariableA(kPackageEnvVar, nullptr, 0);
    if (!size)
        return CString();
    CString path;
    DWORD n = GetEnvironmentVariableA(kPackageEnvVar, path.GetBuffer(size), size);
    path.ReleaseBuffer(n < size ? static_cast<int>(n) : 0);
    return GetParentFolder(path);
}

// A shortcut named by a string-table entry in the folder, to a file of the
// product folder.
void CreateProductLink(const char* pszFolder, UINT nNameId, const char* pszFile, const char* pszWorkDir)
{
    CreateShellLink(JoinPath(g_strInstallDir, pszFile),
                    JoinPath(pszFolder, LoadResString(nNameId) + kLinkExtension), pszWorkDir);
}

void RemovePreviousInstallation(const char* pszManifest)
{
    ReplayLinksAndFolders(JoinPath(g_strInstallDir, kLegacyLogName));
    ReplayLinksAndFolders(JoinPath(g_strInstallDir, kInstallLogName));
    ReplayFileRecords(pszManifest, g_strInstallDir, kRecFileDel);
}

// The Programs folder; falls back to the current user's when the machine's
// is missing or too short to be a folder.
CString GetProgramsFolder()
{
    if (g_bAllUsers) {
        CString common = ReadRegString(HKEY_LOCAL_MACHINE, kShellFoldersKey, kCommonProgramsValue);
        if (common.GetLength() >= 4)
            return common;
        g_bAllUsers = 0;
    }
    return ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, kProgramsValue);
}

// Creates the group folder and the folders above it inside the Programs
// folder; returns the group folder.
CString CreateGroupFolder(const CString& programs)
{
    g_strGroupName.Replace('/', '\\');
    g_strGroupName.Trim(" \t\r\n\\");
    for (int p = g_strGroupName.Find('\\', 1); p >= 1; p = g_strGroupName.Find('\\', p + 1))
        CreateDirectoryA(JoinPath(programs, g_strGroupName.Left(p)), nullptr);
    CString group = JoinPath(programs, g_strGroupName);
    CreateDirectoryA(group, nullptr);
    return group;
}

void WriteProductKeys()
{
    CString exe = JoinPath(g_strInstallDir, kProductExe);
    // In quotes, or a path with a blank would let Windows start a program
    // named by its first words (C:\Program.exe).
    CString uninstall = CString('"') + JoinPath(g_strInstallDir, kUninstallExe) + '"';
    CString version;
    version.Format("%d.%02d.%02d", g_nVerMajor, g_nVerMinor, g_nVerRelease);

    WriteRegString(HKEY_LOCAL_MACHINE, kVendorKey, kAllUsersValue, g_bAllUsers ? kAllUsersYes : kAllUsersNo);
    WriteRegString(HKEY_LOCAL_MACHINE, kVendorKey, kPathValue, g_strInstallDir);
    WriteRegString(HKEY_LOCAL_MACHINE, kAppPathKey, nullptr, exe);
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kContactValue, kContactText);
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kDisplayNameValue, LoadResString(IDS_PRODUCT_NAME));
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kDisplayVersionValue, version);
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kPublisherValue, kPublisherText);
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kUninstallStringValue, uninstall);
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kUrlInfoAboutValue, SETUP_VENDOR_URL);
}

}  // namespace

bool WriteRegString(HKEY hRoot, const char* pszKey, const char* pszValueName, const char* pszText)
{
    win::RegKey key;
    if (key.Create(hRoot, pszKey, KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key, pszValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                          static_cast<DWORD>(strlen(pszText) + 1)) == ERROR_SUCCESS;
}

CString LoadResString(UINT nID)
{
    CString text;
    text.LoadString(nID);
    return text;
}

int RunInstallation()
{
    CString log = JoinPath(g_strInstallDir, kInstallLogName);
    CString manifest = JoinPath(g_strSourceDir, kInstallLogName);

    if (!g_bFreshInstall)
        RemovePreviousInstallation(manifest);

    ProcessManifest(manifest);
    // The manifest becomes the install log, replacing the old one.
    InstallFileSet(kInstallLogName, g_strInstallDir, g_strSourceDir);
    AppendLogLine(log, "");

    CString programs = GetProgramsFolder();
    CString group = CreateGroupFolder(programs);
    AppendLogLine(log, CString(kRecMadeDir) + group);
    if (FolderExists(group)) {
        CreateProductLink(group, IDS_PRODUCT_NAME, kProductExe, kProductWorkDir);
        CreateProductLink(group, IDS_HELP_SHORTCUT, kHelpFile, nullptr);
        CreateProductLink(group, IDS_README_SHORTCUT, kReadmeFile, nullptr);
        CreateProductLink(group, IDS_UNINSTALL_SHORTCUT, kUninstallExe, nullptr);
    }
    if (g_bDesktopIcon)
        CreateProductLink(ReadShellFolder(kCommonDesktopValue, kDesktopValue), IDS_PRODUCT_NAME, kProductExe,
                          kProductWorkDir);
    if (g_bAutoStart)
        CreateProductLink(ReadShellFolder(kCommonStartupValue, kStartupValue), IDS_PRODUCT_NAME, kProductExe,
                          kProductWorkDir);

    WriteProductKeys();

    CString package = GetPackageFolder();
    if (!package.IsEmpty()) {
        InstallFile(kSettingsIni, package, g_strInstallDir, nullptr);
        InstallFile(kSettingsReg, package, g_strInstallDir, nullptr);
    }
    return 0;
}
