#include "uninstall/Launcher.h"

#include <string.h>

namespace {

CString QuoteIfNeeded(const char* pszPath)
{
    if (strpbrk(pszPath, " \t")) {
        CString str;
        str.Format("\"%s\"", pszPath);
        return str;
    }
    return CString(pszPath);
}

}  // namespace

CString BuildCleanupCommandLine(const char* pszCopyPath, const char* pszUninstallerPath, BOOL bSilent)
{
    CString strLine = QuoteIfNeeded(pszCopyPath);
    strLine += " -delself ";
    strLine += QuoteIfNeeded(pszUninstallerPath);
    if (bSilent)
        strLine += " -s";
    return strLine;
}

