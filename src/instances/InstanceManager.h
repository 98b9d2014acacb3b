// The product's list of its running processes, kept in named shared memory.
//
// Every process of the product (and of this program) enters its id at
// start and removes it at a normal exit, and tells the others by posting
// IM_INSTANCE_ADDED / IM_INSTANCE_REMOVED to their instance windows. The
// object names, the memory layout, the capacity, the message numbers and
// the locking order are an interface with the product: the product's own
// class uses exactly the same, so none of them may change.
//
// Shared memory "COXInstanceManager_FileMap_<name>", paging-file backed:
//   list area (4008 bytes, rounded up to the allocation granularity):
//     +0     header word, 1 once the list is initialised
//     +4     count of valid entries (0 to 1000)
//     +8     1000 process ids; entries from count on are 0
//   additional area (the nominal size given at construction, rounded up
//   the same way); this program only makes room for it.
// Mutexes "COXInstanceManager_InstanceList_Mutex_<name>" (guards the list
// area) and "COXInstanceManager_Additional_Mutex_<name>" (never taken here).
//
// Every list operation maps a view of the list area, takes the list mutex,
// works, unmaps the view and only then releases the mutex. A count read
// from the shared memory belongs to another process: no operation reads or
// writes an entry beyond the 1000 that the list holds, whatever it says.
#pragma once
#include "framework/Collections.h"
#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Sync.h"

// Posted with wParam 0 and the process id in lParam.
#define IM_INSTANCE_ADDED 1946
#define IM_INSTANCE_REMOVED 1947

// Capacity of the list and the nominal size of its area.
const DWORD kMaxInstances = 1000;
const DWORD kInstanceListSize = 8 + kMaxInstances * sizeof(DWORD);

class COXInstanceManager : public CObject {
    DECLARE_DYNAMIC(COXInstanceManager)
public:
    // Creates or opens the mutexes and the shared memory, initialises a
    // list that did not exist yet, and enters the current process. The
    // list mutex is held from before the shared memory is created or
    // opened until a new list has been initialised, so that a process
    // starting at the same moment cannot lose its entry to the reset.
    // When the list mutex cannot be created or opened, the object takes no
    // part in the list: every operation returns its failure value.
    COXInstanceManager(const char* pszInstanceName, DWORD dwAdditionalSize);
    // Removes the current process (telling the others) and releases the
    // kernel objects.
    ~COXInstanceManager() override;
    COXInstanceManager(const COXInstanceManager&) = delete;
    COXInstanceManager& operator=(const COXInstanceManager&) = delete;

    // The number of entries, the caller's own included (at most 1000); 0
    // when the list cannot be mapped.
    DWORD CountInstances();
    // Sets the array to the valid entries in list order; FALSE (array
    // untouched) when the list cannot be mapped.
    BOOL CopyInstanceIds(CDWordArray& ids);
    // The first top-level window, in EnumWindows order, of that process
    // that has no owner, is not a tool window and whose title begins with
    // "Pictavo" (case-sensitive); visibility does not matter. Null if none.
    static HWND FindInstanceWindow(DWORD dwProcessId);
    // Appends an id (also one already listed) after telling every listed
    // process; FALSE when the list is full or cannot be mapped.
    BOOL AddInstanceId(DWORD dwProcessId);
    // Removes the first entry with that id, keeping the order of the
    // others, then tells every remaining process; FALSE when none matched.
    BOOL RemoveInstanceId(DWORD dwProcessId);
    // Writes an empty, initialised list.
    BOOL ResetInstanceList();

private:
    struct ListArea {
        DWORD dwInitialised;
        DWORD dwCount;
        DWORD adwIds[kMaxInstances];
    };
    static_assert(sizeof(ListArea) == kInstanceListSize, "list area layout");

    // Map, then lock; null (nothing held) on failure. Every successful call
    // is paired with UnmapAndUnlock.
    ListArea* MapAndLock();
    // Unmap, then unlock.
    void UnmapAndUnlock();
    // The count field, limited to the capacity.
    static DWORD ValidCount(const ListArea* pList);

    CString m_strInstanceName;
    DWORD m_dwListAreaSize;         // rounded; the size of every view mapped
    DWORD m_dwAdditionalAreaSize;   // rounded
    CMutex m_mutexInstanceList;
    CMutex m_mutexAdditional;
    HANDLE m_hFileMap;
    void* m_pListView;              // mapped only while an operation runs
    void* m_pAdditionalView;        // never mapped by this program
};

// The program's one instance list object ("Quorvane.PictavoPro.v4"),
// defined with the setup state so that it is constructed first.
extern COXInstanceManager g_InstanceManager;
