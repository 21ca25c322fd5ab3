#include "SprWriter.h"

#include <algorithm>
#include <stdexcept>

#include "ByteWriter.h"
#include "DxtBlocks.h"
#include "SprFile.h"

namespace {

void CheckPixels(const SprPixels& frame) {
    if (frame.width == 0 || frame.height == 0) throw std::invalid_argument("sprite frame of zero size");
    if (frame.argb.size() != size_t(frame.width) * frame.height)
        throw std::invalid_argument("sprite frame pixel count does not match its size");
}

void WriteUnpackedHeader(ByteWriter& out, uint32_t kind, const SprSpriteInfo& info, size_t frames, size_t colours) {
    if (frames == 0 || frames > 0xFFFF) throw std::invalid_argument("sprite frame count out of range");
    out.U32(kind);
    out.U16(info.width);
    out.U16(info.height);
    out.U16(info.centerX);
    out.U16(info.centerY);
    out.U16(uint16_t(frames));
    out.U16(uint16_t(colours));
    out.U16(info.word16);
    out.U16(info.word18);
    out.Zeros(12);
}

SprRawFrame StoredFrame(const SprPixels& frame, std::vector<uint8_t> data) {
    return {frame.width, frame.height, frame.offsetX, frame.offsetY, std::move(data)};
}

}  // namespace

std::vector<uint32_t> BuildSprPalette(const std::vector<SprPixels>& frames) {
    std::vector<uint32_t> palette;
    for (const SprPixels& frame : frames) {
        for (uint32_t argb : frame.argb) {
            if ((argb >> 24) == 0) continue;
            uint32_t rgb = argb & 0xFFFFFF;
            if (std::find(palette.begin(), palette.end(), rgb) != palette.end()) continue;
            if (palette.size() == 256) throw std::invalid_argument("sprite uses more than 256 colours");
            palette.push_back(rgb);
        }
    }
    return palette;
}

std::vector<uint8_t> EncodeSprRuns(const SprPixels& frame, const std::vector<uint32_t>& palette, bool runsCrossRows) {
    CheckPixels(frame);
    const size_t width = frame.width, total = frame.argb.size();
    std::vector<uint8_t> out;
    for (size_t at = 0; at < total;) {
        uint32_t alpha = frame.argb[at] >> 24;
        size_t rowEnd = (at / width + 1) * width;
        // A run may pass one row end, but must stop short of the next one.
        size_t limit = std::min(total, runsCrossRows ? rowEnd + width - 1 : rowEnd);
        size_t count = 1;
        while (at + count < limit && count < 255 && (frame.argb[at + count] >> 24) == alpha) ++count;
        out.push_back(uint8_t(count));
        out.push_back(uint8_t(alpha));
        if (alpha != 0) {
            for (size_t i = 0; i < count; ++i) {
                uint32_t rgb = frame.argb[at + i] & 0xFFFFFF;
                auto found = std::find(palette.begin(), palette.end(), rgb);
                if (found == palette.end()) throw std::invalid_argument("colour missing from the palette");
                out.push_back(uint8_t(found - palette.begin()));
            }
        }
        at += count;
    }
    return out;
}

std::vector<uint8_t> WriteUnpackedSprite(uint32_t kind, const SprSpriteInfo& info, const std::vector<uint32_t>& palette,
                                         const std::vector<SprRawFrame>& frames, bool negativeLengths) {
    if (palette.size() > 0xFFFF) throw std::invalid_argument("palette too long");
    ByteWriter out;
    WriteUnpackedHeader(out, kind, info, frames.size(), kind == SPR_KIND_RLE ? palette.size() : 0);
    if (kind == SPR_KIND_RLE) {
        for (uint32_t rgb : palette) {
            out.U8(uint8_t(rgb >> 16));
            out.U8(uint8_t(rgb >> 8));
            out.U8(uint8_t(rgb));
        }
    }
    uint32_t offset = 0;
    for (const SprRawFrame& frame : frames) {
        uint64_t length = SPR_FRAME_HEAD_SIZE + uint64_t(frame.data.size());
        if (length > 0x7FFFFFFF) throw std::invalid_argument("sprite frame too long");
        out.U32(offset);
        out.I32(negativeLengths ? -int32_t(length) : int32_t(length));
        offset += uint32_t(length);
    }
    for (const SprRawFrame& frame : frames) {
        out.U16(frame.width);
        out.U16(frame.height);
        out.U16(frame.offsetX);
        out.U16(frame.offsetY);
        out.Bytes(frame.data);
    }
    return out.Take();
}

