#include "uninstall/Launcher.h"
#include "app/SetupState.h"
#include "uninstall/RestartOps.h"

#include <stdlib.h>

void LaunchCleanupCopy()
{
    char szTempDir[MAX_PATH] = "";
    char szCopy[MAX_PATH] = "";
    char szSelf[MAX_PATH] = "";
    if (!GetTempPathA(MAX_PATH, szTempDir))
        return;
    if (!GetTempFileNameA(szTempDir, "uni", 0, szCopy))
        return;
    GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    // The copy is started although its extension is not that of a
    // program; a failed copy leaves the empty file behind, which could not
    // start either.
    if (!CopyFileA(szSelf, szCopy, FALSE))
        return;

    CString strCommandLine = BuildCleanupCommandLine(szCopy, szSelf, g_bSilent);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(szCopy, strCommandLine.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // The process is replaced by its copy: it ends at once, without the
    // exit-time clean-up, so the uninstaller's executable is released as
    // soon as possible. Its entry in the product's instance list stays.
    _exit(0);
}
