#include "SurfaceAccess.h"

namespace d3dx {

bool ResolveRect(const RECT* rect, UINT width, UINT height, RECT* out) {
    if (!rect) {
        *out = RECT{0, 0, LONG(width), LONG(height)};
        return width > 0 && height > 0;
    }
    *out = *rect;
    return rect->left >= 0 && rect->top >= 0 && rect->left < rect->right && rect->top < rect->bottom &&
           uint64_t(rect->right) <= width && uint64_t(rect->bottom) <= height;
}

SurfaceLock::~SurfaceLock() { Unlock(); }

HRESULT SurfaceLock::OpenForRead(IDirect3DSurface9* surface) { return Open(surface, false); }

HRESULT SurfaceLock::OpenForWrite(IDirect3DSurface9* surface) { return Open(surface, true); }

HRESULT SurfaceLock::Open(IDirect3DSurface9* surface, bool write) {
    if (!surface) return D3DERR_INVALIDCALL;
    HRESULT hr = surface->GetDesc(&m_desc);
    if (FAILED(hr)) return hr;
    if (!IsConvertibleFormat(m_desc.Format)) return D3DERR_INVALIDCALL;
    m_target = surface;
    D3DLOCKED_RECT locked{};
    hr = surface->LockRect(&locked, nullptr, write ? 0 : D3DLOCK_READONLY);
    if (SUCCEEDED(hr)) {
        m_locked = surface;
    } else {
        hr = MakeStaging(surface, write);
        if (FAILED(hr)) return hr;
        hr = m_staging->LockRect(&locked, nullptr, write ? 0 : D3DLOCK_READONLY);
        if (FAILED(hr)) return hr;
        m_locked = m_staging;
    }
    if (locked.Pitch <= 0 || !locked.pBits) {
        Unlock();
        return D3DERR_INVALIDCALL;
    }
    m_view = SurfaceView{m_desc.Format, static_cast<uint8_t*>(locked.pBits), uint64_t(locked.Pitch), m_desc.Width,
                         m_desc.Height};
    return S_OK;
}

HRESULT SurfaceLock::MakeStaging(IDirect3DSurface9* surface, bool write) {
    IDirect3DDevice9* device = nullptr;
    HRESULT hr = surface->GetDevice(&device);
    if (FAILED(hr)) return hr;
    hr = device->CreateOffscreenPlainSurface(m_desc.Width, m_desc.Height, m_desc.Format, D3DPOOL_SYSTEMMEM, &m_staging,
                                             nullptr);
    // Reading needs the target's pixels; a write only uploads what it wrote.
    if (SUCCEEDED(hr) && !write) hr = device->GetRenderTargetData(surface, m_staging);
    device->Release();
    return hr;
}

void SurfaceLock::Unlock() {
    if (m_locked) m_locked->UnlockRect();
    m_locked = nullptr;
    if (m_staging) m_staging->Release();
    m_staging = nullptr;
}

HRESULT SurfaceLock::Commit(const RECT& written) {
    if (!m_locked) return D3DERR_INVALIDCALL;
    m_locked->UnlockRect();
    m_locked = nullptr;
    HRESULT hr = S_OK;
    if (m_staging) {
        IDirect3DDevice9* device = nullptr;
        hr = m_target->GetDevice(&device);
        if (SUCCEEDED(hr)) {
            POINT at{written.left, written.top};
            hr = device->UpdateSurface(m_staging, &written, m_target, &at);
            device->Release();
        }
    }
    Unlock();
    return hr;
}

}  // namespace d3dx
