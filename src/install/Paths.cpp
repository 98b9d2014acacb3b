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

bool PathExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool FolderExists(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ClearReadOnlyAndHidden(const char* path, DWORD attributes)
{
    attributes &= ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    // Zero would mean "leave unchanged" further down.
    SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
}

bool IsContainedRelativeName(const char* name)
{
    if (!name || !*name || name[0] == '\\' || name[0] == '/' || strchr(name, ':'))
        return false;
    // Each component: the system drops trailing dots and blanks, so a
    // component of dots and blanks with two dots or more climbs.
    const char* p = name;
    while (*p) {
        int dots = 0;
        bool onlyDotsAndBlanks = true;
        for (; *p && *p != '\\' && *p != '/'; ++p) {
            if (*p == '.')
                ++dots;
            else if (*p != ' ')
                onlyDotsAndBlanks = false;
        }
        if (onlyDotsAndBlanks && dots >= 2)
            return false;
        if (*p)
            ++p;
    }
    return true;
}
