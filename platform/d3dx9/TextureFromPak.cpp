// Textures from files named in the host library's notation, read whole
// through its pak layer (and so through its data root).
#include <vector>

#include "../../include/lumiva/basrel/KPakFile.h"
#include "AllocationGuard.h"
#include "d3dx9tex.h"

HRESULT D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE9 device, LPCSTR srcFile, UINT width, UINT height, UINT mipLevels,
                                     DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                     LPDIRECT3DTEXTURE9* texture) {
    if (!device || !srcFile || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    std::vector<BYTE> bytes;
    HRESULT hr = d3dx::GuardAllocation([&]() -> HRESULT {
        KPakFile file;
        if (!file.Open(srcFile)) return D3DERR_NOTAVAILABLE;
        bytes.resize(file.Size());
        if (bytes.empty() || file.Read(bytes.data(), uint32_t(bytes.size())) != bytes.size())
            return D3DXERR_INVALIDDATA;
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    return D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), UINT(bytes.size()), width, height, mipLevels,
                                               usage, format, pool, filter, mipFilter, colorKey, srcInfo, palette,
                                               texture);
}

HRESULT D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 device, LPCSTR srcFile, LPDIRECT3DTEXTURE9* texture) {
    return D3DXCreateTextureFromFileExA(device, srcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, texture);
}
