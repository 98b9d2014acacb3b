#include "app/SetupApp.h"
#include "app/SetupRun.h"
#include "app/SetupState.h"
#include "framework/Collections.h"
#include "framework/Module.h"
#include "instances/InstanceManager.h"
#include "res/resource.h"
#include "uninstall/RestartOps.h"
#include "uninstall/UninstallRun.h"
#include "win/Handle.h"

#include <mbstring.h>
#include <stdlib.h>
#include <string.h>

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

namespace {

// wParam of the close request to a running copy: the product knows it
// comes from the setup program.
const WPARAM kCloseFromSetup = 1001;
// The product's executable, as the package installs it.
const char kProductExe[] = "Pictavo6.exe";

// After the fixed wait the uninstaller has normally ended; if its file is
// still in use, it is tried again for a while before the run goes on.
const DWORD kUninstallerStartWaitMs = 1000;
const DWORD kUninstallerDeleteRetryMs = 5000;
const DWORD kUninstallerDeleteIntervalMs = 100;

bool IsArg(int i, const char* pszOption)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(__argv[i]),
                    reinterpret_cast<const unsigned char*>(pszOption)) == 0;
}

// The drive and folder of a path: everything up to and including its last
// backslash or slash (with the drive alone when there is none).
CString DriveAndFolder(const char* pszPath)
{
    const char* pEnd = nullptr;
    for (const char* p = pszPath; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            pEnd = p + 1;
    }
    if (pEnd)
        return CString(pszPath, static_cast<int>(pEnd - pszPath));
    if (pszPath[0] && pszPath[1] == ':')
        return CString(pszPath, 2);
    return CString();
}

void DeleteUninstaller(const char* pszPath)
{
    DWORD dwStart = GetTickCount();
    while (!DeleteFileA(pszPath)) {
        DWORD dwError = GetLastError();
        bool bInUse = dwError == ERROR_ACCESS_DENIED || dwError == ERROR_SHARING_VIOLATION;
        if (!bInUse || GetTickCount() - dwStart >= kUninstallerDeleteRetryMs)
            return;
        Sleep(kUninstallerDeleteIntervalMs);
    }
}

// Clean-up mode: this process is the temporary copy that the uninstaller
// started. It does not return.
[[noreturn]] void RunCleanupMode()
{
    Sleep(kUninstallerStartWaitMs);

    char szSelf[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    ScheduleDeleteAtRestart(szSelf);

    const char* pszUninstaller = __argv[2];
    CString strProductFolder = DriveAndFolder(pszUninstaller);
    DeleteUninstaller(pszUninstaller);
    RunUninstall(strProductFolder);

    if (!g_bSilent)
        AfxMessageBox(IDS_UNINSTALLED, MB_OK);
    // A normal exit: the static objects are destroyed, so this process
    // leaves the product's instance list.
    exit(0);
}

// Whether the image of an open process is the product's executable.
bool IsProductImage(HANDLE hProcess)
{
    char szImage[MAX_PATH * 2] = "";
    DWORD dwSize = sizeof(szImage);
    if (!QueryFullProcessImageNameA(hProcess, 0, szImage, &dwSize))
        return false;
    const char* pszName = szImage;
    for (const char* p = szImage; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            pszName = p + 1;
    }
    return _mbsicmp(reinterpret_cast<const unsigned char*>(pszName),
                    reinterpret_cast<const unsigned char*>(kProductExe)) == 0;
}

// Asks a running copy to close, then ends it. A listed id may be stale
// (its process was terminated or ended without leaving the list) and
// Windows reuses ids, so the process is ended only while it is still a
// copy of the product: it has an instance window, or it runs the product's
// executable.
void CloseRunningCopy(DWORD dwProcessId)
{
    HWND hWnd = COXInstanceManager::FindInstanceWindow(dwProcessId);
    if (hWnd)
        PostMessageA(hWnd, WM_CLOSE, kCloseFromSetup, 0);
    Sleep(10);
    DWORD dwAccess = PROCESS_TERMINATE | (hWnd ? 0 : PROCESS_QUERY_LIMITED_INFORMATION);
    win::ScopedHandle process(OpenProcess(dwAccess, FALSE, dwProcessId));
    if (!process)
        return;
    if (hWnd || IsProductImage(process.Get()))
        TerminateProcess(process.Get(), 0);
}

}  // namespace

BOOL CSetupApp::InitInstance()
{
    g_bSilent = 0;
    for (int i = 1; i < __argc; ++i) {
        if (IsArg(i, "-s")) {
            g_bSilent = 1;
            break;
        }
    }

    if (__argc >= 3 && strcmp(__argv[1], "-delself") == 0)
        RunCleanupMode();

    HINSTANCE hSelf = GetModuleHandleA(nullptr);
    AFX_MODULE_STATE* pState = AfxGetModuleState();
    pState->m_hCurrentInstanceHandle = hSelf;
    pState->m_hCurrentResourceHandle = hSelf;

    char szCaption[128] = "";
    LoadStringA(hSelf, IDS_SETUP_CAPTION, szCaption, sizeof(szCaption));

    bool bInstall = __argc >= 2 && IsArg(1, "-install");
    if (!bInstall) {
        char szSelf[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
        _mbslwr(reinterpret_cast<unsigned char*>(szSelf));
        bInstall = strstr(szSelf, "setup.exe") != nullptr;
    }

    char szMessage[256] = "";
    if (!bInstall && !g_bSilent) {
        LoadStringA(hSelf, IDS_CONFIRM_UNINSTALL, szMessage, sizeof(szMessage));
        if (MessageBoxA(nullptr, szMessage, szCaption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return FALSE;
    }

    int nOthers = static_cast<int>(g_InstanceManager.CountInstances()) - 1;
    if (nOthers > 0) {
        if (bInstall) {
            bool bAsk = true;
            for (int i = 2; i < __argc; ++i) {
                if (IsArg(i, "/s") || IsArg(i, "-s"))
                    bAsk = false;
            }
            if (bAsk) {
                CString strQuestion;
                if (nOthers == 1) {
                    LoadStringA(hSelf, IDS_CLOSE_ONE_INSTANCE, szMessage, sizeof(szMessage));
                    strQuestion = szMessage;
                } else {
                    LoadStringA(hSelf, IDS_CLOSE_INSTANCES, szMessage, sizeof(szMessage));
                    strQuestion.Format(szMessage, nOthers);
                }
                if (MessageBoxA(nullptr, strQuestion, szCaption, MB_YESNO | MB_ICONWARNING) != IDYES) {
                    LoadStringA(hSelf, IDS_SETUP_ABORTED, szMessage, sizeof(szMessage));
                    MessageBoxA(nullptr, szMessage, szCaption, MB_OK | MB_ICONINFORMATION);
                    return TRUE;
                }
            }
        }

        CDWordArray ids;
        if (g_InstanceManager.CopyInstanceIds(ids)) {
            INT_PTR nVisit = ids.GetSize() < nOthers ? ids.GetSize() : nOthers;
            DWORD dwSelf = GetCurrentProcessId();
            for (INT_PTR i = 0; i < nVisit; ++i) {
                if (ids[i] != dwSelf)
                    CloseRunningCopy(ids[i]);
            }
        }
    }

    if (bInstall)
        return RunSetup() != 0;
    LaunchCleanupCopy();
    return FALSE;
}
