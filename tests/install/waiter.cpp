// A program that keeps running until the process named by its argument (a
// process id) ends: its image file is then a file in use, as the running
// product's is during an update.
#include <windows.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, strtoul(argv[1], nullptr, 10));
    if (!parent)
        return 3;
    WaitForSingleObject(parent, INFINITE);
    CloseHandle(parent);
    return 0;
}
