// D3DXLoadSurfaceFromMemory, ...FromSurface and ...FromFileInMemory.
#include "SurfaceLoad.h"

#include <algorithm>
#include <cstring>

#include "AllocationGuard.h"
#include "Codecs.h"
#include "Resample.h"
#include "SurfaceAccess.h"
#include "d3dx9tex.h"

namespace d3dx {
namespace {

bool BlockAligned(const RECT& r, UINT width, UINT height) {
    return r.left % 4 == 0 && r.top % 4 == 0 && (r.right % 4 == 0 || UINT(r.right) == width) &&
           (r.bottom % 4 == 0 || UINT(r.bottom) == height);
}

void CopyStoredBytes(const SurfaceView& from, const RECT& fromRect, const SurfaceView& to, const RECT& toRect) {
    D3DFORMAT f = from.format;
    uint64_t rowBytes = RowBytes(f, uint64_t(fromRect.right - fromRect.left));
    uint64_t rows = RowCount(f, uint64_t(fromRect.bottom - fromRect.top));
    // Block rows start on multiples of 4, so RowCount of the top edge is the first row.
    uint64_t fromRow0 = RowCount(f, uint64_t(fromRect.top)), toRow0 = RowCount(f, uint64_t(toRect.top));
    uint64_t fromColumn = RowBytes(f, uint64_t(fromRect.left)), toColumn = RowBytes(f, uint64_t(toRect.left));
    for (uint64_t row = 0; row < rows; ++row)
        std::memmove(to.bits + (toRow0 + row) * to.pitch + toColumn,
                     from.bits + (fromRow0 + row) * from.pitch + fromColumn, size_t(rowBytes));
}

HRESULT WriteImage(SurfaceLock& lock, const RECT& destRect, const ArgbImage& source, DWORD filter, D3DCOLOR colourKey) {
    UINT width = UINT(destRect.right - destRect.left), height = UINT(destRect.bottom - destRect.top);
    ArgbImage keyed = source;
    ApplyColourKey(&keyed, colourKey);
    ArgbImage fitted = Resample(keyed, width, height, filter);
    WriteRect(lock.View(), destRect, fitted);
    return lock.Commit(destRect);
}

}  // namespace

HRESULT LoadSurfaceFromView(IDirect3DSurface9* dest, const RECT* destRect, const SurfaceView& source,
                            const RECT& sourceRect, DWORD filter, D3DCOLOR colourKey) {
    SurfaceLock lock;
    HRESULT hr = lock.OpenForWrite(dest);
    if (FAILED(hr)) return hr;
    RECT target;
    if (!ResolveRect(destRect, lock.Desc().Width, lock.Desc().Height, &target)) return D3DERR_INVALIDCALL;
    bool sameSize = target.right - target.left == sourceRect.right - sourceRect.left &&
                    target.bottom - target.top == sourceRect.bottom - sourceRect.top;
    const SurfaceView& to = lock.View();
    if (sameSize && colourKey == 0 && source.format == to.format &&
        (!IsBlockCompressed(to.format) ||
         (BlockAligned(sourceRect, source.width, source.height) && BlockAligned(target, to.width, to.height)))) {
        CopyStoredBytes(source, sourceRect, to, target);
        return lock.Commit(target);
    }
    return WriteImage(lock, target, ReadRect(source, sourceRect), filter, colourKey);
}

HRESULT LoadSurfaceFromImage(IDirect3DSurface9* dest, const RECT* destRect, const ArgbImage& image, DWORD filter,
                             D3DCOLOR colourKey) {
    SurfaceLock lock;
    HRESULT hr = lock.OpenForWrite(dest);
    if (FAILED(hr)) return hr;
    RECT target;
    if (!ResolveRect(destRect, lock.Desc().Width, lock.Desc().Height, &target)) return D3DERR_INVALIDCALL;
    return WriteImage(lock, target, image, filter, colourKey);
}

namespace {

HRESULT LoadFromSurface(IDirect3DSurface9* destSurface, const RECT* destRect, IDirect3DSurface9* srcSurface,
                        const RECT* srcRect, DWORD filter, D3DCOLOR colourKey) {
    SurfaceLock source;
    HRESULT hr = source.OpenForRead(srcSurface);
    if (FAILED(hr)) return hr;
    RECT from;
    if (!ResolveRect(srcRect, source.Desc().Width, source.Desc().Height, &from)) return D3DERR_INVALIDCALL;
    if (srcSurface == destSurface) {
        // Both locks would be the same surface: work from a copy.
        ArgbImage image = ReadRect(source.View(), from);
        source.Close();
        return LoadSurfaceFromImage(destSurface, destRect, image, filter, colourKey);
    }
    return LoadSurfaceFromView(destSurface, destRect, source.View(), from, filter, colourKey);
}

HRESULT LoadFromFileInMemory(IDirect3DSurface9* destSurface, const RECT* destRect, const void* srcData,
                             UINT srcDataSize, const RECT* srcRect, DWORD filter, D3DCOLOR colourKey,
                             D3DXIMAGE_INFO* srcInfo) {
    DecodedImage decoded;
    HRESULT hr = DecodeImageFile(srcData, srcDataSize, &decoded);
    if (FAILED(hr)) return hr;
    const ArgbImage& top = decoded.levels[0];
    RECT from;
    if (!ResolveRect(srcRect, top.width, top.height, &from)) return D3DERR_INVALIDCALL;
    SurfaceView view{D3DFMT_A8R8G8B8, reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(top.pixels.data())),
                     uint64_t(top.width) * 4, top.width, top.height};
    hr = LoadSurfaceFromImage(destSurface, destRect, ReadRect(view, from), filter, colourKey);
    if (SUCCEEDED(hr) && srcInfo) *srcInfo = decoded.info;
    return hr;
}

}  // namespace
}  // namespace d3dx

