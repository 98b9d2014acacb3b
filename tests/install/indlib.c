/* A library that exists only where a test puts it: the system cannot load
   it by name unless the folder it lies in is searched. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
