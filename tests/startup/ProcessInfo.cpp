#include "startup/ProcessInfo.h"

#include <tlhelp32.h>
#include <winternl.h>

#include "bench/Wait.h"

namespace startup_test {

namespace {

std::string Narrow(const wchar_t* w, int n)
{
    int size = WideCharToMultiByte(CP_ACP, 0, w, n, nullptr, 0, nullptr, nullptr);
    std::string s(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, w, n, &s[0], size, nullptr, nullptr);
    return s;
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle()
    {
        if (h_ && h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

}  // namespace

std::vector<ProcessEntry> Processes()
{
    std::vector<ProcessEntry> out;
    Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snap.Get() == INVALID_HANDLE_VALUE)
        bench::ThrowLastError("taking a process snapshot");
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap.Get(), &pe); ok; ok = Process32Next(snap.Get(), &pe))
        out.push_back({pe.th32ProcessID, pe.th32ParentProcessID, pe.szExeFile});
    return out;
}

DWORD WaitChildOf(DWORD parentPid, DWORD timeoutMs)
{
    DWORD child = 0;
    bench::WaitUntil(
        [&] {
            for (const ProcessEntry& p : Processes())
                if (p.parentPid == parentPid && p.pid != parentPid)
                    child = p.pid;
            return child != 0;
        },
        "a child process of " + std::to_string(parentPid), timeoutMs);
    return child;
}

std::string CommandLineOf(DWORD pid)
{
    Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process.Get())
        bench::ThrowLastError("opening process " + std::to_string(pid));
    PROCESS_BASIC_INFORMATION pbi = {};
    ULONG len = 0;
    if (NtQueryInformationProcess(process.Get(), ProcessBasicInformation, &pbi, sizeof pbi, &len) != 0)
        throw bench::Error("NtQueryInformationProcess failed for " + std::to_string(pid));
    PEB peb = {};
    SIZE_T got = 0;
    if (!ReadProcessMemory(process.Get(), pbi.PebBaseAddress, &peb, sizeof peb, &got))
        bench::ThrowLastError("reading the PEB of " + std::to_string(pid));
    RTL_USER_PROCESS_PARAMETERS params = {};
    if (!ReadProcessMemory(process.Get(), peb.ProcessParameters, &params, sizeof params, &got))
        bench::ThrowLastError("reading the process parameters of " + std::to_string(pid));
    std::wstring text(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!text.empty() &&
        !ReadProcessMemory(process.Get(), params.CommandLine.Buffer, &text[0], params.CommandLine.Length, &got))
        bench::ThrowLastError("reading the command line of " + std::to_string(pid));
    return Narrow(text.c_str(), static_cast<int>(text.size()));
}

std::string ImagePathOf(DWORD pid)
{
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.Get())
        bench::ThrowLastError("opening process " + std::to_string(pid));
    char path[MAX_PATH * 2] = "";
    DWORD size = sizeof path;
    if (!QueryFullProcessImageNameA(process.Get(), 0, path, &size))
        bench::ThrowLastError("reading the image path of " + std::to_string(pid));
    return std::string(path, size);
}

bool IsRunning(DWORD pid)
{
    Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return process.Get() && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    int n = MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, &w[0], n);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(w.c_str(), &argc);
    std::vector<std::string> out;
    for (int i = 0; argv && i < argc; ++i)
        out.push_back(Narrow(argv[i], -1).c_str());
    LocalFree(argv);
    return out;
}

}  // namespace startup_test
