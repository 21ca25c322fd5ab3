#include <png.h>

#include <csetjmp>

#include "gdiplus/ImageWriters.h"

namespace lumiva::gdiplus {
namespace {

struct PngSink {
    std::vector<BYTE>* out;
    bool failed;
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    try {
        sink->out->insert(sink->out->end(), data, data + length);
    } catch (...) {
        sink->failed = true;
    }
    if (sink->failed) png_error(png, "out of memory");
}

void Flush(png_structp) {}

// Only plain data lives in this frame, so leaving it by longjmp is safe.
bool Compress(const DecodedImage& image, PngSink* sink) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, sink, Append, Flush);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, png_uint_32(image.pelsPerMeterX), png_uint_32(image.pelsPerMeterY),
                 PNG_RESOLUTION_METER);
    png_write_info(png, info);
    png_set_bgr(png);
    for (UINT y = 0; y < image.height; ++y) png_write_row(png, const_cast<png_bytep>(image.Row(y)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

Gdiplus::Status WritePng(const DecodedImage& image, std::vector<BYTE>* out) {
    if (image.width == 0 || image.height == 0) return Gdiplus::InvalidParameter;
    if (image.width > PNG_UINT_31_MAX || image.height > PNG_UINT_31_MAX) return Gdiplus::ValueOverflow;
    out->clear();
    PngSink sink{out, false};
    if (Compress(image, &sink)) return Gdiplus::Ok;
    return sink.failed ? Gdiplus::OutOfMemory : Gdiplus::GenericError;
}

}  // namespace lumiva::gdiplus
