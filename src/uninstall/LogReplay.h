// The removal side of the install logs: what a log records is deleted
// again. Used by the uninstall run, and by the installation run before it
// installs over an earlier installation.
//
// An install log lies in the product folder, which people with fewer rights
// than the uninstaller may be able to write. So removal stays within what
// the installation made: a file or "Make Dir: " record whose name is not
// relative to the product folder (a drive, a root or network path, a ".."
// component) removes nothing, nothing is deleted or removed through a
// subfolder that is a reparse point (a junction or symbolic link may lead
// anywhere), and a "Shell Link: " record deletes only a ".lnk" file.
#pragma once

// Two passes over the log: first every "Shell Link: " record's file is
// deleted (only when its name ends in ".lnk"), then for every "Made Dir: "
// record the folder is removed and, while that succeeds, each parent in
// turn. A log that cannot be opened does nothing.
void ReplayLinksAndFolders(const char* pszLogPath);

// Two passes over the log against the folder (which may end with a
// separator or not): first the file records are deleted with
// DeleteMatchingFiles by the removal-side split (a " | " remark cut off,
// of "source > target" only the target); with a single prefix only records
// of that kind, else all five kinds ("File Copy: ", "File Copy x64: ",
// "File Copy ind: ", "File Overwrite: ", "File Del: "). Then every
// "Make Dir: " record's folder is removed when it is empty, in log order,
// that one folder only.
void ReplayFileRecords(const char* pszLogPath, const char* pszFolder, const char* pszSinglePrefix);

// Deletes every file that the pattern (a name or wildcard pattern, with an
// optional relative subfolder part before its last backslash or slash)
// finds in the folder (which may end with a separator, or be empty),
// clearing the read-only and hidden attributes first. Entries that are
// folders only lose those attributes; with "*.*" that includes the entries
// "." and "..". Files that cannot be deleted stay; nothing is scheduled.
// Nothing happens when the pattern is not relative to the folder, when its
// subfolder part passes through a reparse point, or when the search path
// does not fit in MAX_PATH; an entry whose path does not fit is skipped.
// An entry that is itself a reparse point is deleted as a link (its
// target's attributes are not touched).
void DeleteMatchingFiles(const char* pszPattern, const char* pszFolder);
