// BMP files through the D3DX load-from-memory calls.
#include "support/D3dxImages.h"

using namespace lumiva::fuzz;

namespace {

Bytes Bmp(UINT width, UINT height, bool alpha) {
    Bytes file;
    if (FAILED(d3dx::EncodeBmp(SeedPicture(width, height), alpha, &file))) std::abort();
    return file;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(d3dx_bmp) {
    Bytes rgb = Bmp(5, 3, false);
    return {
        {"rgb", rgb},
        {"argb", Bmp(4, 4, true)},
        {"cut", Truncated(rgb, rgb.size() - 2)},
    };
}

LUMIVA_FUZZ_TARGET(d3dx_bmp, data, size) { LoadD3dxImage(data, size); }
