// Deadlines and failures of the test bench.
//
// Every wait of the bench polls with a deadline; none sleeps a fixed time
// to let something happen. When a deadline passes, or an action cannot be
// carried out, the bench throws bench::Error with a message that says what
// it waited for or tried. GoogleTest reports an exception that leaves a test
// body as a failure of that test, with the message; bench::WithRobot does
// the same for its script thread.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace bench {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& what) : std::runtime_error(what) {}
};

// The default deadline of a wait for a window, a file or a state, in
// milliseconds: 5000, or the value of the environment variable
// BENCH_TIMEOUT_MS when it is set (for a slow machine).
DWORD DefaultTimeout();

// The deadline of a wait for a process to end: four times DefaultTimeout().
DWORD ProcessTimeout();

// Polls cond every few milliseconds until it returns true (true) or
// timeoutMs have passed (false). cond is called at least once, and once
// more after the deadline, so a condition that became true just in time
// counts.
bool PollUntil(const std::function<bool()>& cond, DWORD timeoutMs);

// PollUntil that throws bench::Error("timed out after N ms waiting for
// <what>") when the deadline passes. timeoutMs 0 means DefaultTimeout().
void WaitUntil(const std::function<bool()>& cond, const std::string& what, DWORD timeoutMs = 0);

// "error N: <system text>" for a Win32 error code.
std::string ErrorText(DWORD code);

// Throws bench::Error(what + ": " + ErrorText(GetLastError())).
[[noreturn]] void ThrowLastError(const std::string& what);

}  // namespace bench
