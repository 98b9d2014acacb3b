// Child processes of a test: the program under test and the bench's helper
// programs, started as a user or the package would start them.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "bench/Wait.h"

namespace bench {

// The folder of the running test program, without a trailing backslash.
// Every executable of the test build (setup.exe, recorder.exe, the helper
// programs) lies in that folder.
std::string ExeDir();
// ExeDir() + "\" + name.
std::string BesideExe(const std::string& name);

// Quotes one command-line argument so that the C runtime and
// CommandLineToArgvW give it back unchanged.
std::string QuoteArg(const std::string& arg);
// The program and the arguments, quoted where needed, joined by blanks.
std::string CommandLine(const std::string& program, const std::vector<std::string>& args);

struct StartOptions {
    // The whole command line (argument 0 included). Empty: the quoted
    // executable path alone.
    std::string commandLine;
    // The current directory of the child. Empty: the test's own.
    std::string currentDir;
    // Variables set (or, with an empty value, removed) in the child's
    // environment, on top of the test's own environment.
    std::vector<std::pair<std::string, std::string>> env;
    // When set, the executable is first copied to this path (folders are
    // created), and the copy is started: for a program that must run under
    // another name or in another folder.
    std::string copyTo;
};

// A started child process. Not copyable; the destructor terminates the
// child if it is still running (the clean-up of a failed test) and closes
// the handles.
class Process {
public:
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Starts exe; throws bench::Error when it cannot be started.
    static Process Start(const std::string& exe, const StartOptions& options = StartOptions());

    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    // The path that was started (the copy when copyTo was given).
    const std::string& Path() const { return path_; }

    bool Running() const;
    // Waits for the end and returns the exit code; throws when the process
    // is still running after timeoutMs (0: ProcessTimeout()).
    DWORD WaitExit(DWORD timeoutMs = 0);
    // Terminates the process (if running) and waits for its end.
    void Terminate(UINT exitCode = 1);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    std::string path_;
};

// Waits until the process with this id has ended (or does not exist);
// false when it is still running after timeoutMs (0: ProcessTimeout()).
bool WaitProcessGone(DWORD pid, DWORD timeoutMs = 0);

}  // namespace bench
