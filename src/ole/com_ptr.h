// An owning reference to a COM-style object: Release on destruction, move-only.
#pragma once

#include <utility>

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes a new reference of its own on `p`.
    static ComPtr Share(T* p) {
        ComPtr result;
        result.m_p = p;
        if (p != nullptr)
            p->AddRef();
        return result;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // For out-parameters: drops the current reference and hands out the slot.
    T** Put() {
        Reset();
        return &m_p;
    }

    void Reset() {
        if (m_p != nullptr)
            std::exchange(m_p, nullptr)->Release();
    }

private:
    T* m_p = nullptr;
};
