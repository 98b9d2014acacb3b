#include "install/LogFormat.h"

#include <string.h>

bool ReadLogLine(FILE* pFile, char* pszLine)
{
    if (!pFile || !fgets(pszLine, kLogLineSize, pFile))
        return false;
    size_t n = strlen(pszLine);
    while (n > 1 && static_cast<unsigned char>(pszLine[n - 1]) <= ' ')
        pszLine[--n] = 0;
    return true;
}

bool CLogReader::Open(const char* pszPath)
{
    Close();
    m_pFile = fopen(pszPath, "rt");
    return m_pFile != nullptr;
}

void CLogReader::Close()
{
    if (m_pFile) {
        fclose(m_pFile);
        m_pFile = nullptr;
    }
}

void CLogReader::Rewind()
{
    if (m_pFile)
        rewind(m_pFile);
}

void AppendLogLine(const char* pszPath, const char* pszText)
{
    FILE* pFile = fopen(pszPath, "at");
    if (!pFile)
        return;
    fputs(pszText, pFile);
    fputc('\n', pFile);
    fclose(pFile);
}

const char* RecordArgument(const char* pszLine, const char* pszPrefix)
{
    size_t n = strlen(pszPrefix);
    return strncmp(pszLine, pszPrefix, n) == 0 ? pszLine + n : nullptr;
}

bool SplitCopyArgument(const char* pszArgument, CString& strSource, CString& strTarget)
{
    const char* gt = strchr(pszArgument, '>');
    if (!gt)
        return false;
    strSource = CString(pszArgument, static_cast<int>(gt - pszArgument));
    strSource.TrimRight();
    strTarget = gt + 1;
    strTarget.TrimLeft();
    return true;
}

CString RemovalName(const char* pszLine, const char* pszPrefix)
{
    CString line(pszLine);
    int cut = line.Find(" | ");
    if (cut >= 0)
        line.Truncate(cut);
    int prefixLength = static_cast<int>(strlen(pszPrefix));
    // A cut inside the prefix's own blank leaves no argument at all.
    if (line.GetLength() <= prefixLength)
        return CString();
    CString name = line.Mid(prefixLength);
    int gt = name.Find('>');
    if (gt >= 0) {
        name = name.Mid(gt + 1);
        name.TrimLeft();
    }
    return name;
}
