// Helper process for the CMutex tests: mutex_probe NAME MODE
//   try          exit code 1 when the named mutex could be taken at once, 0 when not
//   hold-and-die take the mutex and end without releasing it (abandoned); exit code 2
#include "framework/Sync.h"

#include <string.h>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 100;
    CMutex mutex(FALSE, argv[1]);
    if (!mutex.m_hObject)
        return 101;
    CSingleLock lock(&mutex);
    if (strcmp(argv[2], "try") == 0)
        return lock.Lock(0) ? 1 : 0;
    if (strcmp(argv[2], "hold-and-die") == 0) {
        if (!lock.Lock(5000))
            return 102;
        ExitProcess(2);   // no release: the mutex is abandoned
    }
    return 103;
}
