#include "framework/Collections.h"

#include <stdlib.h>
#include <string.h>

IMPLEMENT_DYNAMIC(CDWordArray, CObject)

CDWordArray::~CDWordArray() { free(m_pData); }

void CDWordArray::SetSize(INT_PTR nNewSize)
{
    if (nNewSize < 0)
        nNewSize = 0;
    if (nNewSize > m_nCapacity) {
        INT_PTR nCap = m_nCapacity * 2 > nNewSize ? m_nCapacity * 2 : nNewSize;
        DWORD* p = static_cast<DWORD*>(realloc(m_pData, nCap * sizeof(DWORD)));
        if (!p)
            abort();
        m_pData = p;
        m_nCapacity = nCap;
    }
    if (nNewSize > m_nSize)
        memset(m_pData + m_nSize, 0, (nNewSize - m_nSize) * sizeof(DWORD));
    m_nSize = nNewSize;
}

INT_PTR CDWordArray::Add(DWORD value)
{
    INT_PTR n = m_nSize;
    SetSize(n + 1);
    m_pData[n] = value;
    return n;
}

void CDWordArray::InsertAt(INT_PTR nIndex, DWORD value)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex >= m_nSize) {
        SetSize(nIndex + 1);
    } else {
        SetSize(m_nSize + 1);
        memmove(m_pData + nIndex + 1, m_pData + nIndex, (m_nSize - 1 - nIndex) * sizeof(DWORD));
    }
    m_pData[nIndex] = value;
}

void CDWordArray::RemoveAt(INT_PTR nIndex, INT_PTR nCount)
{
    if (nIndex < 0 || nIndex >= m_nSize || nCount <= 0)
        return;
    if (nIndex + nCount > m_nSize)
        nCount = m_nSize - nIndex;
    memmove(m_pData + nIndex, m_pData + nIndex + nCount, (m_nSize - nIndex - nCount) * sizeof(DWORD));
    m_nSize -= nCount;
}
