// Registry clean-up of the uninstall run: the product's own keys and the
// image file types that the product took over.
//
// Nothing here asks, reports or fails visibly: a key that cannot be opened
// or deleted (missing, or no access) stays, and the next item follows.
// Every key is opened with full access.
#pragma once
#include <windows.h>

// Deletes the product's keys: its settings key "SOFTWARE\Quorvane\Pictavo 6"
// (with everything beneath it) and then the maker key "SOFTWARE\Quorvane"
// when no subkey is left in it, under HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER
// and each key directly under HKEY_USERS; the document type "PV6.Document"
// of HKEY_CLASSES_ROOT; and, under HKEY_LOCAL_MACHINE, the uninstall entry
// "Pictavo 6" and the application path "Pictavo6.exe", each with a single
// key deletion (no subkeys deleted first).
void RemoveProductKeys();

// Gives the image file types (.bmp .dib .gif .jpg .jpeg .tif .tiff .png .cmp
// .tga .wpg) back to the application they had before the product took them
// over. The types live under HKEY_CURRENT_USER's Explorer\FileExts key with
// the value "Application"; when that key cannot be opened,
// HKEY_CLASSES_ROOT and the extension keys' default values are used. A type
// belongs to the product when its value contains "Pictavo6.exe"
// (case-sensitive); it then gets the text of its "PictavoOld" value back
// (or loses the value when "PictavoOld" is missing or empty), and
// "PictavoOld" is deleted. When at least one type was changed, the shell is
// told to reload its associations (SHCNE_ASSOCCHANGED).
void RestoreFileAssociations();

// Deletes root\path with every key beneath it, deepest first. A subkey
// that cannot be deleted is stepped over and the others still go; the key
// and its ancestors in the tree then stay. Returns true when root\path
// itself was deleted.
bool DeleteRegTree(HKEY hRoot, const char* pszPath);

// Deletes root\path when it has no subkeys; values do not prevent it.
void DeleteRegKeyIfNoSubkeys(HKEY hRoot, const char* pszPath);
