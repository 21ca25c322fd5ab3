#include "support/D3dxImages.h"

#include <algorithm>
#include <cstdlib>

#include "d3dx9/PixelFormat.h"
#include "support/FuzzDevice.h"

namespace lumiva::fuzz {

void LoadD3dxImage(const uint8_t* data, size_t size) {
    D3DXIMAGE_INFO info{};
    if (FAILED(D3DXGetImageInfoFromFileInMemory(data, UINT(size), &info))) return;
    // Large pictures get one level copied unscaled: scaling them and building
    // their mip chains would take most of the time, and none of it reads the file.
    bool small = uint64_t(info.Width) * info.Height <= 256 * 256;
    UINT levels = small ? D3DX_DEFAULT : 1;
    DWORD filter = small ? D3DX_DEFAULT : D3DX_FILTER_NONE;
    IDirect3DTexture9* texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(FuzzDevice(), data, UINT(size), D3DX_DEFAULT, D3DX_DEFAULT, levels,
                                                      0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, filter, D3DX_DEFAULT, 0,
                                                      nullptr, nullptr, &texture)))
        texture->Release();
}

d3dx::ArgbImage SeedPicture(UINT width, UINT height) {
    d3dx::ArgbImage image(width, height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            image.At(x, y) = uint32_t((x * 255 / width) << 24 | (y * 40) << 16 | (x * 70) << 8 | ((x ^ y) * 90));
    return image;
}

Bytes SeedDds(D3DFORMAT format, UINT width, UINT height, UINT levels) {
    std::vector<Bytes> stored;
    std::vector<d3dx::StoredLevel> views;
    for (UINT level = 0; level < levels; ++level) {
        UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        d3dx::ArgbImage picture = SeedPicture(w, h);
        uint64_t pitch = d3dx::RowBytes(format, w);
        stored.emplace_back(d3dx::SurfaceBytes(format, w, h));
        d3dx::WriteRect(d3dx::SurfaceView{format, stored.back().data(), pitch, w, h}, RECT{0, 0, LONG(w), LONG(h)},
                        picture);
    }
    for (UINT level = 0; level < levels; ++level) {
        UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        views.push_back({w, h, stored[level].data(), d3dx::RowBytes(format, w)});
    }
    Bytes file;
    if (FAILED(d3dx::EncodeDds(format, views, &file))) std::abort();
    return file;
}

}  // namespace lumiva::fuzz
