#include "SprLayout.h"

#include <cstdlib>

namespace {

uint16_t U16At(const uint8_t* p, uint64_t at) { return uint16_t(p[at] | p[at + 1] << 8); }

uint32_t U32At(const uint8_t* p, uint64_t at) {
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 | uint32_t(p[at + 3]) << 24;
}

bool IsUnpackedKind(uint32_t kind) { return kind == SPR_KIND_RLE || kind == SPR_KIND_DXT5; }

}  // namespace

const char* SprParseHeader(const uint8_t* bytes, uint64_t size, SprHeaderFields* fields) {
    if (size < SPR_HEADER_SIZE) return "truncated header";
    SprHeaderFields f;
    f.kind = U32At(bytes, 0);
    if (IsUnpackedKind(f.kind)) {
        f.width = U16At(bytes, 4);
        f.height = U16At(bytes, 6);
        f.centerX = U16At(bytes, 8);
        f.centerY = U16At(bytes, 10);
        f.frameCount = U16At(bytes, 12);
        f.colorCount = f.kind == SPR_KIND_RLE ? U16At(bytes, 14) : 0;
    } else if (f.kind == SPR_KIND_PACKED) {
        f.width = U16At(bytes, 6);
        f.height = U16At(bytes, 8);
        f.centerX = U16At(bytes, 10);
        f.centerY = U16At(bytes, 12);
        f.frameCount = U16At(bytes, 14);
    } else {
        return "unknown kind";
    }
    f.word16 = U16At(bytes, 16);
    f.word18 = U16At(bytes, 18);
    if (f.frameCount == 0) return "no frames";
    *fields = f;
    return nullptr;
}

uint64_t SprTableOffset(const SprHeaderFields& fields) {
    return uint64_t(SPR_HEADER_SIZE) + uint64_t(fields.colorCount) * 3;
}

uint64_t SprFrameAreaOffset(const SprHeaderFields& fields) {
    return SprTableOffset(fields) + uint64_t(fields.frameCount) * SPR_TABLE_ENTRY_SIZE;
}

const char* SprLocateFrame(const uint8_t* bytes, uint64_t size, const SprHeaderFields& fields, uint32_t index,
                           SprFrameSpan* span) {
    if (index >= fields.frameCount) return "frame index out of range";
    uint64_t area = SprFrameAreaOffset(fields);
    if (area > size) return "truncated frame table";
    uint64_t entry = SprTableOffset(fields) + uint64_t(index) * SPR_TABLE_ENTRY_SIZE;
    uint64_t offset = U32At(bytes, entry);
    int64_t signedLength = int32_t(U32At(bytes, entry + 4));
    uint64_t length = uint64_t(signedLength < 0 ? -signedLength : signedLength);
    if (length < SPR_FRAME_HEAD_SIZE) return "frame length below 8";
    if (area + offset + length > size) return "frame past the end of the file";
    span->start = area + offset;
    span->length = length;
    return nullptr;
}

const char* SprCheckRleFrame(const uint8_t* data, uint64_t size, uint32_t width, uint32_t height, uint32_t colorCount) {
    if (width == 0 || height == 0) return "empty frame";
    // Follows the decoder's row counting: a row ends when its pixels left
    // reach zero or less, and the overrun is carried into the next row once.
    int64_t left = width;
    uint32_t rows = 0;
    uint64_t at = 0;
    while (rows < height) {
        if (at + 2 > size) return "run past the end of the frame";
        uint32_t count = data[at];
        uint32_t alpha = data[at + 1];
        at += 2;
        if (count == 0) return "empty run";
        if (alpha != 0) {
            if (at + count > size) return "run indices past the end of the frame";
            for (uint32_t i = 0; i < count; ++i) {
                if (data[at + i] >= colorCount) return "palette index out of range";
            }
            at += count;
        }
        left -= count;
        if (left <= -int64_t(width)) return "run passes two row ends";
        if (left <= 0) {
            left += width;
            ++rows;
            if (rows == height && left != width) return "run past the last row";
        }
    }
    return nullptr;
}

const char* SprCheckDxtFrame(uint64_t size, uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return "empty frame";
    // Block rows are read width x 4 bytes apart; the last one needs its
    // blocks in full.
    uint64_t blockRows = (uint64_t(height) + 3) / 4;
    uint64_t lastRow = (uint64_t(width) + 3) / 4 * 16;
    uint64_t need = SPR_DDS_HEADER_SIZE + (blockRows - 1) * width * 4 + lastRow;
    if (size < need) return "truncated DXT5 blocks";
    return nullptr;
}

const char* SprCheckFrame(const uint8_t* frame, uint64_t length, const SprHeaderFields& fields) {
    if (length < SPR_FRAME_HEAD_SIZE) return "frame length below 8";
    uint32_t width = U16At(frame, 0);
    uint32_t height = U16At(frame, 2);
    const uint8_t* data = frame + SPR_FRAME_HEAD_SIZE;
    uint64_t size = length - SPR_FRAME_HEAD_SIZE;
    if (fields.kind == SPR_KIND_RLE) return SprCheckRleFrame(data, size, width, height, fields.colorCount);
    if (fields.kind == SPR_KIND_DXT5) return SprCheckDxtFrame(size, width, height);
    return "not an unpacked sprite";
}

const char* SprCheckUnpacked(const uint8_t* bytes, uint64_t size, const SprHeaderFields& fields) {
    if (SprTableOffset(fields) > size) return "truncated palette";
    uint64_t area = SprFrameAreaOffset(fields);
    if (area > size) return "truncated frame table";
    uint64_t next = 0;
    for (uint32_t i = 0; i < fields.frameCount; ++i) {
        SprFrameSpan span;
        if (const char* why = SprLocateFrame(bytes, size, fields, i, &span)) return why;
        // Readers may take the frames one after another instead of through
        // the offsets; both must see the same frames.
        if (span.start != area + next) return "frames out of table order";
        next += span.length;
        if (const char* why = SprCheckFrame(bytes + span.start, span.length, fields)) return why;
    }
    return nullptr;
}

uint64_t SprPackedRecordsEnd(const SprHeaderFields& fields) {
    return uint64_t(SPR_HEADER_SIZE) + uint64_t(fields.frameCount) * SPR_PACKED_FRAME_SIZE;
}

const char* SprCheckPacked(const uint8_t* bytes, uint64_t fileSize, const SprHeaderFields& fields) {
    if (SprPackedRecordsEnd(fields) > fileSize) return "truncated frame records";
    for (uint32_t i = 0; i < fields.frameCount; ++i) {
        const uint8_t* record = bytes + SPR_HEADER_SIZE + uint64_t(i) * SPR_PACKED_FRAME_SIZE;
        uint32_t tiles = record[0];
        if (tiles > SPR_PACKED_TILE_COUNT) return "tile count above 4";
        for (uint32_t t = 0; t < tiles; ++t) {
            const uint8_t* tile = record + 9 + t * SPR_PACKED_TILE_SIZE;
            uint64_t offset = U32At(tile, 0);
            uint64_t length = U32At(tile, 4);
            if (length == 0) return "empty tile image";
            if (offset + length > fileSize) return "tile image past the end of the file";
        }
    }
    return nullptr;
}
