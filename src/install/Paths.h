// Path helpers shared by the setup and uninstall sides. Paths are ANSI
// texts; folder paths in the setup state carry no trailing backslash.
#pragma once
#include <windows.h>
#include "framework/String.h"

// True when the text ends with a backslash or a slash.
bool EndsWithSeparator(const char* path);

// The folder and the name joined with one backslash, unless the folder
// already ends with a backslash or a slash (then nothing is added).
CString JoinPath(const char* folder, const char* name);

// The parent folder of a path: empty for an empty path; otherwise one
// trailing backslash is dropped and the text before the last backslash is
// returned, or an empty text when there is no backslash or it stands at the
// first position. C:\Apps\Pictavo\ gives C:\Apps; C: gives an empty text.
CString GetParentFolder(const char* path);

// True when a file or folder of that path exists.
bool PathExists(const char* path);

// True when the path names an existing folder.
bool FolderExists(const char* path);

// Writes the attributes back without the read-only and hidden bits, all
// other bits kept, so that the file can be deleted or overwritten.
void ClearReadOnlyAndHidden(const char* path, DWORD attributes);

// True when a name joined to a folder stays inside that folder: not empty,
// no drive or stream part (no ":"), no leading backslash or slash (a root
// or network path), and no ".." component (nor one that the system would
// read as "..", such as ".. " or "...").
bool IsContainedRelativeName(const char* name);
