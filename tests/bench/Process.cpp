#include "bench/Process.h"

#include <algorithm>
#include <cstring>

#include "bench/Files.h"
#include "bench/Wait.h"

namespace bench {

std::string ExeDir()
{
    char buf[MAX_PATH * 2] = "";
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string path(buf, n);
    return path.substr(0, path.find_last_of("\\/"));
}

std::string BesideExe(const std::string& name) { return ExeDir() + "\\" + name; }

std::string QuoteArg(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& args)
{
    std::string s = QuoteArg(program);
    for (const std::string& a : args)
        s += " " + QuoteArg(a);
    return s;
}

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

// The test's environment with the changes, as a sorted ANSI block.
std::vector<char> EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& changes)
{
    std::vector<std::string> vars;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += std::strlen(p) + 1)
            vars.emplace_back(p);
        FreeEnvironmentStringsA(block);
    }
    auto nameOf = [](const std::string& v) {
        size_t eq = v.find('=', 1);  // "=C:=C:\x" names start with '='
        return Upper(v.substr(0, eq));
    };
    for (const auto& ch : changes) {
        const std::string name = Upper(ch.first);
        vars.erase(std::remove_if(vars.begin(), vars.end(), [&](const std::string& v) { return nameOf(v) == name; }),
                   vars.end());
        if (!ch.second.empty())
            vars.push_back(ch.first + "=" + ch.second);
    }
    std::sort(vars.begin(), vars.end(),
              [&](const std::string& a, const std::string& b) { return nameOf(a) < nameOf(b); });
    std::vector<char> out;
    for (const std::string& v : vars)
        out.insert(out.end(), v.c_str(), v.c_str() + v.size() + 1);
    out.push_back('\0');
    if (vars.empty())
        out.push_back('\0');
    return out;
}

}  // namespace

Process::Process(Process&& other) noexcept
    : process_(other.process_), pid_(other.pid_), path_(std::move(other.path_))
{
    other.process_ = nullptr;
    other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        this->~Process();
        process_ = other.process_;
        pid_ = other.pid_;
        path_ = std::move(other.path_);
        other.process_ = nullptr;
        other.pid_ = 0;
    }
    return *this;
}

Process::~Process()
{
    if (process_) {
        if (Running()) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, ProcessTimeout());
        }
        CloseHandle(process_);
        process_ = nullptr;
    }
}

Process Process::Start(const std::string& exe, const StartOptions& options)
{
    std::string path = exe;
    if (!options.copyTo.empty()) {
        size_t slash = options.copyTo.find_last_of("\\/");
        if (slash != std::string::npos)
            MakeDirs(options.copyTo.substr(0, slash));
        if (!CopyFileA(exe.c_str(), options.copyTo.c_str(), FALSE))
            ThrowLastError("copying " + exe + " to " + options.copyTo);
        path = options.copyTo;
    }
    std::string cmd = options.commandLine.empty() ? QuoteArg(path) : options.commandLine;
    std::vector<char> cmdBuf(cmd.begin(), cmd.end());
    cmdBuf.push_back('\0');
    std::vector<char> env;
    if (!options.env.empty())
        env = EnvironmentBlock(options.env);

    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof pi);
    if (!CreateProcessA(path.c_str(), cmdBuf.data(), nullptr, nullptr, FALSE, 0, env.empty() ? nullptr : env.data(),
                        options.currentDir.empty() ? nullptr : options.currentDir.c_str(), &si, &pi))
        ThrowLastError("starting " + cmd);
    CloseHandle(pi.hThread);
    Process p;
    p.process_ = pi.hProcess;
    p.pid_ = pi.dwProcessId;
    p.path_ = path;
    return p;
}

bool Process::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD Process::WaitExit(DWORD timeoutMs)
{
    if (!process_)
        throw Error("WaitExit on a process that was not started");
    if (timeoutMs == 0)
        timeoutMs = ProcessTimeout();
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        throw Error("process " + std::to_string(pid_) + " (" + path_ + ") still running after " +
                    std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code))
        ThrowLastError("reading the exit code of process " + std::to_string(pid_));
    return code;
}

void Process::Terminate(UINT exitCode)
{
    if (Running()) {
        TerminateProcess(process_, exitCode);
        WaitForSingleObject(process_, ProcessTimeout());
    }
}

bool WaitProcessGone(DWORD pid, DWORD timeoutMs)
{
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h)
        return true;
    DWORD r = WaitForSingleObject(h, timeoutMs ? timeoutMs : ProcessTimeout());
    CloseHandle(h);
    return r == WAIT_OBJECT_0;
}

}  // namespace bench
