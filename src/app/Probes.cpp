#include "app/Probes.h"
#include "app/SetupState.h"
#include "win/Handle.h"

#include <stdlib.h>

namespace {

const char kVendorKey[] = "SOFTWARE\\Quorvane\\Pictavo 6";
const char kAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe";
const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
// Searched case-sensitively in the application path.
const char kProductExeTail[] = "\\Pictavo6.exe";

void DropOneTrailingBackslash(CString& str)
{
    int n = str.GetLength();
    if (n > 0 && str[n - 1] == '\\')
        str.Truncate(n - 1);
}

typedef DWORD(WINAPI* PFN_GETFILEVERSIONINFOSIZEA)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI* PFN_GETFILEVERSIONINFOA)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* PFN_VERQUERYVALUEA)(LPCVOID, LPCSTR, LPVOID*, PUINT);

template <typename T>
T GetProc(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
}

}  // namespace

CString FindPreviousInstallDir()
{
    CString strDir = ReadRegString(HKEY_LOCAL_MACHINE, kVendorKey, "Path");
    if (strDir.IsEmpty()) {
        CString strExe = ReadRegString(HKEY_LOCAL_MACHINE, kAppPathKey, "");
        int nPos = strExe.Find(kProductExeTail);
        if (nPos >= 0)
            strDir = strExe.Left(nPos);
    }
    DropOneTrailingBackslash(strDir);
    return strDir;
}

CString GetProgramFilesDir()
{
    CString strDir = ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
    if (strDir.IsEmpty()) {
        char szWindows[MAX_PATH] = "";
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        strDir = szWindows;
        int nPos = strDir.Find('\\');
        if (nPos >= 0)
            strDir.Truncate(nPos + 1);
        strDir += "Program Files";
    }
    DropOneTrailingBackslash(strDir);
    return strDir;
}

CString GetModuleDir()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CString strPath(szPath);
    int nPos = strPath.ReverseFind('\\');
    return nPos >= 0 ? strPath.Left(nPos) : CString();
}

void ReadFileVersion(const char* pszPath)
{
    g_nVerMajor = g_nVerMinor = g_nVerRelease = g_nVerBuild = 0;

    // The version library is loaded from the System folder by its full
    // path, never through the search path: setup.exe runs from a download
    // folder, where a planted version.dll would otherwise be loaded.
    char szLibrary[MAX_PATH + 16] = "";
    UINT n = GetSystemDirectoryA(szLibrary, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    lstrcatA(szLibrary, "\\version.dll");
    win::ScopedLibrary library(LoadLibraryA(szLibrary));
    if (!library)
        return;
    auto pfnSize = GetProc<PFN_GETFILEVERSIONINFOSIZEA>(library.Get(), "GetFileVersionInfoSizeA");
    auto pfnInfo = GetProc<PFN_GETFILEVERSIONINFOA>(library.Get(), "GetFileVersionInfoA");
    auto pfnQuery = GetProc<PFN_VERQUERYVALUEA>(library.Get(), "VerQueryValueA");
    if (!pfnSize || !pfnInfo || !pfnQuery)
        return;

    DWORD dwHandle = 0;
    DWORD dwSize = pfnSize(pszPath, &dwHandle);
    if (dwSize == 0)
        return;
    void* pData = malloc(dwSize);
    if (!pData)
        return;
    if (pfnInfo(pszPath, 0, dwSize, pData)) {
        VS_FIXEDFILEINFO* pInfo = nullptr;
        UINT uLen = 0;
        if (pfnQuery(pData, "\\", reinterpret_cast<void**>(&pInfo), &uLen) && pInfo &&
            uLen >= sizeof(VS_FIXEDFILEINFO)) {
            g_nVerMajor = HIWORD(pInfo->dwFileVersionMS);
            g_nVerMinor = LOWORD(pInfo->dwFileVersionMS);
            g_nVerRelease = HIWORD(pInfo->dwFileVersionLS);
            g_nVerBuild = LOWORD(pInfo->dwFileVersionLS);
        }
    }
    free(pData);
}
