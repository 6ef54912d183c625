// Reference counting shared by every object the engine hands out. An object starts with one
// reference, the one its creator hands to the caller.
#pragma once

#include <initializer_list>

#include "ole_interfaces.h"

template <class Interface> class ComObject : public Interface {
public:
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        const ULONG left = --m_refs;
        if (left == 0)
            OnFinalRelease();
        return left;
    }

protected:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // Called when the last reference is gone; objects with more to do than being deleted
    // (a root that writes itself out, a storage that reverts its children) override it.
    virtual void OnFinalRelease() { delete this; }

    // QueryInterface over the interfaces this object answers to.
    HRESULT AnswerInterface(REFIID riid, void** ppv, std::initializer_list<IID> answered) {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!(riid == IID_IUnknown)) {
            bool found = false;
            for (const IID& iid : answered)
                found = found || iid == riid;
            if (!found)
                return E_NOINTERFACE;
        }
        *ppv = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

private:
    ULONG m_refs = 1;
};
