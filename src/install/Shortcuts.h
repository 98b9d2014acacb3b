// Shortcut files (".lnk"), made through the shell's link object.
#pragma once
#include <windows.h>

// The longest texts a shortcut takes: the target (without its quotes) and
// the link path, in characters.
constexpr int kMaxLinkTarget = 511;
constexpr int kMaxLinkPath = MAX_PATH - 1;

// Writes the shortcut file `pszLinkPath` that opens `pszTarget`, with the
// working folder `pszWorkDir` stored as given (unexpanded, so "%APPDATA%"
// stays that text) when it is not null, an empty description, and the
// shell's defaults for everything else. The target may be enclosed in
// double quotes; the quotes are not part of the path. When the save
// succeeds, "Shell Link: " and the link path are appended to the install
// log (g_strInstallDir\PtvUnInst.log). Returns the result of the last step
// performed: the save's, or the failure that stopped before it. A target
// longer than kMaxLinkTarget or a link path longer than kMaxLinkPath
// characters is refused (no file, no record). A failed SetPath or
// SetDescription shows a message box and the save is still attempted.
// COM is initialised on the first call (EnsureComInitialized).
HRESULT CreateShellLink(const char* pszTarget, const char* pszLinkPath, const char* pszWorkDir);
