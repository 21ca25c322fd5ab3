// ID3DXBuffer: bytes owned by a reference count.
#include <atomic>
#include <new>
#include <vector>

#include "d3d9.h"
#include "d3dx9core.h"

namespace {

constexpr IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class Buffer final : public ID3DXBuffer {
public:
    explicit Buffer(DWORD size) : m_bytes(size, 0) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_ID3DXBuffer || riid == kIidUnknown) {
            AddRef();
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return m_bytes.empty() ? nullptr : m_bytes.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return DWORD(m_bytes.size()); }

private:
    ~Buffer() = default;

    std::atomic<ULONG> m_references{1};
    std::vector<BYTE> m_bytes;
};

}  // namespace

HRESULT D3DXCreateBuffer(DWORD size, LPD3DXBUFFER* buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    try {
        *buffer = new Buffer(size);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
