#include "uninstall/RegCleanup.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "win/RegKey.h"

namespace {

// The product's keys: the settings key is "SOFTWARE\<maker>\<product>", the
// maker key "SOFTWARE\<maker>", under the machine's, the current user's
// and every loaded profile's hive.
const char kMakerName[] = "Quorvane";
const char kProductName[] = "Pictavo 6";
const char kDocumentType[] = "PV6.Document";
const char kUninstallParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstallEntry[] = "Pictavo 6";
const char kAppPathsParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kAppPathEntry[] = "Pictavo6.exe";

// File associations: the per-user choice of application for each file
// name extension, or, when that key is missing, the classes root itself.
const char kFileExtsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const char kApplicationValue[] = "Application";
const char kPreviousAppValue[] = "PictavoOld";
const char kProductMarker[] = "Pictavo6.exe";
const char* const kImageTypes[] = {
    ".bmp", ".dib", ".gif", ".jpg", ".jpeg", ".tif", ".tiff", ".png", ".cmp", ".tga", ".wpg",
};

// Key names are enumerated and values read into buffers of this size.
constexpr DWORD kNameSize = 512;

// Reads a value into a buffer of kNameSize bytes (one more for a sure
// terminator); false when the value is missing or does not fit.
bool QueryValue(HKEY hKey, const char* pszName, char (&buffer)[kNameSize + 1])
{
    memset(buffer, 0, sizeof buffer);
    DWORD size = kNameSize;
    return RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size)
           == ERROR_SUCCESS;
}

// The settings key and the maker key of one hive.
void RemoveProductKeysUnder(HKEY hRoot, const char* pszSettingsKey, const char* pszMakerKey)
{
    DeleteRegTree(hRoot, pszSettingsKey);
    DeleteRegKeyIfNoSubkeys(hRoot, pszMakerKey);
}

// Deletes the one subkey of parent with a single key deletion.
void DeleteSubkeyOf(const char* pszParent, const char* pszName)
{
    win::RegKey parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, pszParent, KEY_ALL_ACCESS) == ERROR_SUCCESS)
        RegDeleteKeyA(parent, pszName);
}

}  // namespace

bool DeleteRegTree(HKEY hRoot, const char* pszPath)
{
    {
        win::RegKey key;
        if (key.Open(hRoot, pszPath, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
            char name[kNameSize];
            DWORD index = 0;
            while (RegEnumKeyA(key, index, name, kNameSize) == ERROR_SUCCESS) {
                ++index;
                // A deleted subkey moves the ones after it down by one.
                if (DeleteRegTree(key, name))
                    --index;
            }
        }
    }
    // Tried also when the key could not be opened; the system refuses a
    // key that still has subkeys.
    return RegDeleteKeyA(hRoot, pszPath) == ERROR_SUCCESS;
}

void DeleteRegKeyIfNoSubkeys(HKEY hRoot, const char* pszPath)
{
    DWORD count = 0;
    {
        win::RegKey key;
        if (key.Open(hRoot, pszPath, KEY_ALL_ACCESS) != ERROR_SUCCESS)
            return;
        char name[kNameSize];
        while (RegEnumKeyA(key, count, name, kNameSize) == ERROR_SUCCESS)
            ++count;
    }
    if (count == 0)
        RegDeleteKeyA(hRoot, pszPath);
}

void RemoveProductKeys()
{
    char settingsKey[MAX_PATH];
    char makerKey[MAX_PATH];
    snprintf(settingsKey, sizeof settingsKey, "SOFTWARE\\%s\\%s", kMakerName, kProductName);
    snprintf(makerKey, sizeof makerKey, "SOFTWARE\\%s", kMakerName);

    DeleteRegTree(HKEY_LOCAL_MACHINE, settingsKey);
    DeleteRegTree(HKEY_CURRENT_USER, settingsKey);
    DeleteRegKeyIfNoSubkeys(HKEY_LOCAL_MACHINE, makerKey);
    DeleteRegKeyIfNoSubkeys(HKEY_CURRENT_USER, makerKey);

    // Every profile loaded now, and the default profile.
    char user[kNameSize];
    for (DWORD index = 0; RegEnumKeyA(HKEY_USERS, index, user, kNameSize) == ERROR_SUCCESS; ++index) {
        win::RegKey userKey;
        if (userKey.Open(HKEY_USERS, user, KEY_ALL_ACCESS) != ERROR_SUCCESS)
            continue;
        RemoveProductKeysUnder(userKey, settingsKey, makerKey);
    }

    DeleteRegTree(HKEY_CLASSES_ROOT, kDocumentType);
    DeleteSubkeyOf(kUninstallParent, kUninstallEntry);
    DeleteSubkeyOf(kAppPathsParent, kAppPathEntry);
}

void RestoreFileAssociations()
{
    win::RegKey types;
    const char* valueName = kApplicationValue;
    if (types.Open(HKEY_CURRENT_USER, kFileExtsKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        if (types.Open(HKEY_CLASSES_ROOT, nullptr, KEY_ALL_ACCESS) != ERROR_SUCCESS)
            return;
        valueName = nullptr;   // the extension key's default value
    }

    bool changed = false;
    for (const char* type : kImageTypes) {
        win::RegKey typeKey;
        if (typeKey.Open(types, type, KEY_ALL_ACCESS) != ERROR_SUCCESS)
            continue;
        char value[kNameSize + 1];
        if (!QueryValue(typeKey, valueName, value) || !strstr(value, kProductMarker))
            continue;
        char previous[kNameSize + 1];
        if (!QueryValue(typeKey, kPreviousAppValue, previous))
            previous[0] = 0;
        if (previous[0]) {
            RegSetValueExA(typeKey, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(previous),
                           static_cast<DWORD>(strlen(previous) + 1));
        } else {
            RegDeleteValueA(typeKey, valueName);
        }
        RegDeleteValueA(typeKey, kPreviousAppValue);
        changed = true;
    }
    if (changed)
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
