// The reference count every D3DX object shares: the object deletes itself
// when the last reference goes.
#pragma once

#include <atomic>

#include "windows.h"

namespace d3dx {

inline constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

template <class Interface>
class RefCounted : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~RefCounted() = default;

    // QueryInterface answering to IUnknown and each of iids.
    template <class... Iids>
    HRESULT Answer(REFIID riid, void** object, const Iids&... iids) {
        if (!object) return E_POINTER;
        if (riid == kIidUnknown || (... || (riid == iids))) {
            AddRef();
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::atomic<ULONG> m_references{1};
};

}  // namespace d3dx
