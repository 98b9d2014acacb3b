#include "uninstall/UninstallRun.h"

#include <windows.h>
#include <string.h>

#include "framework/String.h"
#include "install/InstallNames.h"
#include "uninstall/LogReplay.h"
#include "uninstall/RegCleanup.h"
#include "win/RegKey.h"

namespace {

// The name that an installation with default names gives the Start-menu
// group and, with ".lnk", the desktop and start-up shortcuts.
const char kDefaultName[] = "Pictavo 6";

// Shell folder values are read into buffers of this size, and the path
// formed from a value with the name appended must fit into the same size.
constexpr DWORD kValueSize = 512;

// Reads a shell folder value into a cleared buffer; empty when the value is
// missing, empty or does not fit.
void ReadFolderValue(HKEY hKey, const char* pszName, char (&buffer)[kValueSize])
{
    memset(buffer, 0, sizeof buffer);
    DWORD size = kValueSize - 1;   // the last byte stays a terminator
    if (RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size)
        != ERROR_SUCCESS)
        buffer[0] = 0;
}

// Appends "\" and the name to the folder in its buffer. A folder that would
// not fit with the name is left alone: false, and the item is skipped.
bool AppendName(char (&buffer)[kValueSize], const char* pszName)
{
    size_t used = strlen(buffer), added = 1 + strlen(pszName);
    if (used + added >= kValueSize)
        return false;
    buffer[used] = '\\';
    memcpy(buffer + used + 1, pszName, added);   // with the terminator
    return true;
}

// "Pictavo 6.lnk" in the folder that the value names.
void DeleteDefaultShortcut(HKEY hShellFolders, const char* pszValue)
{
    char path[kValueSize];
    ReadFolderValue(hShellFolders, pszValue, path);
    CString name = CString(kDefaultName) + kLinkExtension;
    if (path[0] && AppendName(path, name))
        DeleteFileA(path);
}

// Empties the group "Pictavo 6" in the Programs folder (a folder path read
// from the registry) of its files and removes it when that leaves it empty.
void RemoveDefaultGroup(const char* pszPrograms)
{
    char group[kValueSize];
    memcpy(group, pszPrograms, kValueSize);
    CString name = CString(kDefaultName) + "\\";
    if (!group[0] || !AppendName(group, name))
        return;
    DeleteMatchingFiles("*.*", group);
    RemoveDirectoryA(group);
}

// The default-named items of one set of shell folders: the start-up and
// desktop shortcuts, then the group in the Programs folder. The key is
// closed before the group goes, as soon as its last value is read.
void RemoveDefaultItems(win::RegKey& shellFolders, const char* pszStartup, const char* pszDesktop,
                        const char* pszPrograms)
{
    DeleteDefaultShortcut(shellFolders, pszStartup);
    DeleteDefaultShortcut(shellFolders, pszDesktop);
    char programs[kValueSize];
    ReadFolderValue(shellFolders, pszPrograms, programs);
    shellFolders.Close();
    RemoveDefaultGroup(programs);
}

}  // namespace

void RunUninstall(const char* pszProductFolder)
{
    RemoveProductKeys();
    RestoreFileAssociations();

    // Names are appended to the product folder directly: it ends in a
    // separator.
    const CString legacyLog = CString(pszProductFolder) + kLegacyLogName;
    const CString installLog = CString(pszProductFolder) + kInstallLogName;
    ReplayLinksAndFolders(legacyLog);
    ReplayLinksAndFolders(installLog);
    ReplayFileRecords(legacyLog, pszProductFolder, nullptr);
    ReplayFileRecords(installLog, pszProductFolder, nullptr);
    DeleteMatchingFiles(kInstallLogName, pszProductFolder);

    // The current directory would keep the product folder in use.
    SetCurrentDirectoryA("\\");
    RemoveDirectoryA(pszProductFolder);

    // Default-named items in the all-users folders, whoever installed.
    {
        win::RegKey shellFolders;
        if (shellFolders.Open(HKEY_LOCAL_MACHINE, kShellFoldersKey, KEY_QUERY_VALUE) == ERROR_SUCCESS)
            RemoveDefaultItems(shellFolders, kCommonStartupValue, kCommonDesktopValue, kCommonProgramsValue);
    }

    // ... and in the folders of every profile loaded now and of the default
    // profile; keys without shell folders (such as a profile's classes) are
    // stepped over.
    char user[kValueSize];
    for (DWORD index = 0; RegEnumKeyA(HKEY_USERS, index, user, kValueSize) == ERROR_SUCCESS; ++index) {
        win::RegKey userKey;
        if (userKey.Open(HKEY_USERS, user, KEY_ALL_ACCESS) != ERROR_SUCCESS)
            continue;
        win::RegKey shellFolders;
        if (shellFolders.Open(userKey, kShellFoldersKey, KEY_ALL_ACCESS) != ERROR_SUCCESS)
            continue;
        RemoveDefaultItems(shellFolders, kStartupValue, kDesktopValue, kProgramsValue);
    }
}
