// The installation run: from settings that are final to an installed
// product.
#pragma once
#include <windows.h>
#include "framework/String.h"

// Does the whole installation from the setup state, on the calling thread,
// asking and reporting nothing (only a failing shortcut call may show its
// message), and returns 0. In order:
//  1. unless g_bFreshInstall: the shortcuts and group folders of the old
//     install logs ("install.log", "PtvUnInst.log") are removed, and what
//     the new manifest's "File Del: " records name in the install folder is
//     deleted (with its empty "Make Dir: " folders);
//  2. the manifest (g_strSourceDir\PtvUnInst.log) is executed;
//  3. it is copied into g_strInstallDir as the install log, which then gets
//     a line end;
//  4. the Programs folder: "Common Programs" (HKLM) for all users; when that
//     is shorter than 4 characters g_bAllUsers is cleared and the run goes
//     on for the current user ("Programs", HKCU);
//  5. g_strGroupName is normalised in place (slashes become backslashes;
//     blanks, tabs, line ends and backslashes at either end go), the group
//     folder and the folders above it are created, and the group folder
//     alone is logged as "Made Dir: " (also when it could not be created);
//  6. when the group folder exists, the four group shortcuts (the product,
//     its help file, its read-me file, the uninstaller); then the desktop
//     shortcut (g_bDesktopIcon) and the start-up shortcut (g_bAutoStart);
//  7. the vendor key, the application path and the uninstall entry in
//     HKEY_LOCAL_MACHINE;
//  8. "Pictavo6.ini" and "Pictavo6.reg" from the folder of the package named
//     by the environment variable "sfxname", when it is set.
int RunInstallation();

// Creates or opens the key and writes the text as a REG_SZ value (the
// terminating zero counted); a null or empty value name means the key's
// default value. Returns whether the value was written.
bool WriteRegString(HKEY hRoot, const char* pszKey, const char* pszValueName, const char* pszText);

// The text of a string-table entry; empty when there is none.
CString LoadResString(UINT nID);
