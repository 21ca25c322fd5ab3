// The occlusion probe: back-buffer pixels under the view origin and a point
// 200 units before it, sampled once and compared later, so the host can
// tell whether something was drawn over its focus since.
#include <d3dx9.h>

#include <cstring>

#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

namespace {

constexpr float kProbeOffsetY = 200.0f;

// The back buffer's pixels, locked read-only while the view lives.
class KBackBufferView {
public:
    explicit KBackBufferView(IDirect3DDevice9* device) {
        if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &m_surface))) {
            m_surface = nullptr;
            return;
        }
        m_surface->GetDesc(&m_desc);
        if (FAILED(m_surface->LockRect(&m_locked, nullptr, D3DLOCK_READONLY))) m_locked.pBits = nullptr;
    }
    ~KBackBufferView() {
        if (!m_surface) return;
        if (m_locked.pBits) m_surface->UnlockRect();
        m_surface->Release();
    }
    KBackBufferView(const KBackBufferView&) = delete;
    KBackBufferView& operator=(const KBackBufferView&) = delete;

    bool Ready() const { return m_locked.pBits != nullptr; }
    D3DFORMAT Format() const { return m_desc.Format; }

    // The pixel under a screen point, widened to 32 bits; false off the
    // surface or in a format the probe does not read.
    bool Pixel(const float* point, uint32_t* value) const {
        const double x = point[0], y = point[1];
        if (!(x >= 0.0 && y >= 0.0 && x < m_desc.Width && y < m_desc.Height)) return false;
        const uint8_t* row = static_cast<const uint8_t*>(m_locked.pBits) +
                             static_cast<size_t>(static_cast<UINT>(y)) * static_cast<size_t>(m_locked.Pitch);
        const UINT column = static_cast<UINT>(x);
        switch (m_desc.Format) {
            case D3DFMT_A8R8G8B8:
            case D3DFMT_X8R8G8B8:
                std::memcpy(value, row + column * 4, 4);
                return true;
            case D3DFMT_R5G6B5:
            case D3DFMT_X1R5G5B5:
            case D3DFMT_A1R5G5B5: {
                uint16_t pixel = 0;
                std::memcpy(&pixel, row + column * 2, 2);
                *value = pixel;
                return true;
            }
            default:
                return false;
        }
    }

private:
    IDirect3DSurface9* m_surface = nullptr;
    D3DSURFACE_DESC m_desc{};
    D3DLOCKED_RECT m_locked{};
};

void ProjectWithDevice(IDirect3DDevice9* device, const D3DXVECTOR3& point, float* out) {
    D3DXMATRIX world, view, projection;
    D3DVIEWPORT9 viewport{};
    device->GetTransform(D3DTS_WORLD, &world);
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    device->GetViewport(&viewport);
    D3DXVECTOR3 screen;
    D3DXVec3Project(&screen, &point, &viewport, &projection, &view, &world);
    out[0] = screen.x;
    out[1] = screen.y;
    out[2] = screen.z;
}

}  // namespace

void KDrawShell::SampleOcclusionPixels() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    const KBackBufferView back(device);
    if (!back.Ready()) return;
    float origin[3];
    GetViewOrigin(origin);
    const D3DXVECTOR3 focus(origin[0], origin[1], origin[2]);
    ProjectWithDevice(device, focus, occlusionSamples.points[0]);
    ProjectWithDevice(device, focus - D3DXVECTOR3(0.0f, kProbeOffsetY, 0.0f), occlusionSamples.points[1]);
    for (int i = 0; i < 2; ++i) {
        uint32_t pixel = 0;
        if (back.Pixel(occlusionSamples.points[i], &pixel)) occlusionSamples.samples[i] = pixel;
    }
    occlusionSamples.sampled = 1;
}

bool KDrawShell::TestOcclusionPixels() {
    const KBackBufferView back(g_D3DDevice.device);
    if (!back.Ready()) return false;
    bool changed = false;
    for (int i = 0; i < 2; ++i) {
        uint32_t pixel = 0;
        if (back.Pixel(occlusionSamples.points[i], &pixel) && pixel != occlusionSamples.samples[i]) changed = true;
    }
    occlusionSamples.changed = changed ? 1 : 0;
    return changed;
}
