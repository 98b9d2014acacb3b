// Probes that the setup run uses before it asks or installs anything. None
// reports an error: each yields an empty text or zeros when what it looks
// for is missing, and the caller decides what that means.
#pragma once
#include "framework/String.h"

// One string value of the registry (an empty name means the key's default
// value), or an empty text when the key or value is missing or the data
// does not fit in 260 bytes. The value's type is ignored; nothing in it is
// expanded.
CString ReadRegString(HKEY hRoot, const char* pszKey, const char* pszValue);

// The folder of an existing installation, without a trailing backslash, or
// empty: the vendor key's "Path", else the product's application path.
CString FindPreviousInstallDir();

// The program-files folder without a trailing backslash.
CString GetProgramFilesDir();

// The folder of the running program without a trailing backslash.
CString GetModuleDir();

// Reads the file version of an executable into g_nVerMajor, g_nVerMinor,
// g_nVerRelease and g_nVerBuild; all four are 0 when the file is missing or
// has no version resource.
void ReadFileVersion(const char* pszPath);
