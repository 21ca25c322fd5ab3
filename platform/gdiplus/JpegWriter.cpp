#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <jpeglib.h>

#include "gdiplus/ImageWriters.h"

namespace lumiva::gdiplus {
namespace {

const UINT kMaxJpegDimension = 65500;

struct JpegErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

[[noreturn]] void AbortCompression(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

UINT16 DotsPerInch(LONG pelsPerMeter) {
    return UINT16(std::clamp<int64_t>((int64_t(pelsPerMeter) * 254 + 5000) / 10000, 1, 65535));
}

// Only plain data lives in this frame, so leaving it by longjmp is safe.
bool Compress(const DecodedImage& image, int quality, unsigned char** buffer, unsigned long* size) {
    jpeg_compress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = AbortCompression;
    errors.manager.output_message = IgnoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = image.width;
    info.image_height = image.height;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;  // the same bits on every machine
    info.density_unit = 1;
    info.X_density = DotsPerInch(image.pelsPerMeterX);
    info.Y_density = DotsPerInch(image.pelsPerMeterY);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.Row(info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

Gdiplus::Status WriteJpeg(const DecodedImage& image, int quality, std::vector<BYTE>* out) {
    if (image.width == 0 || image.height == 0) return Gdiplus::InvalidParameter;
    if (image.width > kMaxJpegDimension || image.height > kMaxJpegDimension) return Gdiplus::ValueOverflow;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool done = Compress(image, quality, &buffer, &size);
    if (done) out->assign(buffer, buffer + size);
    std::free(buffer);
    return done ? Gdiplus::Ok : Gdiplus::GenericError;
}

}  // namespace lumiva::gdiplus
