#include "place/PicturePixelCopy.h"

#include <algorithm>
#include <cstring>

#include "JpegImage.h"
#include "KStringMap.h"
#include "shell/ShellServices.h"

namespace {

constexpr int kMessageText = 48;
constexpr int kMessageCaption = 44;
// A failure reported as success would let the host carry on without its
// pictures, so the process ends with a failing code.
constexpr UINT kUnsupportedFormatExitCode = 1;

// Same expansion as the shell's 565 conversion: each channel shifted to the
// top of its byte.
DWORD Color555To8888(uint16_t colour) {
    const DWORD red = (colour >> 10) & 0x1F;
    const DWORD green = (colour >> 5) & 0x1F;
    const DWORD blue = colour & 0x1F;
    return 0xFF000000u | red << 19 | green << 11 | blue << 3;
}

DWORD Widen565(uint16_t colour) {
    return 0xFF000000u | DWORD(colour >> 11) << 19 | DWORD((colour >> 5) & 0x3F) << 10 | DWORD(colour & 0x1F) << 3;
}

// One row of 565 pixels widened to 32 bits, in runs of a fixed length the
// compiler can do at once.
void WidenRow565(const uint16_t* source, uint8_t* out, int count) {
    constexpr int kRun = 16;
    int x = 0;
    for (; x + kRun <= count; x += kRun) {
        uint32_t run[kRun];
        for (int i = 0; i < kRun; ++i) run[i] = Widen565(source[x + i]);
        std::memcpy(out + size_t(x) * 4, run, sizeof run);
    }
    for (; x < count; ++x) {
        const DWORD colour = Widen565(source[x]);
        std::memcpy(out + size_t(x) * 4, &colour, 4);
    }
}

uint16_t Color555To565(uint16_t colour) {
    return uint16_t((colour & 0x7C00) << 1 | (colour & 0x03E0) << 1 | (colour & 0x001F));
}

// The rectangle cut to the picture and to the image.
bool ClipCopy(PictureCopyRect& r, const QivImageContent& picture, const LockedImage& image) {
    auto cutLeading = [&](int& source, int& dest, int& size) {
        const int skip = std::max({0, -source, -dest});
        source += skip;
        dest += skip;
        size -= skip;
    };
    cutLeading(r.sourceX, r.destX, r.width);
    cutLeading(r.sourceY, r.destY, r.height);
    r.width = std::min({r.width, picture.nWidth - r.sourceX, image.width - r.destX});
    r.height = std::min({r.height, picture.nHeight - r.sourceY, image.height - r.destY});
    return r.width > 0 && r.height > 0;
}

}  // namespace

const uint32_t* KColour565Table::Get(KShellServices& shell) {
    if (m_table.empty()) {
        m_table.resize(65536);
        m_plain = true;
        for (uint32_t c = 0; c < 65536; ++c) {
            m_table[c] = shell.Color565To8888(uint16_t(c));
            m_plain = m_plain && m_table[c] == Widen565(uint16_t(c));
        }
    }
    return m_table.data();
}

int DecodeMaskForPixelKind(int32_t kind) {
    if (kind == 1) return JPEG_MASK_555;
    if (kind == 2) return JPEG_MASK_565;
    return -1;
}

PictureCopyResult CopyPicturePixels(KShellServices& shell, KColour565Table& colours, D3DFORMAT format,
                                    const QivImageContent& picture, int decodeMask, const PictureCopyRect& rect,
                                    const LockedImage& image) {
    if (format != D3DFMT_R5G6B5 && format != D3DFMT_X8R8G8B8) return PictureCopyResult::UnsupportedFormat;
    const int pixelBytes = format == D3DFMT_R5G6B5 ? 2 : 4;
    PictureCopyRect r = rect;
    if (!image.bits || image.pitch < image.width * pixelBytes || !ClipCopy(r, picture, image))
        return PictureCopyResult::Copied;
    const bool fiveFiveFive = decodeMask == JPEG_MASK_555;
    const uint32_t* table = pixelBytes == 4 && !fiveFiveFive ? colours.Get(shell) : nullptr;
    const bool plain = table && colours.IsPlainWidening(shell);
    const uint16_t* source = picture.Pixels() + size_t(r.sourceY) * size_t(picture.nWidth) + size_t(r.sourceX);
    uint8_t* row = image.bits + size_t(r.destY) * size_t(image.pitch) + size_t(r.destX) * size_t(pixelBytes);
    for (int y = 0; y < r.height; ++y, source += picture.nWidth, row += image.pitch) {
        if (plain) {
            WidenRow565(source, row, r.width);
        } else if (pixelBytes == 4) {
            for (int x = 0; x < r.width; ++x) {
                const DWORD colour = table ? table[source[x]] : Color555To8888(source[x]);
                std::memcpy(row + size_t(x) * 4, &colour, 4);
            }
        } else if (fiveFiveFive) {
            for (int x = 0; x < r.width; ++x) {
                const uint16_t colour = Color555To565(source[x]);
                std::memcpy(row + size_t(x) * 2, &colour, 2);
            }
        } else {
            std::memcpy(row, source, size_t(r.width) * 2);
        }
    }
    return PictureCopyResult::Copied;
}

void EndForUnsupportedPictureFormat(bool immediate) {
    MessageBoxA(nullptr, g_cStringMap.GetString(kMessageText), g_cStringMap.GetString(kMessageCaption), 0);
    if (immediate)
        TerminateProcess(GetCurrentProcess(), kUnsupportedFormatExitCode);
    else
        ExitProcess(kUnsupportedFormatExitCode);
}
