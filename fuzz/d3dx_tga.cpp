// TGA files through the D3DX load-from-memory calls.
#include "support/D3dxImages.h"

using namespace lumiva::fuzz;

namespace {

Bytes Tga(UINT width, UINT height, bool alpha, bool runLength) {
    Bytes file;
    if (FAILED(d3dx::EncodeTga(SeedPicture(width, height), alpha, runLength, &file))) std::abort();
    return file;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(d3dx_tga) {
    Bytes rle = Tga(9, 4, true, true);
    return {
        {"rgb", Tga(5, 3, false, false)},
        {"argb-rle", rle},
        {"rle-cut", Truncated(rle, rle.size() - 3)},
    };
}

LUMIVA_FUZZ_TARGET(d3dx_tga, data, size) { LoadD3dxImage(data, size); }
