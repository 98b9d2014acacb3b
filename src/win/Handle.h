// Owners of kernel handles. Copying is deleted, moving is allowed, and
// closing keeps GetLastError intact, so an early return after a failed call
// still reports that call's error.
#pragma once
#include <windows.h>

namespace win {

// Restores the thread's last-error value at scope exit.
class PreserveLastError {
public:
    PreserveLastError() : m_error(GetLastError()) {}
    ~PreserveLastError() { SetLastError(m_error); }
    PreserveLastError(const PreserveLastError&) = delete;
    PreserveLastError& operator=(const PreserveLastError&) = delete;
private:
    DWORD m_error;
};

// Owner of a handle closed with Close. Invalid is the value that means none
// (NULL for most handles, INVALID_HANDLE_VALUE for files and searches).
template <typename T, BOOL (WINAPI *Close)(T), T Invalid>
class UniqueHandle {
public:
    UniqueHandle() : m_h(Invalid) {}
    explicit UniqueHandle(T h) : m_h(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept { Reset(o.Release()); return *this; }

    bool IsValid() const { return m_h != Invalid && m_h != nullptr; }
    explicit operator bool() const { return IsValid(); }
    T Get() const { return m_h; }
    T Release() { T h = m_h; m_h = Invalid; return h; }
    void Reset(T h = Invalid) {
        if (IsValid()) {
            PreserveLastError keep;
            Close(m_h);
        }
        m_h = h;
    }
private:
    T m_h;
};

using ScopedHandle = UniqueHandle<HANDLE, CloseHandle, nullptr>;
// File handles from CreateFile use INVALID_HANDLE_VALUE for "none".
class ScopedFile {
public:
    ScopedFile() = default;
    explicit ScopedFile(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    bool IsValid() const { return m_h.IsValid(); }
    explicit operator bool() const { return IsValid(); }
    HANDLE Get() const { return m_h.Get(); }
    void Reset(HANDLE h = nullptr) { m_h.Reset(h == INVALID_HANDLE_VALUE ? nullptr : h); }
private:
    ScopedHandle m_h;
};

// A directory search from FindFirstFileA; the first entry is kept in Data().
class FindFile {
public:
    FindFile() = default;
    explicit FindFile(const char* pattern) { Open(pattern); }
    ~FindFile() { Close(); }
    FindFile(const FindFile&) = delete;
    FindFile& operator=(const FindFile&) = delete;

    bool Open(const char* pattern) {
        Close();
        m_h = FindFirstFileA(pattern, &m_data);
        return IsValid();
    }
    bool Next() { return FindNextFileA(m_h, &m_data) != FALSE; }
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAA& Data() const { return m_data; }
    // True for the entries "." and "..".
    bool IsDotEntry() const {
        const char* n = m_data.cFileName;
        return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
    }
    void Close() {
        if (IsValid()) {
            PreserveLastError keep;
            FindClose(m_h);
        }
        m_h = INVALID_HANDLE_VALUE;
    }
private:
    HANDLE m_h = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA m_data = {};
};

// A loaded library, freed at scope exit.
using ScopedLibrary = UniqueHandle<HMODULE, FreeLibrary, nullptr>;

}  // namespace win
