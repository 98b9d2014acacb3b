// Owner of an open registry key.
#pragma once
#include <windows.h>
#include "win/Handle.h"

namespace win {

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& o) noexcept : m_key(o.m_key) { o.m_key = nullptr; }

    // RegOpenKeyExA; returns the Win32 error code.
    LONG Open(HKEY root, const char* path, REGSAM access) {
        Close();
        return RegOpenKeyExA(root, path, 0, access, &m_key);
    }
    // RegCreateKeyExA with default options; returns the Win32 error code.
    LONG Create(HKEY root, const char* path, REGSAM access = KEY_WRITE) {
        Close();
        return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                               nullptr, &m_key, nullptr);
    }
    void Close() {
        if (m_key) {
            PreserveLastError keep;
            RegCloseKey(m_key);
            m_key = nullptr;
        }
    }
    bool IsOpen() const { return m_key != nullptr; }
    HKEY Get() const { return m_key; }
    operator HKEY() const { return m_key; }
private:
    HKEY m_key = nullptr;
};

}  // namespace win
