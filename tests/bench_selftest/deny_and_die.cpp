// bench_deny_and_die.exe: dies inside a ScopedDenyDelayedOps scope, the way
// a crashing test program would, for the restart test that recovers from it.
#include <windows.h>

#include "bench/Restart.h"

int main()
{
    bench::ScopedDenyDelayedOps deny;
    TerminateProcess(GetCurrentProcess(), 9);
    return 0;
}
