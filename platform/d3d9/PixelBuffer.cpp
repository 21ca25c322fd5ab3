#include "d3d9/PixelBuffer.h"

namespace lumiva::d3d9 {

void PixelBuffer::Allocate(D3DFORMAT newFormat, UINT newWidth, UINT newHeight) {
    format = newFormat;
    width = newWidth;
    height = newHeight;
    pitch = RowPitch(newFormat, newWidth);
    rowCount = RowCount(newFormat, newHeight);
    bytes.assign(static_cast<size_t>(pitch) * rowCount, 0);
}

void PixelBuffer::Free() {
    bytes.clear();
    bytes.shrink_to_fit();
}

BYTE* PixelBuffer::At(UINT x, UINT y) {
    return const_cast<BYTE*>(static_cast<const PixelBuffer*>(this)->At(x, y));
}

const BYTE* PixelBuffer::At(UINT x, UINT y) const {
    const FormatInfo* info = FindFormat(format);
    if (!info) return bytes.data();
    if (info->kind == FormatKind::BlockCompressed)
        return Row(y / 4) + static_cast<size_t>(x / 4) * info->bytesPerBlock;
    return Row(y) + static_cast<size_t>(x) * info->bytesPerPixel;
}

D3DCOLOR PixelBuffer::ReadColor(UINT x, UINT y) const {
    if (x >= width || y >= height || bytes.empty()) return 0;
    if (IsBlockFormat(format)) {
        D3DCOLOR texels[16];
        DecodeBlock(format, At(x, y), texels);
        return texels[(y % 4) * 4 + (x % 4)];
    }
    return DecodePixel(format, At(x, y));
}

void PixelBuffer::WriteColor(UINT x, UINT y, D3DCOLOR color) {
    if (x >= width || y >= height || bytes.empty() || IsBlockFormat(format)) return;
    EncodePixel(format, color, At(x, y));
}

}  // namespace lumiva::d3d9
