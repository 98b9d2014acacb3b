// The registry of the test prefix: reading, writing, deleting, and scoped
// overrides that put the old state back when the test ends.
//
// Keys are given as a root (HKEY_LOCAL_MACHINE, ...) and a subkey path.
// Readers return std::nullopt / false for what is missing; writers throw
// bench::Error when the registry refuses.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "bench/Wait.h"

namespace bench {

bool RegKeyExists(HKEY root, const std::string& subkey);
bool RegValueExists(HKEY root, const std::string& subkey, const std::string& name);

// A REG_SZ or REG_EXPAND_SZ value (unexpanded); nullopt when the key or
// value is missing or has another type. name "" is the key's default value.
std::optional<std::string> RegReadString(HKEY root, const std::string& subkey, const std::string& name);
std::optional<DWORD> RegReadDword(HKEY root, const std::string& subkey, const std::string& name);
// A REG_MULTI_SZ value as its strings.
std::optional<std::vector<std::string>> RegReadMultiString(HKEY root, const std::string& subkey,
                                                           const std::string& name);

// The names of the subkeys and of the values of a key (empty when it is
// missing).
std::vector<std::string> RegSubkeys(HKEY root, const std::string& subkey);
std::vector<std::string> RegValueNames(HKEY root, const std::string& subkey);

// Create the key (and its parents) as needed and set the value.
void RegSetString(HKEY root, const std::string& subkey, const std::string& name, const std::string& value);
void RegSetDword(HKEY root, const std::string& subkey, const std::string& name, DWORD value);
void RegCreateKey(HKEY root, const std::string& subkey);
// Deleting what is missing is not an error.
void RegDeleteValue(HKEY root, const std::string& subkey, const std::string& name);
void RegDeleteTree(HKEY root, const std::string& subkey);

// Sets a string value, or removes it (std::nullopt), for the length of a
// scope; the destructor puts back the old value, with its type and bytes,
// or removes the value if it did not exist, and removes the keys that the
// override created when they are empty again.
class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, std::string subkey, std::string name, const std::optional<std::string>& value);
    ~ScopedRegValue();
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

private:
    HKEY root_;
    std::string subkey_, name_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
    std::string firstCreated_;  // the outermost key this override created, or ""
};

// Removes a whole key for the length of a scope and puts it back, with all
// its values and subkeys, afterwards (RegSaveKey cannot be used without
// the backup privilege, so the tree is copied in memory).
class ScopedRegKeyRemoved {
public:
    ScopedRegKeyRemoved(HKEY root, std::string subkey);
    ~ScopedRegKeyRemoved();
    ScopedRegKeyRemoved(const ScopedRegKeyRemoved&) = delete;
    ScopedRegKeyRemoved& operator=(const ScopedRegKeyRemoved&) = delete;

    struct Tree;

private:
    HKEY root_;
    std::string subkey_;
    Tree* saved_ = nullptr;
};

}  // namespace bench
