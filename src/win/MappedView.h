// Owner of a mapped view of a file mapping, unmapped at scope exit.
#pragma once
#include <windows.h>
#include "win/Handle.h"

namespace win {

class MappedView {
public:
    MappedView() = default;
    MappedView(HANDLE mapping, DWORD access, DWORD size) { Map(mapping, access, size); }
    ~MappedView() { Unmap(); }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    void* Map(HANDLE mapping, DWORD access, DWORD size) {
        Unmap();
        if (mapping)
            m_p = MapViewOfFile(mapping, access, 0, 0, size);
        return m_p;
    }
    void Unmap() {
        if (m_p) {
            PreserveLastError keep;
            UnmapViewOfFile(m_p);
            m_p = nullptr;
        }
    }
    void* Get() const { return m_p; }
private:
    void* m_p = nullptr;
};

}  // namespace win
