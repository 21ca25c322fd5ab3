// Sprite files: the three kinds, their layouts, and the host's sprite API.
//
// All values are little-endian.
//
// Unpacked kinds, "SPR\0" (run-length frames with a palette) and "SDS2"
// (DXT5 frames). Header, 32 bytes:
//   0 kind (32-bit)   4 width   6 height   8 centre x   10 centre y
//   12 frame count    14 palette colour count (SPR only)
//   16 header word 16 18 header word 18   20..31 reserved
// then, for SPR only, colour count x 3 palette bytes (red, green, blue);
// then the frame table, frame count x {32-bit offset, 32-bit signed length};
// then the frames, in table order, back to back.
//
// Frame-table offsets count from the first byte after the table (the frame
// area), so frame 0 sits at offset 0 and every later frame at the sum of the
// lengths before it. A length covers the whole frame, its 8-byte head
// included, so it is at least 8; a negative length stands for its magnitude.
// A frame: 16-bit width, height, offset x, offset y, then length - 8 bytes.
//   SPR:  run-length rows: a 16-bit run word (low byte pixel count 1..255,
//         high byte alpha); alpha 0 is a transparent run with no more bytes,
//         any other run is followed by count palette indices. A run may pass
//         a row end into the next row, but never past the next row's end,
//         and never past the last row.
//   SDS2: a 128-byte DDS header, then DXT5 blocks, a block row being
//         width x 4 bytes.
//
// Packed kind, "SDS\0". Header, 32 bytes: kind at 0, then 16-bit width at 6,
// height 8, centre x 10, centre y 12, frame count 14, header word 16 at 16,
// header word 18 at 18. At byte 32, frame count packed frame records of 153
// bytes: tile count (8-bit, 0..4), 16-bit frame width, height, offset x,
// offset y, then four 36-byte tiles: 32-bit file offset and length of an
// embedded image file, 16-bit texture width, texture height, x, y, width,
// height shown, 32-bit texture slot (0 in the file), 12 reserved bytes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "BasrelApi.h"

class KPakFile;

constexpr uint32_t SPR_KIND_RLE = 0x00525053;     // "SPR\0"
constexpr uint32_t SPR_KIND_DXT5 = 0x32534453;    // "SDS2"
constexpr uint32_t SPR_KIND_PACKED = 0x00534453;  // "SDS\0"

constexpr uint32_t SPR_HEADER_SIZE = 32;
constexpr uint32_t SPR_TABLE_ENTRY_SIZE = 8;
constexpr uint32_t SPR_FRAME_HEAD_SIZE = 8;
constexpr uint32_t SPR_DDS_HEADER_SIZE = 128;
constexpr uint32_t SPR_PACKED_FRAME_SIZE = 153;
constexpr uint32_t SPR_PACKED_TILE_SIZE = 36;
constexpr uint32_t SPR_PACKED_TILE_COUNT = 4;

// The first bytes of the block SprGetHeader returns: the file's 32-byte
// header as stored. For the unpacked kinds the rest of the file follows it
// (palette, frame table, frames), so the frame table of an SPR sprite sits at
// header + 32 + colours x 3 and of an SDS2 sprite at header + 32. For the
// packed kind the packed frame records follow it. The block is writable: a
// caller may turn the table's negative lengths positive.
struct SPRHEAD {
    BYTE Bytes[SPR_HEADER_SIZE];
};
static_assert(sizeof(SPRHEAD) == 32);

// One frame from SprGetFrame: the 8-byte head, then length - 8 bytes of frame
// data (see SprFrameData).
struct SPRFRAME {
    WORD Width;
    WORD Height;
    WORD OffsetX;
    WORD OffsetY;
};
static_assert(sizeof(SPRFRAME) == SPR_FRAME_HEAD_SIZE);

inline BYTE* SprFrameData(SPRFRAME* frame) { return reinterpret_cast<BYTE*>(frame) + SPR_FRAME_HEAD_SIZE; }

// The header fields of any kind, wherever its layout keeps them.
struct SprHeaderFields {
    uint32_t kind = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t centerX = 0;
    uint16_t centerY = 0;
    uint16_t frameCount = 0;
    uint16_t colorCount = 0;  // 0 for the kinds without a palette
    uint16_t word16 = 0;
    uint16_t word18 = 0;
};

// Opens name into file, checks the whole sprite (header, palette, frame
// table, every frame or packed tile against the file size) and returns its
// header block; the file stays open. Null, with one log line and the file
// closed, for a missing or malformed sprite.
BASREL_API SPRHEAD* SprGetHeader(KPakFile* file, const char* name);
// A copy of frame index of an unpacked sprite, read through the header
// block's frame table. Null, with one log line, for a bad index, a packed
// sprite or a table entry or frame that does not fit.
BASREL_API SPRFRAME* SprGetFrame(SPRHEAD* header, int index);
BASREL_API void SprReleaseFrame(SPRFRAME* frame);
BASREL_API void SprReleaseHeader(SPRHEAD* header);

// Header fields of a block from SprGetHeader.
BASREL_API SprHeaderFields SprGetHeaderFields(const SPRHEAD* header);
// Byte size of the block from SprGetHeader (header included).
BASREL_API uint32_t SprGetHeaderBlockSize(const SPRHEAD* header);
