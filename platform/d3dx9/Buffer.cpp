// ID3DXBuffer: bytes owned by a reference count.
#include <new>
#include <vector>

#include "RefCounted.h"
#include "d3d9.h"
#include "d3dx9core.h"

namespace {

class Buffer final : public d3dx::RefCounted<ID3DXBuffer> {
public:
    explicit Buffer(DWORD size) : m_bytes(size, 0) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return Answer(riid, object, IID_ID3DXBuffer);
    }
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return m_bytes.empty() ? nullptr : m_bytes.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return DWORD(m_bytes.size()); }

private:
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