std::vector<uint8_t> WriteSpr(const SprSpriteInfo& info, const std::vector<SprPixels>& frames,
                              const SprRleOptions& options) {
    std::vector<uint32_t> palette = BuildSprPalette(frames);
    std::vector<SprRawFrame> stored;
    for (const SprPixels& frame : frames)
        stored.push_back(StoredFrame(frame, EncodeSprRuns(frame, palette, options.runsCrossRows)));
    return WriteUnpackedSprite(SPR_KIND_RLE, info, palette, stored, options.negativeLengths);
}

std::vector<uint8_t> MakeDxt5DdsHeader(uint32_t width, uint32_t height) {
    ByteWriter out;
    out.Text("DDS ", 4);
    out.U32(124);                                 // header size
    out.U32(0x1 | 0x2 | 0x4 | 0x1000 | 0x80000);  // caps, height, width, pixel format, linear size
    out.U32(height);
    out.U32(width);
    out.U32(((width + 3) / 4) * ((height + 3) / 4) * 16);
    out.U32(0);  // depth
    out.U32(0);  // mip levels
    out.Zeros(11 * 4);
    out.U32(32);   // pixel format size
    out.U32(0x4);  // four-cc
    out.Text("DXT5", 4);
    out.Zeros(5 * 4);
    out.U32(0x1000);  // texture
    out.Zeros(4 * 4);
    return out.Take();
}

std::vector<uint8_t> WriteSds2(const SprSpriteInfo& info, const std::vector<SprPixels>& frames) {
    std::vector<SprRawFrame> stored;
    for (const SprPixels& frame : frames) {
        CheckPixels(frame);
        // Block rows are read width x 4 bytes apart, which is a whole row of
        // blocks only for widths that are multiples of 4.
        if (frame.width % 4 != 0) throw std::invalid_argument("SDS2 frame width not a multiple of 4");
        std::vector<uint8_t> data = MakeDxt5DdsHeader(frame.width, frame.height);
        std::vector<uint8_t> blocks = EncodeDxt5(frame.argb.data(), frame.width, frame.height);
        data.insert(data.end(), blocks.begin(), blocks.end());
        stored.push_back(StoredFrame(frame, std::move(data)));
    }
    return WriteUnpackedSprite(SPR_KIND_DXT5, info, {}, stored);
}

std::vector<uint8_t> WriteSds0(const SprSpriteInfo& info, const std::vector<SdsFrame>& frames) {
    if (frames.empty() || frames.size() > 0xFFFF) throw std::invalid_argument("sprite frame count out of range");
    ByteWriter out;
    out.U32(SPR_KIND_PACKED);
    out.U16(0);
    out.U16(info.width);
    out.U16(info.height);
    out.U16(info.centerX);
    out.U16(info.centerY);
    out.U16(uint16_t(frames.size()));
    out.U16(info.word16);
    out.U16(info.word18);
    out.Zeros(12);

    uint64_t imageAt = SPR_HEADER_SIZE + uint64_t(frames.size()) * SPR_PACKED_FRAME_SIZE;
    for (const SdsFrame& frame : frames) {
        if (frame.tiles.size() > SPR_PACKED_TILE_COUNT) throw std::invalid_argument("more than 4 tiles");
        out.U8(uint8_t(frame.tiles.size()));
        out.U16(frame.width);
        out.U16(frame.height);
        out.U16(frame.offsetX);
        out.U16(frame.offsetY);
        for (uint32_t t = 0; t < SPR_PACKED_TILE_COUNT; ++t) {
            if (t >= frame.tiles.size()) {
                out.Zeros(SPR_PACKED_TILE_SIZE);
                continue;
            }
            const SdsTile& tile = frame.tiles[t];
            if (tile.image.empty()) throw std::invalid_argument("tile without image data");
            if (imageAt + tile.image.size() > 0xFFFFFFFFu) throw std::invalid_argument("sprite file too long");
            out.U32(uint32_t(imageAt));
            out.U32(uint32_t(tile.image.size()));
            out.U16(tile.textureWidth);
            out.U16(tile.textureHeight);
            out.U16(tile.x);
            out.U16(tile.y);
            out.U16(tile.width);
            out.U16(tile.height);
            out.U32(0);
            out.Zeros(12);
            imageAt += tile.image.size();
        }
    }
    for (const SdsFrame& frame : frames)
        for (const SdsTile& tile : frame.tiles) out.Bytes(tile.image);
    return out.Take();
}
