#include "install/Paths.h"

#include <string.h>

bool EndsWithSeparator(const char* path)
{
    size_t n = path ? strlen(path) : 0;
    return n > 0 && (path[n - 1] == '\\' || path[n - 1] == '/');
}

CString JoinPath(const char* folder, const char* name)
{
    CString result(folder);
    if (!EndsWithSeparator(folder))
        result += '\\';
    result += name;
    return result;
}

CString GetParentFolder(const char* path)
{
    CString p(path);
    if (p.IsEmpty())
        return p;
    if (p[p.GetLength() - 1] == '\\')
        p.Truncate(p.GetLength() - 1);
    int pos = p.ReverseFind('\\');
    if (pos <= 0)
        return CString();
    return p.Left(pos);
}
