// What a test reads about processes that it did not start itself: the
// children of a process and the command line that a process was given.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace startup_test {

struct ProcessEntry {
    DWORD pid;
    DWORD parentPid;
    std::string exeName;
};

// The processes of the prefix now (a toolhelp snapshot).
std::vector<ProcessEntry> Processes();

// Waits for a child of parentPid to appear and returns its id; throws
// bench::Error when none appeared before the deadline (0: the bench's
// default).
DWORD WaitChildOf(DWORD parentPid, DWORD timeoutMs = 0);

// The command line of another running process, as it was passed to
// CreateProcess (read from its process parameters); throws bench::Error
// when it cannot be read.
std::string CommandLineOf(DWORD pid);

// The image path of another running process.
std::string ImagePathOf(DWORD pid);

// Whether a process with this id runs now.
bool IsRunning(DWORD pid);

// The command line split as CommandLineToArgvW splits it.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace startup_test
