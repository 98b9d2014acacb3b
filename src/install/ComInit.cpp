#include "install/ComInit.h"

#include <objbase.h>

void EnsureComInitialized()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    // A failure is not repeated: the COM calls that follow report it.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    s_bDone = true;
}
