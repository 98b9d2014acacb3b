// Files and folders of the test prefix: a scoped temporary folder, whole
// files, listings, and shortcuts read back through the shell.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "bench/Wait.h"

namespace bench {

// a + "\" + b, without doubling a separator that a already ends with.
std::string Join(const std::string& a, const std::string& b);

bool Exists(const std::string& path);        // file or folder
bool IsFile(const std::string& path);
bool IsDirectory(const std::string& path);

// Writes content as the whole file (binary, created or truncated; the
// folder must exist). Throws on failure.
void WriteFile(const std::string& path, const std::string& content);
// The whole file's bytes; nullopt when it cannot be opened.
std::optional<std::string> ReadFile(const std::string& path);

// The names of a folder's entries without "." and "..", sorted
// case-insensitively; empty when the folder cannot be listed.
std::vector<std::string> ListDir(const std::string& path);

// Creates a folder and its missing parents; throws on failure.
void MakeDirs(const std::string& path);

// Removes a file or a folder tree, clearing read-only attributes first,
// without following reparse points (a linked folder is removed as the
// link). Returns false when something could not be removed (for example
// a running program); what can be removed is removed.
bool RemoveTree(const std::string& path);

// Waits until a file exists (true) or the deadline passes (false; 0:
// DefaultTimeout()).
bool WaitForFile(const std::string& path, DWORD timeoutMs = 0);

// A new, empty folder under the prefix's temporary folder, removed with
// everything in it when the scope ends. The name starts with prefix, which
// may contain blanks.
class ScopedTempDir {
public:
    explicit ScopedTempDir(const std::string& prefix = "bench");
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    // The folder, without a trailing backslash.
    const std::string& Path() const { return path_; }
    // Join(Path(), name).
    std::string operator/(const std::string& name) const { return Join(path_, name); }

private:
    std::string path_;
};

// What a shortcut (.lnk) holds, as the shell reads it back.
struct ShortcutInfo {
    std::string target;
    std::string arguments;
    std::string workingDir;
    std::string description;
    std::string iconPath;
    int iconIndex = 0;
};

// Loads a shortcut through IShellLinkA and IPersistFile::Load (COM is
// initialised on the calling thread if it is not yet); throws on failure.
ShortcutInfo ReadShortcut(const std::string& path);

}  // namespace bench
