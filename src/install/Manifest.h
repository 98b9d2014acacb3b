// Executing the manifest: its folder records and its copy records, with the
// rules for 64-bit Windows and for libraries that the system already has.
#pragma once

// Reads the manifest once, top to bottom, and executes as met:
// "File Copy: " records; "File Copy x64: " records on 64-bit Windows only;
// "File Copy ind: " records only when the system cannot load a library of
// that name by itself (the source file is renamed to "<name>.toinst" during
// the test, so that the copy beside the setup program does not answer it);
// "Make Dir: " records, which create one folder inside g_strInstallDir (not
// its parents). Copies go from g_strSourceDir to g_strInstallDir; a plain
// name or pattern through InstallFileSet, "source > target" through
// InstallFile. Failures leave their item out; nothing is reported. A
// manifest that cannot be opened installs nothing.
void ProcessManifest(const char* pszManifestPath);

// Installs every file that the pattern (a name or wildcard pattern relative
// to the source folder, with an optional subfolder part before its last
// backslash) finds, into the same relative place under the target folder,
// and returns how many were installed. When the pattern finds something and
// the target folder is missing, it is created with its parents; the
// subfolder of a pattern is not created. The first file that cannot be put
// in place ends the set.
int InstallFileSet(const char* pszPattern, const char* pszTargetFolder, const char* pszSourceFolder);

// True when this 32-bit program runs on 64-bit Windows: IsWow64Process
// (g_pfnIsWow64Process) exists and reports true for the current process.
bool Is64BitWindows();
