// Synchronisation objects: CMutex (a named or unnamed Win32 mutex) and
// CSingleLock, which takes one of them for a scope.
#pragma once
#include "framework/Object.h"

class CSyncObject : public CObject {
    DECLARE_DYNAMIC(CSyncObject)
public:
    ~CSyncObject() override;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;

    // Waits for the object; TRUE when it was obtained. An abandoned mutex
    // (its owner died while holding it) counts as obtained.
    virtual BOOL Lock(DWORD dwTimeout = INFINITE);
    virtual BOOL Unlock() = 0;
    HANDLE GetHandle() const { return m_hObject; }
    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject = nullptr;
protected:
    CSyncObject() = default;
};

class CMutex : public CSyncObject {
    DECLARE_DYNAMIC(CMutex)
public:
    // Creates the mutex or, when a mutex of that name exists, opens it.
    // m_hObject is null when neither was possible.
    explicit CMutex(BOOL bInitiallyOwn = FALSE, const char* lpszName = nullptr,
                    LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);
    BOOL Unlock() override;
};

class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
    ~CSingleLock();   // unlocks when locked
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    BOOL Lock(DWORD dwTimeout = INFINITE);
    BOOL Unlock();
    BOOL IsLocked() const { return m_bAcquired; }
private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired = FALSE;
};
