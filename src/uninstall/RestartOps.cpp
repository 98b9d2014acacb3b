#include "uninstall/RestartOps.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kSection[] = "rename";
const char kIniFile[] = "WININIT.INI";   // no folder: the Windows folder is meant

// Appends one "destination=source" line to the section "rename" of
// WININIT.INI, after the lines that are there. The section is read and
// written as a whole; the buffer grows until the whole section fits, so an
// existing section of any length keeps every line.
void AppendWininitLine(const char* pszLine)
{
    size_t lineLength = strlen(pszLine);
    DWORD size = 16384;
    for (;;) {
        char* buffer = static_cast<char*>(malloc(size + lineLength + 2));
        if (!buffer)
            return;
        buffer[0] = 0;
        DWORD used = GetPrivateProfileSectionA(kSection, buffer, size, kIniFile);
        // A section that does not fit is cut and reported as size - 2.
        if (used + 2 >= size) {
            free(buffer);
            size *= 2;
            continue;
        }
        memcpy(buffer + used, pszLine, lineLength);
        buffer[used + lineLength] = 0;
        buffer[used + lineLength + 1] = 0;
        WritePrivateProfileSectionA(kSection, buffer, kIniFile);
        free(buffer);
        return;
    }
}

}  // namespace

void ScheduleDeleteAtRestart(const char* pszPath)
{
    if (MoveFileExA(pszPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return;
    size_t n = strlen(pszPath);
    char* line = static_cast<char*>(malloc(n + 5));
    if (!line)
        return;
    memcpy(line, "NUL=", 4);
    memcpy(line + 4, pszPath, n + 1);
    AppendWininitLine(line);
    free(line);
}

void ScheduleRenameAtRestart(const char* pszExistingPath, const char* pszNewPath)
{
    if (MoveFileExA(pszExistingPath, pszNewPath, MOVEFILE_DELAY_UNTIL_REBOOT))
        return;
    size_t a = strlen(pszNewPath), b = strlen(pszExistingPath);
    char* line = static_cast<char*>(malloc(a + b + 2));
    if (!line)
        return;
    memcpy(line, pszNewPath, a);
    line[a] = '=';
    memcpy(line + a + 1, pszExistingPath, b + 1);
    AppendWininitLine(line);
    free(line);
}
