// Records the web addresses that the program under test opens through the
// shell (ShellExecute "open" of an http or https address).
//
// For the length of its scope, HKCR\http\shell\open\command and
// HKCR\https\shell\open\command of the prefix run
//     "<folder>\recorder.exe" "%1"
// where <folder> is a temporary folder of this recorder holding its own copy
// of the bench's recorder.exe. That program appends its first argument as
// one line to recorder.log beside itself and ends. The old commands are put
// back when the scope ends.
//
// Waiting for an address is a plain wait with a deadline. Asserting that NO
// address was opened is waiting for the absence of an event, so it has a
// rule: call AddressesWhenIdle() only after everything that could open an
// address has returned: the in-process call that may open it has returned,
// or the process under test has ended. ShellExecute creates the recorder's
// process before it returns, so by then every recorder that will ever run
// has been created; AddressesWhenIdle() then waits until none of them runs
// any more (a running program's file cannot be deleted, so it waits until
// its copy of recorder.exe can be deleted, and puts the copy back) and
// reads the log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bench/Files.h"
#include "bench/Registry.h"
#include "bench/Restart.h"

namespace bench {

class UrlRecorder {
public:
    UrlRecorder();
    ~UrlRecorder();
    UrlRecorder(const UrlRecorder&) = delete;
    UrlRecorder& operator=(const UrlRecorder&) = delete;

    // The command that the http and https keys hold now.
    const std::string& Command() const { return command_; }

    // The addresses recorded so far, in the order in which they arrived.
    std::vector<std::string> Addresses() const;

    // Waits until at least n addresses were recorded and returns all of
    // them; throws when fewer arrived within timeoutMs (0: DefaultTimeout()).
    std::vector<std::string> WaitForAddresses(size_t n, DWORD timeoutMs = 0) const;

    // The addresses once no recorder runs any more; see the rule above.
    std::vector<std::string> AddressesWhenIdle(DWORD timeoutMs = 0) const;

private:
    ScopedPrefixLock lock_;
    ScopedTempDir dir_;
    std::string exe_, log_, command_;
    std::unique_ptr<ScopedRegValue> http_, https_;
};

}  // namespace bench
