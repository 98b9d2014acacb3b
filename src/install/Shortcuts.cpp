#include "install/Shortcuts.h"

#include <shlobj.h>
#include <string.h>
#include "app/SetupState.h"
#include "framework/App.h"
#include "install/ComInit.h"
#include "install/InstallNames.h"
#include "install/LogFormat.h"
#include "install/Paths.h"
#include "win/ComPtr.h"

HRESULT CreateShellLink(const char* pszTarget, const char* pszLinkPath, const char* pszWorkDir)
{
    EnsureComInitialized();

    // The target without one leading and one trailing double quote.
    if (*pszTarget == '"')
        ++pszTarget;
    size_t targetLength = strlen(pszTarget);
    if (targetLength > 0 && pszTarget[targetLength - 1] == '"')
        --targetLength;
    if (targetLength > static_cast<size_t>(kMaxLinkTarget) ||
        strlen(pszLinkPath) > static_cast<size_t>(kMaxLinkPath))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    char target[kMaxLinkTarget + 1];
    memcpy(target, pszTarget, targetLength);
    target[targetLength] = 0;
    WCHAR linkPath[kMaxLinkPath + 1];
    if (!MultiByteToWideChar(CP_ACP, 0, pszLinkPath, -1, linkPath, kMaxLinkPath + 1))
        return HRESULT_FROM_WIN32(GetLastError());

    win::ComPtr<IShellLinkA> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    win::ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.ReceiveVoid());
    if (FAILED(hr))
        return hr;

    if (FAILED(link->SetPath(target)))
        AfxMessageBox("SetPath failed!", MB_OK);
    if (FAILED(link->SetDescription("")))
        AfxMessageBox("SetDescription failed!", MB_OK);
    if (pszWorkDir)
        link->SetWorkingDirectory(pszWorkDir);

    hr = file->Save(linkPath, TRUE);
    if (SUCCEEDED(hr))
        AppendLogLine(JoinPath(g_strInstallDir, kInstallLogName), CString(kRecShellLink) + pszLinkPath);
    return hr;
}
