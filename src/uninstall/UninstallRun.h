// The uninstall run of clean-up mode.
#pragma once

// Removes the product installed in pszProductFolder, a folder path that
// ends in a path separator (names are appended to it directly), in this
// order: the product's registry keys and file associations; the links and
// group folders, then the files and folders, that the legacy install log
// "install.log" and the install log "PtvUnInst.log" record; the install
// log itself; the product folder when it is empty by then (the current
// directory moves to the drive's root first); and the default-named items
// that an installation leaves in the shell folders: "Pictavo 6.lnk" in the
// start-up and desktop folders and the group "Pictavo 6" (its files, then
// the folder when empty) in the Programs folder, for all users and for
// every profile under HKEY_USERS.
//
// It asks nothing and reports nothing; a failed step is skipped and the
// next one follows. What cannot be removed (a file in use, a folder that is
// not empty, a key without access) stays, and nothing is scheduled for
// removal at restart. The legacy install log is read, never deleted.
void RunUninstall(const char* pszProductFolder);
