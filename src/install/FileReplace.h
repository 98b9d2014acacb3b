// Putting one payload file in place, also over a read-only or hidden file
// and over a file in use (the running product, a loaded library).
#pragma once

// Copies the file `pszName` (which may carry a relative subfolder part)
// from the source folder into the target folder, under `pszTargetName` or,
// when that is null or empty, under its own name. Either folder may end
// with a separator or not. Returns true when the file is in place.
//
// - Source and target folder the same (compared as full paths: letter case,
//   slash or backslash, a trailing separator do not count) and no new name:
//   nothing to do, true.
// - Source missing: false, nothing touched.
// - Same folder, new name: an existing target is deleted first; when it
//   cannot be deleted it stays and the result is false. A new name that
//   names the source file itself leaves it alone: true.
// - A read-only or hidden target loses those attributes and is replaced;
//   the new file has the source file's attributes.
// - A target in use is renamed aside to "<target>.old" (or "<target>.old2"
//   when an earlier ".old" is still locked; that one is deleted at the next
//   restart), and the aside file is deleted at the next restart. A target
//   that cannot even be renamed is replaced at the next restart: the new
//   content waits in "<target>.new", the target's deletion and the rename
//   of the staging file onto it are scheduled in that order, and the result
//   is false because the target still holds the old content.
// The result is always that of the final copy onto the target. Nothing is
// shown and nothing is logged.
bool InstallFile(const char* pszName, const char* pszSourceFolder, const char* pszTargetFolder,
                 const char* pszTargetName);
