#include "bench/Files.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

#include "bench/Wait.h"

namespace bench {

std::string Join(const std::string& a, const std::string& b)
{
    if (a.empty())
        return b;
    char last = a.back();
    return (last == '\\' || last == '/') ? a + b : a + "\\" + b;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::string& path, const std::string& content)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        ThrowLastError("creating " + path);
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    DWORD err = GetLastError();
    CloseHandle(h);
    if (!ok || written != content.size())
        throw Error("writing " + path + ": " + ErrorText(err));
}

std::optional<std::string> ReadFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        out.append(buf, got);
    CloseHandle(h);
    return out;
}

std::vector<std::string> ListDir(const std::string& path)
{
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(Join(path, "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..")
            out.push_back(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    return out;
}

void MakeDirs(const std::string& path)
{
    if (path.empty() || IsDirectory(path))
        return;
    size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':')
        MakeDirs(path.substr(0, slash));
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        ThrowLastError("creating folder " + path);
}

bool RemoveTree(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return true;
    if (a & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileA(path.c_str()) != FALSE;
    bool ok = true;
    if (!(a & FILE_ATTRIBUTE_REPARSE_POINT))
        for (const std::string& n : ListDir(path))
            ok = RemoveTree(Join(path, n)) && ok;
    return RemoveDirectoryA(path.c_str()) != FALSE && ok;
}

bool WaitForFile(const std::string& path, DWORD timeoutMs)
{
    return PollUntil([&] { return Exists(path); }, timeoutMs ? timeoutMs : DefaultTimeout());
}

ScopedTempDir::ScopedTempDir(const std::string& prefix)
{
    char tmp[MAX_PATH] = "";
    DWORD n = GetTempPathA(sizeof tmp, tmp);
    if (n == 0 || n >= sizeof tmp)
        ThrowLastError("reading the temporary folder");
    // A name of our own, tried until one is new: the process id and a
    // counter keep parallel test programs apart.
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string p = Join(tmp, prefix + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(InterlockedIncrement(&counter)));
        if (CreateDirectoryA(p.c_str(), nullptr)) {
            path_ = p;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            ThrowLastError("creating temporary folder " + p);
    }
    throw Error("no free temporary folder name");
}

ScopedTempDir::~ScopedTempDir()
{
    // A program that the test started may still be ending and hold a file:
    // try again for a moment, then leave what remains.
    PollUntil([&] { return RemoveTree(path_); }, DefaultTimeout());
}

namespace {

template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr()
    {
        if (p)
            p->Release();
    }
};

void CheckHr(HRESULT hr, const std::string& what)
{
    if (FAILED(hr)) {
        char buf[16];
        wsprintfA(buf, "0x%08lX", static_cast<unsigned long>(hr));
        throw Error(what + " failed with " + buf);
    }
}

}  // namespace

ShortcutInfo ReadShortcut(const std::string& path)
{
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Uninit {
        bool on;
        ~Uninit()
        {
            if (on)
                CoUninitialize();
        }
    } uninit{SUCCEEDED(init)};

    ShortcutInfo info;
    {
        ComPtr<IShellLinkA> link;
        CheckHr(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link.p)),
                "creating a shell link object");
        ComPtr<IPersistFile> file;
        CheckHr(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)),
                "asking the shell link for IPersistFile");
        int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
        std::wstring wpath(n > 0 ? n : 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wpath[0], n);
        CheckHr(file.p->Load(wpath.c_str(), STGM_READ), "loading shortcut " + path);

        char buf[MAX_PATH * 4];
        WIN32_FIND_DATAA fd;
        buf[0] = '\0';
        if (SUCCEEDED(link.p->GetPath(buf, sizeof buf, &fd, SLGP_RAWPATH)))
            info.target = buf;
        buf[0] = '\0';
        if (SUCCEEDED(link.p->GetArguments(buf, sizeof buf)))
            info.arguments = buf;
        buf[0] = '\0';
        if (SUCCEEDED(link.p->GetWorkingDirectory(buf, sizeof buf)))
            info.workingDir = buf;
        buf[0] = '\0';
        if (SUCCEEDED(link.p->GetDescription(buf, sizeof buf)))
            info.description = buf;
        buf[0] = '\0';
        if (SUCCEEDED(link.p->GetIconLocation(buf, sizeof buf, &info.iconIndex)))
            info.iconPath = buf;
    }
    return info;
}

}  // namespace bench
