// The uninstall run of clean-up mode.
#pragma once

// Removes the product installed in pszProductFolder (a folder path that
// ends in a path separator): registry entries, file associations, the
// files and links of the install logs, default-named shortcuts and the
// folder itself when it is empty. Reports nothing and returns nothing.
void RunUninstall(const char* pszProductFolder);
