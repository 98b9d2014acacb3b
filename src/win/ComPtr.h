// Owner of one COM interface pointer, released at scope exit.
#pragma once
#include <unknwn.h>

namespace win {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out-parameters: releases what is held and returns the slot.
    T** Receive() { Reset(); return &m_p; }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    void Reset() {
        if (m_p) {
            m_p->Release();
            m_p = nullptr;
        }
    }
private:
    T* m_p = nullptr;
};

}  // namespace win
