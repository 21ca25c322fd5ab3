// Image files in memory: recognising the format, and the image-info query.
#include <cstring>

#include "AllocationGuard.h"
#include "Codecs.h"
#include "d3d9.h"

namespace d3dx {

void SetSingleImageInfo(DecodedImage* out, D3DFORMAT format, D3DXIMAGE_FILEFORMAT fileFormat) {
    const ArgbImage& top = out->levels.at(0);
    out->info.Width = top.width;
    out->info.Height = top.height;
    out->info.Depth = 1;
    out->info.MipLevels = 1;
    out->info.Format = format;
    out->info.ResourceType = D3DRTYPE_TEXTURE;
    out->info.ImageFileFormat = fileFormat;
}

HRESULT DecodeImageFile(const void* data, size_t size, DecodedImage* out) {
    if (!data || size == 0 || !out) return D3DXERR_INVALIDDATA;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    auto startsWith = [&](const char* magic, size_t length) {
        return size >= length && std::memcmp(bytes, magic, length) == 0;
    };
    *out = DecodedImage{};
    if (startsWith("DDS ", 4)) return DecodeDds(bytes, size, out);
    if (startsWith("\x89PNG\r\n\x1a\n", 8)) return DecodePng(bytes, size, out);
    if (startsWith("\xFF\xD8\xFF", 3)) return DecodeJpeg(bytes, size, out);
    if (startsWith("BM", 2)) return DecodeBmp(bytes, size, out);
    return DecodeTga(bytes, size, out);
}

}  // namespace d3dx

HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID data, UINT size, D3DXIMAGE_INFO* info) {
    if (!data || size == 0) return D3DERR_INVALIDCALL;
    return d3dx::GuardAllocation([&] {
        d3dx::DecodedImage image;
        HRESULT hr = d3dx::DecodeImageFile(data, size, &image);
        if (SUCCEEDED(hr) && info) *info = image.info;
        return hr;
    });
}
