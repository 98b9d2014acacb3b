#include "install/Manifest.h"

#include <windows.h>
#include "app/SetupState.h"
#include "install/FileReplace.h"
#include "install/InstallNames.h"
#include "install/LogFormat.h"
#include "install/Paths.h"
#include "win/Handle.h"

namespace {

// Creates the folder and every missing folder above it; failures are left
// to the copies that follow.
void CreateFolderWithParents(const char* pszFolder)
{
    CString work(pszFolder);
    work.Replace('/', '\\');
    // Leading backslashes stay: they make the path a root or network path,
    // and without them the parents would be created in the current folder.
    work.TrimLeft(" \t\r\n");
    work.TrimRight(" \t\r\n\\");
    for (int p = work.Find('\\', 1); p >= 1; p = work.Find('\\', p + 1))
        CreateDirectoryA(work.Left(p), nullptr);
    CreateDirectoryA(pszFolder, nullptr);
}

void CopyRecord(const char* pszArgument)
{
    CString source, target;
    if (SplitCopyArgument(pszArgument, source, target))
        InstallFile(source, g_strSourceDir, g_strInstallDir, target);
    else
        InstallFileSet(pszArgument, g_strInstallDir, g_strSourceDir);
}

// True when the system loads a library of this name without the copy that
// stands beside the setup program (the folder of the running program is the
// first place the library search looks).
bool SystemHasLibrary(const char* pszArgument)
{
    CString name, ignored;
    if (!SplitCopyArgument(pszArgument, name, ignored))
        name = pszArgument;
    CString source = JoinPath(g_strSourceDir, name);
    CString hidden = source + ".toinst";
    BOOL renamed = MoveFileA(source, hidden);
    // A library that is not there is an answer, not an error to show.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    win::ScopedLibrary library(LoadLibraryA(name));
    SetErrorMode(oldMode);
    if (renamed)
        MoveFileA(hidden, source);
    return library.IsValid();
}

}  // namespace

bool Is64BitWindows()
{
    BOOL wow64 = FALSE;
    return g_pfnIsWow64Process && g_pfnIsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

int InstallFileSet(const char* pszPattern, const char* pszTargetFolder, const char* pszSourceFolder)
{
    CString search = JoinPath(pszSourceFolder, pszPattern);
    win::FindFile find;
    if (!find.Open(search))
        return 0;
    if (!FolderExists(pszTargetFolder))
        CreateFolderWithParents(pszTargetFolder);

    CString sourceSide(pszSourceFolder), targetSide(pszTargetFolder);
    CString pattern(pszPattern);
    int lastBackslash = pattern.ReverseFind('\\');
    if (lastBackslash >= 0) {
        sourceSide = search.Left(search.ReverseFind('\\'));
        targetSide = JoinPath(pszTargetFolder, pattern.Left(lastBackslash));
    }

    int count = 0;
    do {
        if (find.IsDotEntry())
            continue;
        if (!InstallFile(find.Data().cFileName, sourceSide, targetSide, nullptr))
            break;
        ++count;
    } while (find.Next());
    return count;
}

void ProcessManifest(const char* pszManifestPath)
{
    bool is64Bit = Is64BitWindows();
    CLogReader manifest(pszManifestPath);
    while (manifest.ReadLine()) {
        const char* line = manifest.Line();
        const char* argument;
        if ((argument = RecordArgument(line, kRecFileCopy))) {
            CopyRecord(argument);
        } else if ((argument = RecordArgument(line, kRecFileCopyX64))) {
            if (is64Bit)
                CopyRecord(argument);
        } else if ((argument = RecordArgument(line, kRecFileCopyInd))) {
            if (!SystemHasLibrary(argument))
                CopyRecord(argument);
        } else if ((argument = RecordArgument(line, kRecMakeDir))) {
            CreateDirectoryA(JoinPath(g_strInstallDir, argument), nullptr);
        }
    }
}
