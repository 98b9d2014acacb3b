// A restart of the prefix, with the file operations that Windows carries
// out at its next start, and the means to make those operations fail.
//
// Delayed operations are prefix-wide state: RestartPrefix carries out every
// pending operation of the prefix, also ones that another test left. A test
// that schedules operations should carry them out (RestartPrefix) before it
// ends. RestartPrefix, ScopedDenyDelayedOps and UrlRecorder hold the
// prefix lock (ScopedPrefixLock) while they run, so that test programs run
// in parallel do not meet in this state.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bench/Wait.h"

namespace bench {

// One entry of PendingFileRenameOperations, as MoveFileExA with
// MOVEFILE_DELAY_UNTIL_REBOOT wrote it: the "\??\" prefix is taken off;
// an empty target means deletion.
struct PendingRename {
    std::string source;
    std::string target;
    bool replaceExisting = false;  // MOVEFILE_REPLACE_EXISTING ("!" prefix)
};

// The prefix's pending operations, in the order in which they will be
// carried out.
std::vector<PendingRename> PendingRenames();

// The Windows folder's WININIT.INI.
std::string WininitPath();
// The lines of its [rename] section as (destination, source) pairs in
// file order; destination "NUL" means deletion.
std::vector<std::pair<std::string, std::string>> WininitRenames();

// Does what a restart of Windows does with pending file operations: runs
// "wineboot.exe -r" in the prefix and waits for it. Wine's wineboot then
// carries out the [rename] section of WININIT.INI (and renames the file to
// WININIT.BAK), then PendingFileRenameOperations, each in its own order.
// Running processes are not ended. Throws when wineboot fails or leaves
// operations behind.
void RestartPrefix();

// Denies delayed file operations for the length of a scope: the key
// HKLM\System\CurrentControlSet\Control\Session Manager gets the read-only
// DACL D:(A;;KR;;;WD), so MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT
// fails with ERROR_ACCESS_DENIED, as for a user without the rights. The
// destructor puts the original security descriptor back (through a handle
// opened with WRITE_DAC before the change).
class ScopedDenyDelayedOps {
public:
    ScopedDenyDelayedOps();
    ~ScopedDenyDelayedOps();
    ScopedDenyDelayedOps(const ScopedDenyDelayedOps&) = delete;
    ScopedDenyDelayedOps& operator=(const ScopedDenyDelayedOps&) = delete;

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> original_;
    HANDLE lock_ = nullptr;
};

// Holds the bench's prefix lock (a named mutex) for the length of a scope.
// Recursive on one thread. Throws when it cannot be had within
// 3 * ProcessTimeout().
class ScopedPrefixLock {
public:
    ScopedPrefixLock();
    ~ScopedPrefixLock();
    ScopedPrefixLock(const ScopedPrefixLock&) = delete;
    ScopedPrefixLock& operator=(const ScopedPrefixLock&) = delete;

private:
    HANDLE mutex_ = nullptr;
};

}  // namespace bench
