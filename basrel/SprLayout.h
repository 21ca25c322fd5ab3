// Checks of sprite bytes, apart from how the bytes were read. Each check
// returns null when the bytes are sound, else a short reason for the log.
// Sizes and offsets from the file are taken in 64-bit arithmetic.
#pragma once

#include <cstdint>

#include "SprFile.h"

// Reads the header fields of a kind this library knows; null when bytes
// holds fewer than 32 bytes or the kind is unknown.
const char* SprParseHeader(const uint8_t* bytes, uint64_t size, SprHeaderFields* fields);

// Where the frame table of an unpacked sprite begins, and where its frame
// area (the base of the table's offsets) begins.
uint64_t SprTableOffset(const SprHeaderFields& fields);
uint64_t SprFrameAreaOffset(const SprHeaderFields& fields);

// The frame a table entry names, as a span of the file.
struct SprFrameSpan {
    uint64_t start = 0;
    uint64_t length = 0;  // head included
};
// Locates frame index of an unpacked sprite whose file image (at least up
// to the end of its frame table) is bytes[0, size).
const char* SprLocateFrame(const uint8_t* bytes, uint64_t size, const SprHeaderFields& fields, uint32_t index,
                           SprFrameSpan* span);

// A run-length frame of width x height pixels with palette indices below
// colorCount: every run is 1..255 pixels, passes at most one row end, never
// runs past the last row, and its index bytes lie inside data.
const char* SprCheckRleFrame(const uint8_t* data, uint64_t size, uint32_t width, uint32_t height, uint32_t colorCount);
// A DXT5 frame: the DDS header and every block the frame's rows need.
const char* SprCheckDxtFrame(uint64_t size, uint32_t width, uint32_t height);
// One whole frame (head and data) of the given kind.
const char* SprCheckFrame(const uint8_t* frame, uint64_t length, const SprHeaderFields& fields);

// The whole file image of an unpacked sprite: palette and table inside the
// file, frames back to back in table order, every frame sound.
const char* SprCheckUnpacked(const uint8_t* bytes, uint64_t size, const SprHeaderFields& fields);
// Bytes that the header block of a packed sprite holds: header and records.
uint64_t SprPackedRecordsEnd(const SprHeaderFields& fields);
// The records of a packed sprite, bytes[0, SprPackedRecordsEnd): tile counts
// of at most 4, every used tile's image data non-empty and inside fileSize.
const char* SprCheckPacked(const uint8_t* bytes, uint64_t fileSize, const SprHeaderFields& fields);
