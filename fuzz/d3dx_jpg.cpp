// JPEG files through the D3DX load-from-memory calls.
#include "JpegWriter.h"
#include "support/D3dxImages.h"

using namespace lumiva::fuzz;

namespace {

Bytes Jpeg(UINT width, UINT height, int quality) {
    Bytes file;
    if (FAILED(d3dx::EncodeJpeg(SeedPicture(width, height), quality, &file))) std::abort();
    return file;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(d3dx_jpg) {
    Bytes grey(8 * 8);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t(i * 4);
    Bytes colour = Jpeg(11, 7, 80);
    return {
        {"baseline", colour},
        {"low-quality", Jpeg(16, 16, 10)},
        {"grey-progressive", EncodeJpeg(grey, 8, 8, {60, true, JpegColour::Grey})},
        {"cut", Truncated(colour, colour.size() / 2)},
    };
}

LUMIVA_FUZZ_TARGET(d3dx_jpg, data, size) { LoadD3dxImage(data, size); }
