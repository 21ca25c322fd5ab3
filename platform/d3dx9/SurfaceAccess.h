// Device surfaces as memory views for the loaders and savers.
#pragma once

#include "PixelFormat.h"
#include "d3d9.h"

namespace d3dx {

// Locks a whole surface for the lifetime of the object. A surface that
// cannot be locked itself (the default pool) is read through a
// system-memory copy taken with GetRenderTargetData, or written through a
// system-memory surface that Commit uploads with UpdateSurface.
class SurfaceLock {
public:
    SurfaceLock() = default;
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;
    ~SurfaceLock();

    HRESULT OpenForRead(IDirect3DSurface9* surface);
    HRESULT OpenForWrite(IDirect3DSurface9* surface);
    const SurfaceView& View() const { return m_view; }
    const D3DSURFACE_DESC& Desc() const { return m_desc; }
    // Unlocks; a staged write uploads the rectangle that was written.
    HRESULT Commit(const RECT& written);
    // Unlocks without uploading anything.
    void Close() { Unlock(); }

private:
    HRESULT Open(IDirect3DSurface9* surface, bool write);
    HRESULT MakeStaging(IDirect3DSurface9* surface, bool write);
    void Unlock();

    IDirect3DSurface9* m_target = nullptr;
    IDirect3DSurface9* m_locked = nullptr;  // the target or its staging copy
    IDirect3DSurface9* m_staging = nullptr;
    D3DSURFACE_DESC m_desc{};
    SurfaceView m_view{};
};

// rect, or the whole width x height when null; false when it is empty or
// reaches outside.
bool ResolveRect(const RECT* rect, UINT width, UINT height, RECT* out);

}  // namespace d3dx
