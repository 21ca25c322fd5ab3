// libjpeg and libpng decoding of what the stand-in wrote.
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <png.h>

#include "GdiplusTestSupport.h"

namespace gdiplus_test {

bool DecodeJpeg(const std::vector<BYTE>& bytes, DecodedPicture* picture) {
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    if (ok) {
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        picture->width = int(info.output_width);
        picture->height = int(info.output_height);
        picture->rgb.assign(size_t(picture->width) * picture->height * 3, 0);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = picture->rgb.data() + size_t(info.output_scanline) * picture->width * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return ok;
}

bool DecodePng(const std::vector<BYTE>& bytes, DecodedPicture* picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = int(image.width);
    picture->height = int(image.height);
    picture->rgb.assign(PNG_IMAGE_SIZE(image), 0);
    bool ok = png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace gdiplus_test
