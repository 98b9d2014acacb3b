#include "app/Probes.h"
#include "win/RegKey.h"

CString ReadRegString(HKEY hRoot, const char* pszKey, const char* pszValue)
{
    win::RegKey key;
    if (key.Open(hRoot, pszKey, KEY_READ) != ERROR_SUCCESS)
        return CString();
    // One byte more than the 260 the query may fill, so that a value that
    // fills the buffer without a terminating zero still ends inside it.
    char buffer[261] = {};
    DWORD size = 260;
    if (RegQueryValueExA(key, pszValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size)
        != ERROR_SUCCESS)
        return CString();
    return CString(buffer);
}
