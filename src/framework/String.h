// CString: the framework's ANSI string. Texts are in the system code page;
// case-insensitive comparison and case conversion are multi-byte aware.
// A CString always holds a terminating zero and never a null pointer.
#pragma once
#include <windows.h>
#include <stdarg.h>

class CString {
public:
    CString();
    CString(const CString& s);
    CString(CString&& s) noexcept;
    CString(const char* psz);               // null gives an empty string
    CString(const char* pch, int nLength);  // the first nLength bytes
    CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& s);
    CString& operator=(CString&& s) noexcept;
    CString& operator=(const char* psz);
    CString& operator=(char ch);

    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty();
    operator const char*() const { return m_pch; }
    const char* GetString() const { return m_pch; }
    char GetAt(int nIndex) const { return m_pch[nIndex]; }
    char operator[](int nIndex) const { return m_pch[nIndex]; }
    void SetAt(int nIndex, char ch) { m_pch[nIndex] = ch; }

    CString& operator+=(const CString& s);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);
    void Append(const char* pch, int nLength);

    // Byte-wise comparison (strcmp) and case-insensitive comparison of
    // multi-byte text (_mbsicmp): <0, 0 or >0.
    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;

    // Positions are byte indexes; -1 when not found. A start beyond the
    // end finds nothing.
    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* pszCharSet) const;

    // Sub-strings; out-of-range arguments are clamped.
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;

    CString& MakeLower();   // multi-byte lower-casing (_mbslwr)
    CString& MakeUpper();   // multi-byte upper-casing (_mbsupr)

    // Without arguments these remove white space (blank, tab, CR, LF, VT, FF).
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim();
    CString& TrimLeft(const char* pszTargets);
    CString& TrimRight(const char* pszTargets);
    CString& Trim(const char* pszTargets);

    int Replace(char chOld, char chNew);
    int Replace(const char* pszOld, const char* pszNew);
    int Insert(int nIndex, const char* psz);
    int Delete(int nIndex, int nCount = 1);
    void Truncate(int nNewLength);

    // printf-style formatting (the C runtime's vsnprintf); the result
    // replaces the content.
    void Format(const char* pszFormat, ...);
    void FormatV(const char* pszFormat, va_list args);
    void AppendFormat(const char* pszFormat, ...);

    // Loads a string-table entry from the framework's resource handle.
    // Returns FALSE (and leaves the string empty) when the entry is missing.
    BOOL LoadString(UINT nID);

    // Direct buffer access: GetBuffer gives room for at least nMinLength
    // characters plus the terminator; ReleaseBuffer(-1) takes the length
    // from the first zero byte.
    char* GetBuffer(int nMinLength = 0);
    char* GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    void Reserve(int nCapacity);
    void Assign(const char* pch, int nLength);

    char* m_pch;
    int m_nLength;
    int m_nCapacity;   // bytes usable for characters, terminator excluded
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);
