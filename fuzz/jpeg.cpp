// JPEG pictures through get_jpg_image, in both pixel masks.
#include "JpegImage.h"
#include "JpegWriter.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

Bytes Picture(int width, int height, const JpegOptions& options) {
    int channels = options.colour == JpegColour::Grey ? 1 : options.colour == JpegColour::Cmyk ? 4 : 3;
    std::vector<uint8_t> pixels(size_t(width) * height * channels);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 29 + i / 7);
    return EncodeJpeg(pixels, width, height, options);
}

}  // namespace

LUMIVA_FUZZ_SEEDS(jpeg) {
    Bytes baseline = Picture(16, 8, {});
    return {
        {"baseline", baseline},
        {"progressive", Picture(9, 13, {75, true, JpegColour::Rgb})},
        {"grey", Picture(8, 8, {50, false, JpegColour::Grey})},
        {"refused-cmyk", Picture(8, 8, {90, false, JpegColour::Cmyk})},
        {"truncated", Truncated(baseline, baseline.size() / 2)},
    };
}

LUMIVA_FUZZ_TARGET(jpeg, data, size) {
    ServeFile("fuzz.jpg", data, size);
    // The mask comes from the input's length so both paths get fuzzed.
    int mask = size % 2 ? JPEG_MASK_555 : JPEG_MASK_565;
    if (QivImageContent* image = get_jpg_image("fuzz.jpg", mask)) {
        volatile uint16_t last = image->Pixels()[size_t(image->nWidth) * size_t(image->nHeight) - 1];
        (void)last;
        release_image(image);
    }
}
