#include "framework/String.h"
#include "framework/Module.h"

#include <mbstring.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Shared by every empty string that has not needed a buffer of its own.
char s_empty[1] = { 0 };

const char kWhiteSpace[] = " \t\r\n\v\f";

int Clamp(int n, int lo, int hi) { return n < lo ? lo : (n > hi ? hi : n); }

}  // namespace

CString::CString() : m_pch(s_empty), m_nLength(0), m_nCapacity(0) {}

CString::CString(const CString& s) : CString() { Assign(s.m_pch, s.m_nLength); }

CString::CString(CString&& s) noexcept : m_pch(s.m_pch), m_nLength(s.m_nLength), m_nCapacity(s.m_nCapacity)
{
    s.m_pch = s_empty;
    s.m_nLength = 0;
    s.m_nCapacity = 0;
}

CString::CString(const char* psz) : CString() { if (psz) Assign(psz, (int)strlen(psz)); }

CString::CString(const char* pch, int nLength) : CString() { if (pch && nLength > 0) Assign(pch, nLength); }

CString::CString(char ch, int nRepeat) : CString()
{
    if (nRepeat > 0) {
        Reserve(nRepeat);
        memset(m_pch, ch, nRepeat);
        m_nLength = nRepeat;
        m_pch[m_nLength] = 0;
    }
}

CString::~CString()
{
    if (m_pch != s_empty)
        free(m_pch);
}

CString& CString::operator=(const CString& s)
{
    if (this != &s)
        Assign(s.m_pch, s.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& s) noexcept
{
    if (this != &s) {
        if (m_pch != s_empty)
            free(m_pch);
        m_pch = s.m_pch;
        m_nLength = s.m_nLength;
        m_nCapacity = s.m_nCapacity;
        s.m_pch = s_empty;
        s.m_nLength = 0;
        s.m_nCapacity = 0;
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    if (!psz) {
        Empty();
    } else if (psz >= m_pch && psz <= m_pch + m_nLength) {
        // Assigning a tail of ourselves.
        CString copy(psz);
        *this = static_cast<CString&&>(copy);
    } else {
        Assign(psz, (int)strlen(psz));
    }
    return *this;
}

CString& CString::operator=(char ch)
{
    Assign(&ch, 1);
    return *this;
}

void CString::Empty()
{
    m_nLength = 0;
    m_pch[0] = 0;
}

void CString::Reserve(int nCapacity)
{
    if (nCapacity <= m_nCapacity)
        return;
    int nNew = m_nCapacity * 2;
    if (nNew < nCapacity)
        nNew = nCapacity;
    if (nNew < 15)
        nNew = 15;
    char* p = static_cast<char*>(malloc(nNew + 1));
    if (!p)
        abort();
    memcpy(p, m_pch, m_nLength + 1);
    if (m_pch != s_empty)
        free(m_pch);
    m_pch = p;
    m_nCapacity = nNew;
}

void CString::Assign(const char* pch, int nLength)
{
    if (nLength <= 0) {
        Empty();
        return;
    }
    if (nLength > m_nCapacity) {
        CString fresh;
        fresh.Reserve(nLength);
        memcpy(fresh.m_pch, pch, nLength);
        fresh.m_nLength = nLength;
        fresh.m_pch[nLength] = 0;
        *this = static_cast<CString&&>(fresh);
        return;
    }
    memmove(m_pch, pch, nLength);
    m_nLength = nLength;
    m_pch[nLength] = 0;
}

void CString::Append(const char* pch, int nLength)
{
    if (!pch || nLength <= 0)
        return;
    if (pch >= m_pch && pch <= m_pch + m_nLength) {
        CString copy(pch, nLength);
        Append(copy.m_pch, copy.m_nLength);
        return;
    }
    Reserve(m_nLength + nLength);
    memcpy(m_pch + m_nLength, pch, nLength);
    m_nLength += nLength;
    m_pch[m_nLength] = 0;
}

CString& CString::operator+=(const CString& s) { Append(s.m_pch, s.m_nLength); return *this; }
CString& CString::operator+=(const char* psz) { if (psz) Append(psz, (int)strlen(psz)); return *this; }
CString& CString::operator+=(char ch) { Append(&ch, 1); return *this; }

int CString::Compare(const char* psz) const { return strcmp(m_pch, psz ? psz : ""); }

int CString::CompareNoCase(const char* psz) const
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(m_pch),
                    reinterpret_cast<const unsigned char*>(psz ? psz : ""));
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0)
        nStart = 0;
    if (nStart >= m_nLength)
        return -1;
    const char* p = static_cast<const char*>(memchr(m_pch + nStart, ch, m_nLength - nStart));
    return p ? (int)(p - m_pch) : -1;
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (!pszSub)
        return -1;
    if (nStart < 0)
        nStart = 0;
    if (nStart > m_nLength)
        return -1;
    const char* p = strstr(m_pch + nStart, pszSub);
    return p ? (int)(p - m_pch) : -1;
}

int CString::ReverseFind(char ch) const
{
    for (int i = m_nLength - 1; i >= 0; --i)
        if (m_pch[i] == ch)
            return i;
    return -1;
}

