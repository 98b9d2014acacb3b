/* A library that the installation run loads while it checks a
   "File Copy ind: " record of the wizard tests' manifest. When the test
   process has created the two events named after its process id, loading
   the library signals the first and waits for the second: the installation
   pauses inside the real run, the wizard stays in its installing state, and
   the robot can look at it. Without the events it does nothing. */
#include <windows.h>
#include <stdio.h>

/* The longest pause, so that a test that fails to release it still ends. */
#define HOLD_LIMIT_MS 60000

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char name[64];
        snprintf(name, sizeof name, "WizardTestHold.Entered.%lu", GetCurrentProcessId());
        HANDLE entered = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
        if (entered) {
            snprintf(name, sizeof name, "WizardTestHold.Release.%lu", GetCurrentProcessId());
            HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, name);
            SetEvent(entered);
            if (release) {
                WaitForSingleObject(release, HOLD_LIMIT_MS);
                CloseHandle(release);
            }
            CloseHandle(entered);
        }
    }
    return TRUE;
}
