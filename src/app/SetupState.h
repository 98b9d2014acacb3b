// The setup state: the process-wide settings of one run. Plain globals with
// static storage, shared by every subsystem, used on the one user-interface
// thread only (so no locking). Folder paths carry no trailing backslash.
// Flags hold 0 or 1; version parts 0 to 65535.
#pragma once
#include "framework/String.h"

extern CString g_strInstallDir;   // target folder of the product
extern CString g_strSourceDir;    // folder of the setup program, manifest and payload
extern CString g_strGroupName;    // Start-menu group, relative to the Programs folder

extern int g_bSilent;             // "-s": no wizard, no questions, no web page
extern int g_bDesktopIcon;        // desktop shortcut (starts at 1)
extern int g_bAutoStart;          // start-up shortcut
extern int g_bAllUsers;           // machine-wide shell folders
extern int g_bRunAfter;           // start the product when the setup ends
extern int g_bFreshInstall;       // no previous installation was found
extern int g_bUpgrade;            // an older installation is replaced

// File version of the last executable that ReadFileVersion read.
extern int g_nVerMajor;
extern int g_nVerMinor;
extern int g_nVerRelease;
extern int g_nVerBuild;

// IsWow64Process of kernel32, or null where the system lacks it.
typedef BOOL (WINAPI* PFN_ISWOW64PROCESS)(HANDLE hProcess, PBOOL pbWow64Process);
extern PFN_ISWOW64PROCESS g_pfnIsWow64Process;

// Captions of the wizard's Next and Cancel buttons as the frame template
// gives them, kept to restore them after the agreement page.
extern CString g_strNextCaption;
extern CString g_strCancelCaption;
