// The ".a3e" effect file: a 256-byte header, one 144-byte record per
// element, then every element's key tracks (counts, values, times).
//
// Both records are plain data with the file's layout, but the file is never
// laid over them: DecodeX and EncodeX move them field by field, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

class KPakFile;

constexpr uint32_t kEffectFileMagic = 0x65643361;  // the bytes "a3de"
constexpr uint32_t kEffectFileVersion = 6;         // written; 0..6 are read
constexpr uint32_t kEffectHeaderSize = 256;
constexpr uint32_t kEffectElementRecordSize = 144;
constexpr uint32_t kEffectTrackCount = 6;          // position .. offset
constexpr uint32_t kEffectNameSize = 32;
constexpr uint32_t kEffectFileNameSize = 64;

struct K3DEffectFileHeader {
    uint32_t magic;
    uint32_t version;
    uint32_t elementCount;
    int32_t duration;  // ms
    float spinSpeed;   // radians a second about y
    float scale[3];    // taken from version 4 on
    int32_t additive;  // taken from version 5 on
    int32_t extraValue;  // taken from version 6 on
    uint8_t reserved[216];
};
static_assert(sizeof(K3DEffectFileHeader) == kEffectHeaderSize);
static_assert(offsetof(K3DEffectFileHeader, duration) == 12);
static_assert(offsetof(K3DEffectFileHeader, scale) == 20);
static_assert(offsetof(K3DEffectFileHeader, additive) == 32);
static_assert(offsetof(K3DEffectFileHeader, extraValue) == 36);
static_assert(offsetof(K3DEffectFileHeader, reserved) == 40);

// The persistent part of an effect element.
struct K3DEffectElementRecord {
    uint8_t type;        // 1..6; others load but build nothing
    int8_t brightness;
    uint8_t reserved[2];
    char name[kEffectNameSize];
    float pivot[3];
    float dimension[3];
    int32_t segments[2];
    char fileName[kEffectFileNameSize];  // picture, or a model's base name
    int32_t mappingMode;
    float animSpeed;
    int32_t frameOffset;
};
static_assert(sizeof(K3DEffectElementRecord) == kEffectElementRecordSize);
static_assert(offsetof(K3DEffectElementRecord, name) == 4);
static_assert(offsetof(K3DEffectElementRecord, pivot) == 36);
static_assert(offsetof(K3DEffectElementRecord, dimension) == 48);
static_assert(offsetof(K3DEffectElementRecord, segments) == 60);
static_assert(offsetof(K3DEffectElementRecord, fileName) == 68);
static_assert(offsetof(K3DEffectElementRecord, mappingMode) == 132);
static_assert(offsetof(K3DEffectElementRecord, animSpeed) == 136);
static_assert(offsetof(K3DEffectElementRecord, frameOffset) == 140);

// Bytes of one key of each track, value then time, in track order.
constexpr uint32_t kEffectKeyBytes[kEffectTrackCount] = {12 + 4, 4 + 4, 4 + 4, 12 + 4, 4 + 4, 12 + 4};

void ClearEffectHeader(K3DEffectFileHeader* header);
// Reads and decodes the header at the file's position; false for a file
// shorter than a header. Magic and version are left to the caller.
bool ReadEffectFileHeader(KPakFile& file, K3DEffectFileHeader* header);

void DecodeEffectHeader(const uint8_t* bytes, K3DEffectFileHeader* header);
void EncodeEffectHeader(const K3DEffectFileHeader& header, uint8_t* bytes);
// Both names come out terminated at their last byte, whatever the file held.
void DecodeElementRecord(const uint8_t* bytes, K3DEffectElementRecord* record);
void EncodeElementRecord(const K3DEffectElementRecord& record, uint8_t* bytes);

// Little-endian fields of the effect file.
namespace effect_bytes {

inline uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
float GetF32(const uint8_t* p);
void PutF32(uint8_t* p, float v);

}  // namespace effect_bytes
