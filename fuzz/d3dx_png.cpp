// PNG files through the D3DX load-from-memory calls.
#include "support/D3dxImages.h"

using namespace lumiva::fuzz;

namespace {

Bytes Png(UINT width, UINT height, bool alpha) {
    Bytes file;
    if (FAILED(d3dx::EncodePng(SeedPicture(width, height), alpha, &file))) std::abort();
    return file;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(d3dx_png) {
    Bytes rgba = Png(7, 5, true);
    return {
        {"rgba", rgba},
        {"rgb", Png(16, 2, false)},
        {"cut", Truncated(rgba, rgba.size() - 12)},
    };
}

LUMIVA_FUZZ_TARGET(d3dx_png, data, size) { LoadD3dxImage(data, size); }
