#include "uninstall/LogReplay.h"

#include <windows.h>
#include <string.h>
#include "install/InstallNames.h"
#include "install/LogFormat.h"
#include "install/Paths.h"
#include "win/Handle.h"

namespace {

const char* const kFileRecordPrefixes[] = {
    kRecFileCopy, kRecFileCopyX64, kRecFileCopyInd, kRecFileOverwrite, kRecFileDel,
};

bool IsReparsePoint(const char* pszPath)
{
    DWORD attributes = GetFileAttributesA(pszPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// True when a folder on the way from the base (a folder with its separator,
// or empty) to the first `length` characters of the relative name is a
// reparse point: each folder at a separator, then the name's part itself.
bool PassesReparsePoint(const CString& base, const CString& name, int length)
{
    for (int i = 1; i < length; ++i) {
        if ((name[i] == '\\' || name[i] == '/') && IsReparsePoint(base + name.Left(i)))
            return true;
    }
    return length > 0 && IsReparsePoint(base + name.Left(length));
}

int LastSeparator(const CString& name)
{
    int backslash = name.ReverseFind('\\'), slash = name.ReverseFind('/');
    return backslash > slash ? backslash : slash;
}

bool IsBareDrive(const CString& path)
{
    return path.GetLength() == 2 && path[1] == ':';
}

bool EndsWithLinkExtension(const char* pszPath)
{
    CString path(pszPath);
    int n = static_cast<int>(strlen(kLinkExtension));
    return path.GetLength() > n && path.Right(n).CompareNoCase(kLinkExtension) == 0;
}

// Removes one "Make Dir: " folder inside the folder, when it is empty.
void RemoveRecordFolder(const char* pszFolder, const char* pszName)
{
    CString name(pszName);
    if (!IsContainedRelativeName(name) || PassesReparsePoint(JoinPath(pszFolder, ""), name, name.GetLength()))
        return;
    RemoveDirectoryA(JoinPath(pszFolder, name));
}

}  // namespace

void DeleteMatchingFiles(const char* pszPattern, const char* pszFolder)
{
    if (!IsContainedRelativeName(pszPattern))
        return;
    CString base(pszFolder);
    if (!base.IsEmpty() && !EndsWithSeparator(pszFolder))
        base += '\\';
    CString pattern(pszPattern);
    // The subfolder part, separator included: entries are found in it and
    // deleted there.
    int subfolderLength = LastSeparator(pattern) + 1;
    if (subfolderLength > 0 && PassesReparsePoint(base, pattern, subfolderLength - 1))
        return;
    CString search = base + pattern;
    if (search.GetLength() >= MAX_PATH)
        return;
    win::FindFile find;
    if (!find.Open(search))
        return;
    CString entryBase = base + pattern.Left(subfolderLength);
    do {
        const WIN32_FIND_DATAA& data = find.Data();
        CString entry = entryBase + data.cFileName;
        if (entry.GetLength() >= MAX_PATH)
            continue;
        // Attributes of a link would be written to what it points to.
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            DWORD attributes = GetFileAttributesA(entry);
            if (attributes != INVALID_FILE_ATTRIBUTES)
                ClearReadOnlyAndHidden(entry, attributes);
        }
        DeleteFileA(entry);
    } while (find.Next());
}

void ReplayLinksAndFolders(const char* pszLogPath)
{
    CLogReader log(pszLogPath);
    if (!log.IsOpen())
        return;
    while (log.ReadLine()) {
        const char* path = RecordArgument(log.Line(), kRecShellLink);
        if (path && EndsWithLinkExtension(path))
            DeleteFileA(path);
    }
    log.Rewind();
    while (log.ReadLine()) {
        const char* path = RecordArgument(log.Line(), kRecMadeDir);
        if (!path)
            continue;
        // The group folder, then each parent that this leaves empty. The
        // climb ends at a drive ("C:" alone would name the drive's current
        // folder, not its root).
        for (CString folder(path); !folder.IsEmpty() && !IsBareDrive(folder) && RemoveDirectoryA(folder);)
            folder = GetParentFolder(folder);
    }
}

void ReplayFileRecords(const char* pszLogPath, const char* pszFolder, const char* pszSinglePrefix)
{
    const char* const* prefixes = kFileRecordPrefixes;
    size_t prefixCount = sizeof kFileRecordPrefixes / sizeof kFileRecordPrefixes[0];
    if (pszSinglePrefix) {
        prefixes = &pszSinglePrefix;
        prefixCount = 1;
    }
    CLogReader log(pszLogPath);
    if (!log.IsOpen())
        return;
    while (log.ReadLine()) {
        for (size_t i = 0; i < prefixCount; ++i) {
            if (RecordArgument(log.Line(), prefixes[i]))
                DeleteMatchingFiles(RemovalName(log.Line(), prefixes[i]), pszFolder);
        }
    }
    log.Rewind();
    while (log.ReadLine()) {
        if (const char* name = RecordArgument(log.Line(), kRecMakeDir))
            RemoveRecordFolder(pszFolder, name);
    }
}
