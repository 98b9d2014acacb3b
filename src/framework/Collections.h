// CDWordArray: a growable array of 32-bit values.
#pragma once
#include "framework/Object.h"

class CDWordArray : public CObject {
    DECLARE_DYNAMIC(CDWordArray)
public:
    CDWordArray() = default;
    ~CDWordArray() override;
    CDWordArray(const CDWordArray&) = delete;
    CDWordArray& operator=(const CDWordArray&) = delete;

    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }
    bool IsEmpty() const { return m_nSize == 0; }
    // New elements are 0.
    void SetSize(INT_PTR nNewSize);
    void RemoveAll() { SetSize(0); }

    DWORD GetAt(INT_PTR nIndex) const { return m_pData[nIndex]; }
    void SetAt(INT_PTR nIndex, DWORD value) { m_pData[nIndex] = value; }
    DWORD& ElementAt(INT_PTR nIndex) { return m_pData[nIndex]; }
    DWORD operator[](INT_PTR nIndex) const { return m_pData[nIndex]; }
    DWORD& operator[](INT_PTR nIndex) { return m_pData[nIndex]; }
    DWORD* GetData() { return m_pData; }
    const DWORD* GetData() const { return m_pData; }

    INT_PTR Add(DWORD value);
    void InsertAt(INT_PTR nIndex, DWORD value);
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1);

private:
    DWORD* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nCapacity = 0;
};