HRESULT D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY*, const RECT* destRect,
                                  LPCVOID srcMemory, D3DFORMAT srcFormat, UINT srcPitch, const PALETTEENTRY*,
                                  const RECT* srcRect, DWORD filter, D3DCOLOR colorKey) {
    if (!destSurface || !srcMemory || !srcRect || srcPitch == 0) return D3DERR_INVALIDCALL;
    if (!d3dx::IsConvertibleFormat(srcFormat)) return E_NOTIMPL;
    const RECT& r = *srcRect;
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom) return D3DERR_INVALIDCALL;
    if (!d3dx::IsAcceptableSize(uint64_t(r.right) - uint64_t(r.left), uint64_t(r.bottom) - uint64_t(r.top)))
        return D3DERR_INVALIDCALL;
    // The memory is only known to cover the source rectangle.
    if (srcPitch < d3dx::RowBytes(srcFormat, uint64_t(r.right))) return D3DERR_INVALIDCALL;
    d3dx::SurfaceView source{srcFormat, static_cast<uint8_t*>(const_cast<void*>(srcMemory)), srcPitch, UINT(r.right),
                             UINT(r.bottom)};
    return d3dx::GuardAllocation(
        [&] { return d3dx::LoadSurfaceFromView(destSurface, destRect, source, r, filter, colorKey); });
}

HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY*, const RECT* destRect,
                                   LPDIRECT3DSURFACE9 srcSurface, const PALETTEENTRY*, const RECT* srcRect,
                                   DWORD filter, D3DCOLOR colorKey) {
    if (!destSurface || !srcSurface) return D3DERR_INVALIDCALL;
    return d3dx::GuardAllocation(
        [&] { return d3dx::LoadFromSurface(destSurface, destRect, srcSurface, srcRect, filter, colorKey); });
}

HRESULT D3DXLoadSurfaceFromFileInMemory(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY*, const RECT* destRect,
                                        LPCVOID srcData, UINT srcDataSize, const RECT* srcRect, DWORD filter,
                                        D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo) {
    if (!destSurface || !srcData || srcDataSize == 0) return D3DERR_INVALIDCALL;
    return d3dx::GuardAllocation([&] {
        return d3dx::LoadFromFileInMemory(destSurface, destRect, srcData, srcDataSize, srcRect, filter, colorKey,
                                          srcInfo);
    });
}
