#include "draw2d/lists/ComposeTexture.h"

#include <d3dx9.h>

#include <cstring>

#include "draw2d/lists/RleToA4R4G4B4.h"
#include "shell/ShellServices.h"

namespace {

constexpr DWORD kScreenVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr size_t kDdsHeaderBytes = 128;

bool LockBox(IDirect3DTexture9* texture, const KGroupBox& box, KLockedA4R4G4B4* area) {
    const RECT rect{0, 0, box.right - box.left, box.bottom - box.top};
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, &rect, D3DLOCK_NOSYSLOCK))) return false;
    *area = KLockedA4R4G4B4{static_cast<uint8_t*>(locked.pBits), locked.Pitch, int(rect.right), int(rect.bottom)};
    return true;
}

bool ClearBox(IDirect3DTexture9* texture, const KGroupBox& box) {
    KLockedA4R4G4B4 area;
    if (!LockBox(texture, box, &area)) return false;
    for (int y = 0; y < area.height; ++y) std::memset(area.bits + size_t(y) * size_t(area.pitch), 0, size_t(area.width) * 2);
    texture->UnlockRect(0);
    return true;
}

bool Dxt5DataFits(const KComposeFrame& frame) {
    const size_t blockRows = (size_t(frame.height) + 3) / 4;
    const size_t rowBytes = (size_t(frame.width) + 3) / 4 * 16;
    return frame.dxt5Size >= kDdsHeaderBytes + blockRows * rowBytes;
}

void LoadDxt5Frame(IDirect3DSurface9* surface, const KComposeFrame& frame, const RECT& destination) {
    if (!Dxt5DataFits(frame)) return;
    const RECT source{0, 0, frame.width, frame.height};
    D3DXLoadSurfaceFromMemory(surface, nullptr, &destination, frame.dxt5 + kDdsHeaderBytes, D3DFMT_DXT5,
                              UINT(4 * frame.width), nullptr, &source, D3DX_FILTER_NONE, 0);
}

}  // namespace

bool ComposeFramesIntoTexture(IDirect3DTexture9* texture, const KGroupBox& box,
                              const std::vector<KComposeFrame>& frames) {
    if (texture == nullptr || !ClearBox(texture, box)) return false;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &surface))) return false;
    bool locked = true;
    for (const KComposeFrame& frame : frames) {
        const int left = frame.x - box.left;
        const int top = frame.y - box.top;
        if (frame.runData) {
            KLockedA4R4G4B4 area;
            if (!LockBox(texture, box, &area)) {
                locked = false;
                break;
            }
            DecodeRleFrameToA4R4G4B4(area, frame.runData, frame.runSize, left, top, frame.width, frame.height,
                                     frame.palette, frame.colorCount);
            texture->UnlockRect(0);
        } else if (frame.dxt5) {
            LoadDxt5Frame(surface, frame, RECT{left, top, left + frame.width, top + frame.height});
        }
    }
    surface->Release();
    return locked;
}

void DrawComposedQuad(KShellServices& shell, IDirect3DTexture9* texture, const KGroupBox& box, int textureSize,
                      uint32_t colour, uint8_t blendMode) {
    IDirect3DDevice9* device = shell.GetDevice();
    if (device == nullptr || texture == nullptr) return;
    device->SetFVF(kScreenVertexFormat);
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    void* room = shell.LockDynamicVertices(4, sizeof(KComposeVertex), &first, &buffer);
    if (room == nullptr) return;
    KComposeVertex quad[4];
    BuildComposeQuad(box, textureSize, colour, quad);
    std::memcpy(room, quad, sizeof(quad));
    device->SetTexture(0, texture);
    shell.UnlockDynamicVertices();
    device->SetStreamSource(0, buffer, 0, sizeof(KComposeVertex));
    device->SetTextureStageState(0, D3DTSS_COLOROP, blendMode == 3 ? D3DTOP_ADD : D3DTOP_MODULATE4X);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, UINT(first), 2);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}
