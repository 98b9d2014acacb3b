#include "install/FileReplace.h"

#include <windows.h>
#include "install/Paths.h"
#include "uninstall/RestartOps.h"

namespace {

// The path in the system's full form: separators as backslashes, "." and
// ".." resolved, so that two spellings of one place compare equal.
CString FullPath(const char* pszPath)
{
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA(pszPath, MAX_PATH, buffer, nullptr);
    return n > 0 && n < MAX_PATH ? CString(buffer) : CString(pszPath);
}

// Moves a target that is in use out of the way, or stages its replacement
// for the next restart when it cannot be moved.
void MoveAsideOrStage(const CString& strSource, const CString& strTarget)
{
    CString aside = strTarget + ".old";
    if (PathExists(aside) && !DeleteFileA(aside)) {
        // An aside file of an earlier update is still locked: let it go at
        // the restart and use a second name.
        ScheduleDeleteAtRestart(aside);
        aside += "2";
        DeleteFileA(aside);
    }
    if (MoveFileA(strTarget, aside)) {
        ScheduleDeleteAtRestart(aside);
        return;
    }
    // Neither deleted nor moved: at the restart the target goes first, then
    // the staging file takes its place (the requests run in this order).
    ScheduleDeleteAtRestart(strTarget);
    CString staging = strTarget + ".new";
    DeleteFileA(staging);
    if (CopyFileA(strSource, staging, FALSE))
        ScheduleRenameAtRestart(staging, strTarget);
}

}  // namespace

bool InstallFile(const char* pszName, const char* pszSourceFolder, const char* pszTargetFolder,
                 const char* pszTargetName)
{
    CString sourcePart = JoinPath(pszSourceFolder, "");
    CString targetPart = JoinPath(pszTargetFolder, "");
    bool hasNewName = pszTargetName && *pszTargetName;
    // "C:\Apps/" and "c:\apps\" are one folder too: treating them as two
    // would delete the source as the old target.
    bool sameFolder = FullPath(sourcePart).CompareNoCase(FullPath(targetPart)) == 0;
    if (sameFolder && !hasNewName)
        return true;

    CString source = sourcePart + pszName;
    if (!PathExists(source))
        return false;
    CString target = targetPart + (hasNewName ? pszTargetName : pszName);

    if (sameFolder) {
        // The new name may spell the source file itself; deleting it
        // would lose the source.
        if (FullPath(target).CompareNoCase(FullPath(source)) == 0)
            return true;
        if (PathExists(target) && !DeleteFileA(target))
            return false;
    }

    DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        ClearReadOnlyAndHidden(target, attributes);
        if (!DeleteFileA(target))
            MoveAsideOrStage(source, target);
    }
    return CopyFileA(source, target, FALSE) != FALSE;
}
