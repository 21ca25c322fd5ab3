// JPEG files through libjpeg-turbo. Its default error handler ends the
// process, so errors here longjmp back instead; a stream that ends early
// (which libjpeg only warns about) is refused too, at once, before libjpeg
// fills the rest of a picture of up to 16 M pixels.
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which needs FILE and size_t
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

#include "Codecs.h"

namespace d3dx {
namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

[[noreturn]] void Abort(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    std::longjmp(trap->jump, 1);
}

void NoteMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) Abort(cinfo);
}

void Quiet(j_common_ptr) {}

void InstallTrap(ErrorTrap* trap) {
    jpeg_std_error(&trap->manager);
    trap->manager.error_exit = Abort;
    trap->manager.emit_message = NoteMessage;
    trap->manager.output_message = Quiet;
}

bool DecodeScanlines(jpeg_decompress_struct* cinfo, ErrorTrap* trap, const uint8_t* data, size_t size,
                     ArgbImage* image) {
    if (setjmp(trap->jump)) return false;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (!IsAcceptableSize(cinfo->image_width, cinfo->image_height)) return false;
    cinfo->out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != 4) return false;
    image->width = cinfo->output_width;
    image->height = cinfo->output_height;
    image->pixels.assign(size_t(image->width) * image->height, 0);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(image->pixels.data() + size_t(cinfo->output_scanline) * image->width);
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

bool EncodeScanlines(jpeg_compress_struct* cinfo, ErrorTrap* trap, const ArgbImage& image, int quality,
                     unsigned char** buffer, unsigned long* length) {
    if (setjmp(trap->jump)) return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, buffer, length);
    cinfo->image_width = image.width;
    cinfo->image_height = image.height;
    cinfo->input_components = 4;
    cinfo->in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            const_cast<uint32_t*>(image.pixels.data() + size_t(cinfo->next_scanline) * image.width));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

HRESULT DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out) {
    jpeg_decompress_struct cinfo{};
    ErrorTrap trap;
    InstallTrap(&trap);
    cinfo.err = &trap.manager;
    ArgbImage image;
    bool ok = DecodeScanlines(&cinfo, &trap, data, size, &image);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) return D3DXERR_INVALIDDATA;
    out->levels.push_back(std::move(image));
    SetSingleImageInfo(out, D3DFMT_X8R8G8B8, D3DXIFF_JPG);
    return S_OK;
}

HRESULT EncodeJpeg(const ArgbImage& image, int quality, std::vector<uint8_t>* out) {
    if (image.width == 0 || image.height == 0) return D3DXERR_INVALIDDATA;
    jpeg_compress_struct cinfo{};
    ErrorTrap trap;
    InstallTrap(&trap);
    cinfo.err = &trap.manager;
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    bool ok = EncodeScanlines(&cinfo, &trap, image, quality, &buffer, &length);
    jpeg_destroy_compress(&cinfo);
    if (ok) out->assign(buffer, buffer + length);
    std::free(buffer);
    return ok ? S_OK : E_FAIL;
}

}  // namespace d3dx
