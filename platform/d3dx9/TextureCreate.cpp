// D3DXCheckTextureRequirements and D3DXCreateTexture: fitting a request to
// what the device can make.
#include "TextureCreate.h"

#include <algorithm>

#include "PixelFormat.h"
#include "d3dx9tex.h"

namespace d3dx {
namespace {

UINT NextPowerOfTwo(UINT n) {
    UINT p = 1;
    while (p < n && p < 0x80000000u) p <<= 1;
    return p;
}

UINT FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT side = std::max(width, height); side > 1; side >>= 1) ++levels;
    return levels;
}

bool DeviceAccepts(IDirect3DDevice9* device, DWORD usage, D3DFORMAT format) {
    IDirect3D9* d3d = nullptr;
    if (FAILED(device->GetDirect3D(&d3d))) return false;
    D3DDEVICE_CREATION_PARAMETERS creation{};
    D3DDISPLAYMODE mode{};
    bool accepted =
        SUCCEEDED(device->GetCreationParameters(&creation)) && SUCCEEDED(device->GetDisplayMode(0, &mode)) &&
        SUCCEEDED(d3d->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType, mode.Format,
                                         usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC), D3DRTYPE_TEXTURE, format));
    d3d->Release();
    return accepted;
}

// The closest format the device takes: the request itself, else one that
// keeps alpha when the request had it.
D3DFORMAT ChooseFormat(IDirect3DDevice9* device, DWORD usage, D3DFORMAT wanted) {
    if (wanted == D3DFMT_UNKNOWN || wanted == D3DFMT_FROM_FILE) wanted = D3DFMT_A8R8G8B8;
    if (IsConvertibleFormat(wanted) && DeviceAccepts(device, usage, wanted)) return wanted;
    const D3DFORMAT withAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};
    const D3DFORMAT opaque[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
    if (FormatHasAlpha(wanted) || wanted == D3DFMT_P8) {
        for (D3DFORMAT f : withAlpha)
            if (DeviceAccepts(device, usage, f)) return f;
    } else {
        for (D3DFORMAT f : opaque)
            if (DeviceAccepts(device, usage, f)) return f;
    }
    return D3DFMT_UNKNOWN;
}

}  // namespace

HRESULT FitTextureRequest(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* levels, DWORD usage,
                          D3DFORMAT* format) {
    D3DCAPS9 caps{};
    HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;

    UINT w = (*width == 0 || *width == D3DX_DEFAULT || *width == D3DX_DEFAULT_NONPOW2) ? 256 : *width;
    UINT h = (*height == 0 || *height == D3DX_DEFAULT || *height == D3DX_DEFAULT_NONPOW2) ? 256 : *height;
    D3DFORMAT f = ChooseFormat(device, usage, *format);
    if (f == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;

    // Compressed textures hold whole blocks.
    if (IsBlockCompressed(f)) w = (w + 3) & ~3u, h = (h + 3) & ~3u;
    UINT wantedLevels = (*levels == 0 || *levels == D3DX_DEFAULT || *levels == D3DX_FROM_FILE) ? 0 : *levels;
    bool pow2 = caps.TextureCaps & D3DPTEXTURECAPS_POW2;
    bool conditional = caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    // Non-power-of-two sizes are allowed without restriction, or (conditional)
    // for a single level.
    if (pow2 && !(conditional && wantedLevels == 1)) w = NextPowerOfTwo(w), h = NextPowerOfTwo(h);
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) w = h = std::max(w, h);
    if (caps.MaxTextureWidth) w = std::min<UINT>(w, caps.MaxTextureWidth);
    if (caps.MaxTextureHeight) h = std::min<UINT>(h, caps.MaxTextureHeight);

    UINT chain = FullChainLength(w, h);
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP)) chain = 1;
    UINT l = wantedLevels == 0 ? chain : std::min(wantedLevels, chain);

    *width = w;
    *height = h;
    *levels = l;
    *format = f;
    return S_OK;
}

}  // namespace d3dx

HRESULT D3DXCheckTextureRequirements(LPDIRECT3DDEVICE9 device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage,
                                     D3DFORMAT* format, D3DPOOL) {
    if (!device) return D3DERR_INVALIDCALL;
    UINT w = width ? *width : D3DX_DEFAULT, h = height ? *height : D3DX_DEFAULT;
    UINT levels = mipLevels ? *mipLevels : D3DX_DEFAULT;
    D3DFORMAT f = format ? *format : D3DFMT_UNKNOWN;
    HRESULT hr = d3dx::FitTextureRequest(device, &w, &h, &levels, usage, &f);
    if (FAILED(hr)) return hr;
    if (width) *width = w;
    if (height) *height = h;
    if (mipLevels) *mipLevels = levels;
    if (format) *format = f;
    return S_OK;
}

HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE9 device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, LPDIRECT3DTEXTURE9* texture) {
    if (!device || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    HRESULT hr = d3dx::FitTextureRequest(device, &width, &height, &mipLevels, usage, &format);
    if (FAILED(hr)) return hr;
    return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture, nullptr);
}
