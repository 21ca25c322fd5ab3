// PNG files through libpng. libpng reports errors by longjmp, so the
// functions that call it hold no objects with destructors across the calls.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "Codecs.h"

namespace d3dx {
namespace {

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep target, png_size_t length) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->size - source->pos) png_error(png, "truncated");
    std::memcpy(target, source->data + source->pos, length);
    source->pos += length;
}

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    sink->insert(sink->end(), data, data + length);
}

void FlushNothing(png_structp) {}

void Quiet(png_structp, png_const_charp) {}

[[noreturn]] void Abort(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Rows of the image as B, G, R, A bytes: little-endian A8R8G8B8 words.
bool DecodeRows(png_structp png, png_infop info, MemorySource* source, ArgbImage* image, bool* hasAlpha) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, source, ReadFromMemory);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (!IsAcceptableSize(width, height)) return false;
    int colourType = png_get_color_type(png, info);
    *hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) return false;
    image->width = width;
    image->height = height;
    image->pixels.assign(size_t(width) * height, 0);
    // The rows array is plain memory released by the caller's vector.
    std::vector<png_bytep>* rows = static_cast<std::vector<png_bytep>*>(png_get_error_ptr(png));
    rows->resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        (*rows)[y] = reinterpret_cast<png_bytep>(image->pixels.data() + size_t(y) * width);
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    return true;
}

bool EncodeRows(png_structp png, png_infop info, const ArgbImage& image, bool alpha, std::vector<uint8_t>* sink,
                std::vector<png_bytep>* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, sink, WriteToVector, FlushNothing);
    png_set_IHDR(png, info, image.width, image.height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_image(png, rows->data());
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

HRESULT DecodePng(const uint8_t* data, size_t size, DecodedImage* out) {
    std::vector<png_bytep> rows;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &rows, Abort, Quiet);
    if (!png) return E_OUTOFMEMORY;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return E_OUTOFMEMORY;
    }
    MemorySource source{data, size, 0};
    ArgbImage image;
    bool hasAlpha = false;
    bool ok = DecodeRows(png, info, &source, &image, &hasAlpha);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) return D3DXERR_INVALIDDATA;
    if (!hasAlpha)
        for (uint32_t& p : image.pixels) p |= 0xFF000000u;
    out->levels.push_back(std::move(image));
    SetSingleImageInfo(out, hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, D3DXIFF_PNG);
    return S_OK;
}

HRESULT EncodePng(const ArgbImage& image, bool alpha, std::vector<uint8_t>* out) {
    if (image.width == 0 || image.height == 0) return D3DXERR_INVALIDDATA;
    std::vector<png_bytep> rows(image.height);
    std::vector<uint32_t> pixels = image.pixels;
    for (UINT y = 0; y < image.height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(pixels.data() + size_t(y) * image.width);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Abort, Quiet);
    if (!png) return E_OUTOFMEMORY;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return E_OUTOFMEMORY;
    }
    std::vector<uint8_t> sink;
    bool ok = EncodeRows(png, info, image, alpha, &sink, &rows);
    png_destroy_write_struct(&png, &info);
    if (!ok) return E_FAIL;
    *out = std::move(sink);
    return S_OK;
}

}  // namespace d3dx