int CString::FindOneOf(const char* pszCharSet) const
{
    if (!pszCharSet)
        return -1;
    size_t n = strcspn(m_pch, pszCharSet);
    return (int)n < m_nLength ? (int)n : -1;
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, m_nLength); }

CString CString::Mid(int nFirst, int nCount) const
{
    nFirst = Clamp(nFirst, 0, m_nLength);
    nCount = Clamp(nCount, 0, m_nLength - nFirst);
    return CString(m_pch + nFirst, nCount);
}

CString CString::Left(int nCount) const { return CString(m_pch, Clamp(nCount, 0, m_nLength)); }

CString CString::Right(int nCount) const
{
    nCount = Clamp(nCount, 0, m_nLength);
    return CString(m_pch + m_nLength - nCount, nCount);
}

CString& CString::MakeLower()
{
    if (m_nLength)
        _mbslwr(reinterpret_cast<unsigned char*>(m_pch));
    return *this;
}

CString& CString::MakeUpper()
{
    if (m_nLength)
        _mbsupr(reinterpret_cast<unsigned char*>(m_pch));
    return *this;
}

CString& CString::TrimLeft() { return TrimLeft(kWhiteSpace); }
CString& CString::TrimRight() { return TrimRight(kWhiteSpace); }
CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft(const char* pszTargets)
{
    if (!pszTargets || !*pszTargets)
        return *this;
    int n = 0;
    while (n < m_nLength && strchr(pszTargets, m_pch[n]))
        ++n;
    if (n)
        Delete(0, n);
    return *this;
}

CString& CString::TrimRight(const char* pszTargets)
{
    if (!pszTargets || !*pszTargets)
        return *this;
    int n = m_nLength;
    while (n > 0 && strchr(pszTargets, m_pch[n - 1]))
        --n;
    Truncate(n);
    return *this;
}

CString& CString::Trim(const char* pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

int CString::Replace(char chOld, char chNew)
{
    int n = 0;
    for (int i = 0; i < m_nLength; ++i) {
        if (m_pch[i] == chOld) {
            m_pch[i] = chNew;
            ++n;
        }
    }
    return n;
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    if (!pszNew)
        pszNew = "";
    int nOld = (int)strlen(pszOld);
    int nNew = (int)strlen(pszNew);
    CString result;
    int count = 0;
    int pos = 0;
    for (;;) {
        int hit = Find(pszOld, pos);
        if (hit < 0)
            break;
        result.Append(m_pch + pos, hit - pos);
        result.Append(pszNew, nNew);
        pos = hit + nOld;
        ++count;
    }
    if (count) {
        result.Append(m_pch + pos, m_nLength - pos);
        *this = static_cast<CString&&>(result);
    }
    return count;
}

int CString::Insert(int nIndex, const char* psz)
{
    nIndex = Clamp(nIndex, 0, m_nLength);
    CString result(m_pch, nIndex);
    result += psz;
    result.Append(m_pch + nIndex, m_nLength - nIndex);
    *this = static_cast<CString&&>(result);
    return m_nLength;
}

int CString::Delete(int nIndex, int nCount)
{
    nIndex = Clamp(nIndex, 0, m_nLength);
    nCount = Clamp(nCount, 0, m_nLength - nIndex);
    if (nCount) {
        memmove(m_pch + nIndex, m_pch + nIndex + nCount, m_nLength - nIndex - nCount + 1);
        m_nLength -= nCount;
    }
    return m_nLength;
}

void CString::Truncate(int nNewLength)
{
    nNewLength = Clamp(nNewLength, 0, m_nLength);
    m_nLength = nNewLength;
    m_pch[m_nLength] = 0;
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n <= 0) {
        Empty();
        return;
    }
    CString result;
    result.Reserve(n);
    vsnprintf(result.m_pch, n + 1, pszFormat, args);
    result.m_nLength = n;
    *this = static_cast<CString&&>(result);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::AppendFormat(const char* pszFormat, ...)
{
    CString part;
    va_list args;
    va_start(args, pszFormat);
    part.FormatV(pszFormat, args);
    va_end(args);
    *this += part;
}

BOOL CString::LoadString(UINT nID)
{
    Empty();
    // With a zero buffer size LoadStringW hands out a pointer to the
    // resource text itself and its exact length.
    const WCHAR* text = nullptr;
    int nWide = LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (nWide <= 0 || !text)
        return FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, text, nWide, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return FALSE;
    char* p = GetBufferSetLength(n);
    WideCharToMultiByte(CP_ACP, 0, text, nWide, p, n, nullptr, nullptr);
    return TRUE;
}

char* CString::GetBuffer(int nMinLength)
{
    Reserve(nMinLength);
    if (m_pch == s_empty)
        Reserve(15);
    return m_pch;
}

char* CString::GetBufferSetLength(int nLength)
{
    if (nLength < 0)
        nLength = 0;
    GetBuffer(nLength);
    m_nLength = nLength;
    m_pch[nLength] = 0;
    return m_pch;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = (int)strnlen(m_pch, m_nCapacity);
    if (nNewLength > m_nCapacity)
        nNewLength = m_nCapacity;
    m_nLength = nNewLength;
    m_pch[m_nLength] = 0;
}

CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }

bool operator==(const CString& a, const CString& b) { return a.GetLength() == b.GetLength() && a.Compare(b) == 0; }
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
