#include "draw2d/lists/CaptureComposite.h"

#include <algorithm>

#include "draw2d/lists/PictureRecordView.h"
#include "draw2d/lists/RecordPicture.h"
#include "shell/ShellServices.h"
#include "textures/KJpgImage.h"

namespace {

int BytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: return 4;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4: return 2;
        default: return 0;
    }
}

// Widened the way the shell's 565 conversion does, without replicating the
// top bits, so a 565 picture round-trips into a 565 target unchanged.
uint8_t Widen(uint32_t value, int bits) { return uint8_t(value << (8 - bits)); }

uint32_t Pack8888(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

uint8_t* PixelAt(const KPixelArea& area, int x, int y) {
    return area.bits + size_t(y) * size_t(area.pitch) + size_t(x) * size_t(BytesPerPixel(area.format));
}

uint16_t Encode16(uint32_t colour, D3DFORMAT format) {
    const uint32_t r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    if (format == D3DFMT_R5G6B5) return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    return uint16_t(0x8000u | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
}

uint16_t Halve16(uint16_t pixel, D3DFORMAT format) {
    if (format == D3DFMT_R5G6B5) return uint16_t((pixel >> 1) & 0x7BEF);
    return uint16_t((pixel & 0x8000) | ((pixel >> 1) & 0x3DEF));
}

void WriteComposited(KPixelArea* target, int x, int y, uint32_t colour) {
    uint8_t* at = PixelAt(*target, x, y);
    const bool dark = IsNearBlack(colour);
    if (BytesPerPixel(target->format) == 4) {
        auto* pixel = reinterpret_cast<uint32_t*>(at);
        *pixel = dark ? ((*pixel >> 1) & 0x007F7F7Fu) : colour;
        return;
    }
    auto* pixel = reinterpret_cast<uint16_t*>(at);
    *pixel = dark ? Halve16(*pixel, target->format) : Encode16(colour, target->format);
}

}  // namespace

bool ReadPixel8888(const KPixelArea& area, int x, int y, uint32_t* colour) {
    const uint8_t* at = PixelAt(area, x, y);
    uint32_t p = 0;
    switch (area.format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: *colour = 0xFF000000u | *reinterpret_cast<const uint32_t*>(at); return true;
        case D3DFMT_R5G6B5:
            p = *reinterpret_cast<const uint16_t*>(at);
            *colour = Pack8888(Widen(p >> 11 & 0x1F, 5), Widen(p >> 5 & 0x3F, 6), Widen(p & 0x1F, 5));
            return true;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            p = *reinterpret_cast<const uint16_t*>(at);
            *colour = Pack8888(Widen(p >> 10 & 0x1F, 5), Widen(p >> 5 & 0x1F, 5), Widen(p & 0x1F, 5));
            return true;
        case D3DFMT_A4R4G4B4:
            p = *reinterpret_cast<const uint16_t*>(at);
            *colour = Pack8888(uint8_t((p >> 8 & 0xF) * 17), uint8_t((p >> 4 & 0xF) * 17), uint8_t((p & 0xF) * 17));
            return true;
        default: return false;
    }
}

bool IsNearBlack(uint32_t colour) {
    return ((colour >> 16) & 0xFF) < 21 && ((colour >> 8) & 0xFF) < 21 && (colour & 0xFF) < 21;
}

int CompositePixels(const KPixelArea& picture, const RECT& source, KPixelArea* target, int x, int y) {
    if (!picture.bits || !target->bits || BytesPerPixel(picture.format) == 0 || BytesPerPixel(target->format) == 0)
        return 0;
    // Clip the source to the picture, then the shifted rectangle to the target.
    int64_t left = std::max<int64_t>(source.left, 0), top = std::max<int64_t>(source.top, 0);
    int64_t right = std::min<int64_t>(source.right, picture.width);
    int64_t bottom = std::min<int64_t>(source.bottom, picture.height);
    int64_t dx = int64_t(x) + (left - source.left), dy = int64_t(y) + (top - source.top);
    if (dx < 0) left -= dx, dx = 0;
    if (dy < 0) top -= dy, dy = 0;
    right = std::min<int64_t>(right, left + (target->width - dx));
    bottom = std::min<int64_t>(bottom, top + (target->height - dy));
    int written = 0;
    for (int64_t row = top; row < bottom; ++row) {
        for (int64_t column = left; column < right; ++column) {
            uint32_t colour = 0;
            ReadPixel8888(picture, int(column), int(row), &colour);
            WriteComposited(target, int(dx + column - left), int(dy + row - top), colour);
            ++written;
        }
    }
    return written;
}

void CompositePictureOntoSurface(KShellServices& shell, void* record, IDirect3DSurface9* captured) {
    if (record == nullptr || shell.DeviceLost()) return;
    KPictureRecordView view(static_cast<uint8_t*>(record));
    KJpgImage* picture = FetchRecordJpeg(shell, view);
    if (picture == nullptr) return;
    void* bits = nullptr;
    int pitch = 0;
    if (!picture->LockPixels(&bits, &pitch)) return;
    KPixelArea source{static_cast<uint8_t*>(bits), pitch, picture->GetWidth(), picture->GetHeight(),
                      picture->GetFormat()};
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (captured && SUCCEEDED(captured->GetDesc(&desc)) &&
        SUCCEEDED(captured->LockRect(&locked, nullptr, D3DLOCK_NOSYSLOCK))) {
        KPixelArea target{static_cast<uint8_t*>(locked.pBits), locked.Pitch, int(desc.Width), int(desc.Height),
                          desc.Format};
        const RECT rect{view.Rect(0), view.Rect(1), view.Rect(2), view.Rect(3)};
        CompositePixels(source, rect, &target, view.IntA(0), view.IntA(1));
        captured->UnlockRect();
    }
    picture->UnlockPixels();
}
