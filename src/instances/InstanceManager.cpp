#include "instances/InstanceManager.h"

#include <string.h>

IMPLEMENT_DYNAMIC(COXInstanceManager, CObject)

namespace {

// Each kernel object's name is its prefix followed directly by the
// instance name; the names carry no namespace prefix.
const char kListMutexPrefix[] = "COXInstanceManager_InstanceList_Mutex_";
const char kAdditionalMutexPrefix[] = "COXInstanceManager_Additional_Mutex_";
const char kFileMapPrefix[] = "COXInstanceManager_FileMap_";

// The title of an instance window begins with the product word, in this
// case.
const char kTitlePrefix[] = "Pictavo";

CString ObjectName(const char* pszPrefix, const char* pszInstanceName)
{
    return CString(pszPrefix) + pszInstanceName;
}

DWORD RoundUp(DWORD dwSize, DWORD dwGranularity)
{
    if (dwGranularity == 0)
        return dwSize;
    return (dwSize + dwGranularity - 1) / dwGranularity * dwGranularity;
}

struct WindowSearch {
    DWORD dwProcessId;
    HWND hWnd;
};

BOOL CALLBACK CheckInstanceWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != pSearch->dwProcessId)
        return TRUE;
    if (GetWindow(hWnd, GW_OWNER) != nullptr)
        return TRUE;
    if (GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
        return TRUE;
    char szTitle[512] = "";
    GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    if (strncmp(szTitle, kTitlePrefix, sizeof(kTitlePrefix) - 1) != 0)
        return TRUE;
    pSearch->hWnd = hWnd;
    return FALSE;
}

}  // namespace

COXInstanceManager::COXInstanceManager(const char* pszInstanceName, DWORD dwAdditionalSize)
    : m_strInstanceName(pszInstanceName),
      m_dwListAreaSize(kInstanceListSize),
      m_dwAdditionalAreaSize(dwAdditionalSize),
      m_mutexInstanceList(FALSE, ObjectName(kListMutexPrefix, pszInstanceName)),
      m_mutexAdditional(FALSE, ObjectName(kAdditionalMutexPrefix, pszInstanceName)),
      m_hFileMap(nullptr),
      m_pListView(nullptr),
      m_pAdditionalView(nullptr)
{
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    m_dwListAreaSize = RoundUp(m_dwListAreaSize, si.dwAllocationGranularity);
    m_dwAdditionalAreaSize = RoundUp(m_dwAdditionalAreaSize, si.dwAllocationGranularity);

    // Without the list mutex the list cannot be used safely; leaving the
    // mapping closed makes every operation fail.
    if (!m_mutexInstanceList.m_hObject)
        return;

    CString strMapName = ObjectName(kFileMapPrefix, pszInstanceName);
    CSingleLock lock(&m_mutexInstanceList, TRUE);
    m_hFileMap = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                                    m_dwListAreaSize + m_dwAdditionalAreaSize, strMapName);
    // A mapping that could not be created also gets here: the reset then
    // fails to map a view and does nothing.
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        ResetInstanceList();
    lock.Unlock();

    AddInstanceId(GetCurrentProcessId());
}

COXInstanceManager::~COXInstanceManager()
{
    RemoveInstanceId(GetCurrentProcessId());
    if (m_pAdditionalView) {
        UnmapViewOfFile(m_pAdditionalView);
        m_pAdditionalView = nullptr;
    }
    if (m_hFileMap) {
        CloseHandle(m_hFileMap);
        m_hFileMap = nullptr;
    }
    // The mutexes close as members, the additional one first.
}

COXInstanceManager::ListArea* COXInstanceManager::MapAndLock()
{
    if (!m_hFileMap)
        return nullptr;
    m_pListView = MapViewOfFile(m_hFileMap, FILE_MAP_ALL_ACCESS, 0, 0, m_dwListAreaSize);
    if (!m_pListView)
        return nullptr;
    if (!m_mutexInstanceList.Lock(INFINITE)) {
        UnmapViewOfFile(m_pListView);
        m_pListView = nullptr;
        return nullptr;
    }
    return static_cast<ListArea*>(m_pListView);
}

void COXInstanceManager::UnmapAndUnlock()
{
    UnmapViewOfFile(m_pListView);
    m_pListView = nullptr;
    m_mutexInstanceList.Unlock();
}

DWORD COXInstanceManager::ValidCount(const ListArea* pList)
{
    return pList->dwCount < kMaxInstances ? pList->dwCount : kMaxInstances;
}

DWORD COXInstanceManager::CountInstances()
{
    ListArea* pList = MapAndLock();
    if (!pList)
        return 0;
    DWORD dwCount = ValidCount(pList);
    UnmapAndUnlock();
    return dwCount;
}

BOOL COXInstanceManager::CopyInstanceIds(CDWordArray& ids)
{
    ListArea* pList = MapAndLock();
    if (!pList)
        return FALSE;
    DWORD dwCount = ValidCount(pList);
    ids.SetSize(dwCount);
    for (DWORD i = 0; i < dwCount; ++i)
        ids[i] = pList->adwIds[i];
    UnmapAndUnlock();
    return TRUE;
}

HWND COXInstanceManager::FindInstanceWindow(DWORD dwProcessId)
{
    WindowSearch search = { dwProcessId, nullptr };
    EnumWindows(CheckInstanceWindow, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

BOOL COXInstanceManager::AddInstanceId(DWORD dwProcessId)
{
    ListArea* pList = MapAndLock();
    if (!pList)
        return FALSE;
    BOOL bAdded = FALSE;
    DWORD dwCount = pList->dwCount;
    if (dwCount < kMaxInstances) {
        // The new id is not listed yet: the entering process is not told
        // about itself.
        for (DWORD i = 0; i < dwCount; ++i)
            PostMessageA(FindInstanceWindow(pList->adwIds[i]), IM_INSTANCE_ADDED, 0, dwProcessId);
        pList->adwIds[dwCount] = dwProcessId;
        pList->dwCount = dwCount + 1;
        bAdded = TRUE;
    }
    UnmapAndUnlock();
    return bAdded;
}

BOOL COXInstanceManager::RemoveInstanceId(DWORD dwProcessId)
{
    ListArea* pList = MapAndLock();
    if (!pList)
        return FALSE;
    BOOL bRemoved = FALSE;
    DWORD dwCount = ValidCount(pList);
    for (DWORD i = 0; i < dwCount; ++i) {
        if (pList->adwIds[i] != dwProcessId)
            continue;
        memmove(&pList->adwIds[i], &pList->adwIds[i + 1], (dwCount - i - 1) * sizeof(DWORD));
        pList->adwIds[dwCount - 1] = 0;
        pList->dwCount = --dwCount;
        for (DWORD j = 0; j < dwCount; ++j)
            PostMessageA(FindInstanceWindow(pList->adwIds[j]), IM_INSTANCE_REMOVED, 0, dwProcessId);
        bRemoved = TRUE;
        break;
    }
    UnmapAndUnlock();
    return bRemoved;
}

BOOL COXInstanceManager::ResetInstanceList()
{
    ListArea* pList = MapAndLock();
    if (!pList)
        return FALSE;
    pList->dwInitialised = 1;
    pList->dwCount = 0;
    memset(pList->adwIds, 0, sizeof(pList->adwIds));
    UnmapAndUnlock();
    return TRUE;
}
