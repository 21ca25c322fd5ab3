#include "JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace {

struct EncoderErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* self = reinterpret_cast<EncoderErrors*>(info->err);
    (*info->err->format_message)(info, self->text);
    longjmp(self->jump, 1);
}

int ComponentsOf(JpegColour colour) {
    switch (colour) {
        case JpegColour::Grey: return 1;
        case JpegColour::Cmyk: return 4;
        case JpegColour::Rgb: break;
    }
    return 3;
}

J_COLOR_SPACE SpaceOf(JpegColour colour) {
    switch (colour) {
        case JpegColour::Grey: return JCS_GRAYSCALE;
        case JpegColour::Cmyk: return JCS_CMYK;
        case JpegColour::Rgb: break;
    }
    return JCS_RGB;
}

// Heap state so nothing with a destructor lives across setjmp.
struct EncoderState {
    jpeg_compress_struct info;
    EncoderErrors errors;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

bool RunEncode(EncoderState& s, const uint8_t* pixels, int width, int height, const JpegOptions& options) {
    if (setjmp(s.errors.jump)) return false;
    jpeg_create_compress(&s.info);
    jpeg_mem_dest(&s.info, &s.buffer, &s.size);
    s.info.image_width = JDIMENSION(width);
    s.info.image_height = JDIMENSION(height);
    s.info.input_components = ComponentsOf(options.colour);
    s.info.in_color_space = SpaceOf(options.colour);
    jpeg_set_defaults(&s.info);
    jpeg_set_quality(&s.info, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&s.info);
    jpeg_start_compress(&s.info, TRUE);
    size_t stride = size_t(width) * size_t(s.info.input_components);
    while (s.info.next_scanline < s.info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(s.info.next_scanline) * stride);
        jpeg_write_scanlines(&s.info, &row, 1);
    }
    jpeg_finish_compress(&s.info);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, int width, int height, const JpegOptions& options) {
    if (width <= 0 || height <= 0 || width > 65500 || height > 65500)
        throw std::invalid_argument("JPEG size out of range");
    if (pixels.size() != size_t(width) * size_t(height) * size_t(ComponentsOf(options.colour)))
        throw std::invalid_argument("JPEG pixel count does not match its size");
    if (options.quality < 1 || options.quality > 100) throw std::invalid_argument("JPEG quality out of range");

    auto* state = new EncoderState();
    state->info.err = jpeg_std_error(&state->errors.manager);
    state->errors.manager.error_exit = ErrorExit;
    state->errors.text[0] = 0;
    bool ok = RunEncode(*state, pixels.data(), width, height, options);
    jpeg_destroy_compress(&state->info);
    std::vector<uint8_t> out;
    if (ok) out.assign(state->buffer, state->buffer + state->size);
    std::string why = state->errors.text;
    std::free(state->buffer);
    delete state;
    if (!ok) throw std::runtime_error("JPEG encoding failed: " + why);
    return out;
}
