// Helpers of the engine's tests: a folder's whole content, files in new
// folders, and settings that a test changes for its own length.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "bench/Files.h"

namespace enginetest {

// Every entry below the folder as a relative path, folders with a
// trailing backslash, sorted case-insensitively (parents before children).
inline void ListTreeInto(const std::string& root, const std::string& rel, std::vector<std::string>& out)
{
    for (const std::string& name : bench::ListDir(rel.empty() ? root : bench::Join(root, rel))) {
        std::string path = rel.empty() ? name : rel + "\\" + name;
        if (bench::IsDirectory(bench::Join(root, path))) {
            out.push_back(path + "\\");
            ListTreeInto(root, path, out);
        } else {
            out.push_back(path);
        }
    }
}

inline std::vector<std::string> ListTree(const std::string& root)
{
    std::vector<std::string> out;
    ListTreeInto(root, "", out);
    return out;
}

// Creates the file's folder as needed, then writes it.
inline void PutFile(const std::string& path, const std::string& content)
{
    std::string folder = path.substr(0, path.find_last_of('\\'));
    if (!bench::Exists(folder))
        bench::MakeDirs(folder);
    bench::WriteFile(path, content);
}

// The current directory, put back at scope exit.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::string& path)
    {
        char buffer[MAX_PATH] = "";
        GetCurrentDirectoryA(MAX_PATH, buffer);
        old_ = buffer;
        SetCurrentDirectoryA(path.c_str());
    }
    ~ScopedCurrentDir() { SetCurrentDirectoryA(old_.c_str()); }
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;
private:
    std::string old_;
};

// The IsWow64Process seam of the setup state, answering as a 32-bit
// program on 64-bit Windows would (TRUE) or on 32-bit Windows (FALSE):
// the test programs are 64-bit, for which the real function says FALSE.
inline BOOL WINAPI ReportWow64(HANDLE, PBOOL result)
{
    *result = TRUE;
    return TRUE;
}
inline BOOL WINAPI ReportNoWow64(HANDLE, PBOOL result)
{
    *result = FALSE;
    return TRUE;
}

// A variable set for the length of a scope (a setting of the setup state).
template <typename T>
class ScopedAssign {
public:
    template <typename V>
    ScopedAssign(T& variable, const V& value) : variable_(variable), old_(variable) { variable_ = value; }
    ~ScopedAssign() { variable_ = old_; }
    ScopedAssign(const ScopedAssign&) = delete;
    ScopedAssign& operator=(const ScopedAssign&) = delete;
private:
    T& variable_;
    T old_;
};

}  // namespace enginetest
