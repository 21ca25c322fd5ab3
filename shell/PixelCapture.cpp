// Copies a rectangle of the back buffer into the shell's 128-pixel-wide
// capture buffers: 32-bit pixels into the large one, 16-bit into the small.
#include <windows.h>
#include <d3d9.h>

#include <algorithm>
#include <cstring>

#include "shell/CapturePixels.h"
#include "shell/KDrawShell.h"

namespace {

constexpr int kCaptureSide = 128;

}  // namespace

void KDrawShell::ReadCapturedPixels(int x, int y, int width, int height) {
    if (!backBufferSurface || deviceLost) return;
    D3DSURFACE_DESC desc{};
    if (FAILED(backBufferSurface->GetDesc(&desc))) return;
    const int bytes = CapturePixelBytes(desc.Format);
    if (bytes == 0) return;
    std::vector<uint8_t>& buffer = bytes == 4 ? captureBuffers.large : captureBuffers.small;
    width = std::min(width, kCaptureSide);
    height = std::min(height, kCaptureSide);
    if (width <= 0 || height <= 0) return;

    D3DLOCKED_RECT locked{};
    if (FAILED(backBufferSurface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return;
    const CaptureSpan columns = ClipCaptureSpan(x, width, int(desc.Width));
    const CaptureSpan rows = ClipCaptureSpan(y, height, int(desc.Height));
    const size_t bufferPitch = size_t(kCaptureSide) * bytes;
    for (int r = 0; r < height; ++r) {
        uint8_t* out = buffer.data() + size_t(r) * bufferPitch;
        // What lies off the back buffer reads as 0, not as an older capture.
        std::memset(out, 0, size_t(width) * bytes);
        if (r < rows.first || r >= rows.last || columns.Empty()) continue;
        const uint8_t* in = static_cast<const uint8_t*>(locked.pBits) + int64_t(y + r) * locked.Pitch +
                            int64_t(x + columns.first) * bytes;
        std::memcpy(out + size_t(columns.first) * bytes, in, size_t(columns.last - columns.first) * bytes);
    }
    backBufferSurface->UnlockRect();
}
