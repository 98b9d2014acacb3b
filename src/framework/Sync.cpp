#include "framework/Sync.h"
#include "win/Handle.h"

IMPLEMENT_DYNAMIC(CSyncObject, CObject)
IMPLEMENT_DYNAMIC(CMutex, CSyncObject)

CSyncObject::~CSyncObject()
{
    if (m_hObject) {
        win::PreserveLastError keep;
        CloseHandle(m_hObject);
    }
}

BOOL CSyncObject::Lock(DWORD dwTimeout)
{
    if (!m_hObject)
        return FALSE;
    DWORD r = WaitForSingleObject(m_hObject, dwTimeout);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

CMutex::CMutex(BOOL bInitiallyOwn, const char* lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute)
{
    m_hObject = CreateMutexA(lpsaAttribute, bInitiallyOwn, lpszName);
}

BOOL CMutex::Unlock() { return m_hObject && ReleaseMutex(m_hObject); }

CSingleLock::CSingleLock(CSyncObject* pObject, BOOL bInitialLock) : m_pObject(pObject)
{
    if (bInitialLock)
        Lock();
}

CSingleLock::~CSingleLock() { Unlock(); }

BOOL CSingleLock::Lock(DWORD dwTimeout)
{
    if (!m_bAcquired && m_pObject)
        m_bAcquired = m_pObject->Lock(dwTimeout);
    return m_bAcquired;
}

BOOL CSingleLock::Unlock()
{
    if (m_bAcquired && m_pObject->Unlock())
        m_bAcquired = FALSE;
    return !m_bAcquired;
}
