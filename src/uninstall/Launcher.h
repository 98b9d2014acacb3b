// The clean-up command line, with which the uninstaller starts its
// temporary copy (LaunchCleanupCopy in uninstall/RestartOps.h).
#pragma once
#include "framework/String.h"

// <copy> -delself <uninstaller> [-s]: the copy's path and the
// uninstaller's path are enclosed in double quotes when they contain a
// blank or a tab; the arguments are joined with single blanks; "-s" is
// passed on for a silent uninstall.
CString BuildCleanupCommandLine(const char* pszCopyPath, const char* pszUninstallerPath, BOOL bSilent);
