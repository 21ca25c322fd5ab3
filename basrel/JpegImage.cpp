#include "JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>

#include "DebugLog.h"
#include "KPakFile.h"

namespace {

// libjpeg reports errors through a callback that must not return; it jumps
// back to the decode call instead of ending the process. Warnings (corrupt
// data, a stream cut short) end the decode the same way: libjpeg would
// otherwise make up the missing pixels.
struct JpegErrorJump {
    jpeg_error_mgr manager;
    jmp_buf jump;
    JpegDecodeError* error;
};

void KeepMessage(j_common_ptr info) {
    auto* self = reinterpret_cast<JpegErrorJump*>(info->err);
    if (self->error) (*info->err->format_message)(info, self->error->text);
}

void ErrorExit(j_common_ptr info) {
    KeepMessage(info);
    longjmp(reinterpret_cast<JpegErrorJump*>(info->err)->jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
    if (level < 0) ErrorExit(info);
}

void SetReason(JpegDecodeError* error, const char* text) {
    if (error) std::snprintf(error->text, sizeof error->text, "%s", text);
}

bool FitsCap(JDIMENSION width, JDIMENSION height) {
    return width > 0 && height > 0 && width <= JDIMENSION(JPEG_MAX_SIDE) && height <= JDIMENSION(JPEG_MAX_SIDE) &&
           uint64_t(width) * height <= JPEG_MAX_PIXELS;
}

QivImageContent* NewImage(uint32_t width, uint32_t height) {
    size_t bytes = sizeof(QivImageContent) + size_t(width) * height * 2;
    auto* raw = new (std::nothrow) uint8_t[bytes];
    if (!raw) return nullptr;
    auto* image = reinterpret_cast<QivImageContent*>(raw);
    image->nWidth = int32_t(width);
    image->nHeight = int32_t(height);
    return image;
}

void PackRow(const uint8_t* rgb, uint16_t* out, uint32_t width, int mask) {
    bool x555 = mask == JPEG_MASK_555;
    for (uint32_t x = 0; x < width; ++x, rgb += 3)
        out[x] = x555 ? PackX1R5G5B5(rgb[0], rgb[1], rgb[2]) : PackR5G6B5(rgb[0], rgb[1], rgb[2]);
}

// Everything that must survive a longjmp lives here, outside the frame that
// calls setjmp.
struct JpegDecodeState {
    jpeg_decompress_struct info;
    JpegErrorJump errors;
    QivImageContent* image = nullptr;
    uint8_t* row = nullptr;
};

bool RunDecode(JpegDecodeState& s, const uint8_t* bytes, size_t size, int mask, JpegDecodeError* error) {
    if (setjmp(s.errors.jump)) return false;
    jpeg_create_decompress(&s.info);
    jpeg_mem_src(&s.info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&s.info, TRUE);
    if (s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK ||
        (s.info.num_components != 1 && s.info.num_components != 3)) {
        SetReason(error, "CMYK or YCCK picture");
        return false;
    }
    if (!FitsCap(s.info.image_width, s.info.image_height)) {
        SetReason(error, "picture larger than the decode cap");
        return false;
    }
    s.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s.info);
    if (s.info.output_components != 3 || !FitsCap(s.info.output_width, s.info.output_height)) {
        SetReason(error, "unexpected decoder output");
        return false;
    }
    uint32_t width = s.info.output_width;
    s.image = NewImage(width, s.info.output_height);
    s.row = new (std::nothrow) uint8_t[size_t(width) * 3];
    if (!s.image || !s.row) {
        SetReason(error, "out of memory");
        return false;
    }
    uint16_t* pixels = s.image->Pixels();
    while (s.info.output_scanline < s.info.output_height) {
        uint32_t y = s.info.output_scanline;
        JSAMPROW rows[1] = {s.row};
        if (jpeg_read_scanlines(&s.info, rows, 1) != 1) {
            SetReason(error, "scanline not decoded");
            return false;
        }
        PackRow(s.row, pixels + size_t(y) * width, width, mask);
    }
    jpeg_finish_decompress(&s.info);
    return true;
}

}  // namespace

QivImageContent* DecodeJpegImage(const uint8_t* bytes, size_t size, int mask, JpegDecodeError* error) {
    if (!bytes || size == 0) {
        SetReason(error, "empty file");
        return nullptr;
    }
    auto* state = new JpegDecodeState;
    std::memset(&state->info, 0, sizeof state->info);
    state->info.err = jpeg_std_error(&state->errors.manager);
    state->errors.manager.error_exit = ErrorExit;
    state->errors.manager.emit_message = EmitMessage;
    state->errors.error = error;
    bool ok = RunDecode(*state, bytes, size, mask, error);
    jpeg_destroy_decompress(&state->info);
    QivImageContent* image = state->image;
    delete[] state->row;
    delete state;
    if (!ok) {
        release_image(image);
        return nullptr;
    }
    return image;
}

QivImageContent* get_jpg_image(const char* name, int mask) {
    if (!name || !*name) {
        g_DebugLog("[Basrel]get_jpg_image: no name");
        return nullptr;
    }
    KPakFile file;
    if (!file.Open(name)) return nullptr;  // KPakFile logs why
    std::vector<uint8_t> bytes(file.Size());
    if (bytes.empty()) {
        g_DebugLog("[Basrel]get_jpg_image %s: empty file", name);
        return nullptr;
    }
    if (file.Read(bytes.data(), uint32_t(bytes.size())) != bytes.size()) {
        g_DebugLog("[Basrel]get_jpg_image %s: short read", name);
        return nullptr;
    }
    JpegDecodeError error;
    QivImageContent* image = DecodeJpegImage(bytes.data(), bytes.size(), mask, &error);
    if (!image) g_DebugLog("[Basrel]get_jpg_image %s: %s", name, error.text);
    return image;
}

void release_image(QivImageContent* image) { delete[] reinterpret_cast<uint8_t*>(image); }
