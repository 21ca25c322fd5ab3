#include "effects/EffectFileFormat.h"

#include <cstring>

#include "lumiva/basrel/KPakFile.h"

namespace effect_bytes {

float GetF32(const uint8_t* p) {
    const uint32_t bits = GetU32(p);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

void PutF32(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutU32(p, bits);
}

}  // namespace effect_bytes

using namespace effect_bytes;

namespace {

void GetFloats(const uint8_t* p, float* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = GetF32(p + 4 * i);
}

void PutFloats(uint8_t* p, const float* in, int count) {
    for (int i = 0; i < count; ++i) PutF32(p + 4 * i, in[i]);
}

}  // namespace

void ClearEffectHeader(K3DEffectFileHeader* header) {
    if (header) std::memset(header, 0, sizeof *header);
}

void DecodeEffectHeader(const uint8_t* b, K3DEffectFileHeader* h) {
    h->magic = GetU32(b + 0);
    h->version = GetU32(b + 4);
    h->elementCount = GetU32(b + 8);
    h->duration = int32_t(GetU32(b + 12));
    h->spinSpeed = GetF32(b + 16);
    GetFloats(b + 20, h->scale, 3);
    h->additive = int32_t(GetU32(b + 32));
    h->extraValue = int32_t(GetU32(b + 36));
    std::memcpy(h->reserved, b + 40, sizeof h->reserved);
}

void EncodeEffectHeader(const K3DEffectFileHeader& h, uint8_t* b) {
    PutU32(b + 0, h.magic);
    PutU32(b + 4, h.version);
    PutU32(b + 8, h.elementCount);
    PutU32(b + 12, uint32_t(h.duration));
    PutF32(b + 16, h.spinSpeed);
    PutFloats(b + 20, h.scale, 3);
    PutU32(b + 32, uint32_t(h.additive));
    PutU32(b + 36, uint32_t(h.extraValue));
    std::memcpy(b + 40, h.reserved, sizeof h.reserved);
}

void DecodeElementRecord(const uint8_t* b, K3DEffectElementRecord* r) {
    r->type = b[0];
    r->brightness = int8_t(b[1]);
    r->reserved[0] = b[2];
    r->reserved[1] = b[3];
    std::memcpy(r->name, b + 4, sizeof r->name);
    r->name[sizeof r->name - 1] = '\0';
    GetFloats(b + 36, r->pivot, 3);
    GetFloats(b + 48, r->dimension, 3);
    r->segments[0] = int32_t(GetU32(b + 60));
    r->segments[1] = int32_t(GetU32(b + 64));
    std::memcpy(r->fileName, b + 68, sizeof r->fileName);
    r->fileName[sizeof r->fileName - 1] = '\0';
    r->mappingMode = int32_t(GetU32(b + 132));
    r->animSpeed = GetF32(b + 136);
    r->frameOffset = int32_t(GetU32(b + 140));
}

void EncodeElementRecord(const K3DEffectElementRecord& r, uint8_t* b) {
    b[0] = r.type;
    b[1] = uint8_t(r.brightness);
    b[2] = r.reserved[0];
    b[3] = r.reserved[1];
    std::memcpy(b + 4, r.name, sizeof r.name);
    PutFloats(b + 36, r.pivot, 3);
    PutFloats(b + 48, r.dimension, 3);
    PutU32(b + 60, uint32_t(r.segments[0]));
    PutU32(b + 64, uint32_t(r.segments[1]));
    std::memcpy(b + 68, r.fileName, sizeof r.fileName);
    PutU32(b + 132, uint32_t(r.mappingMode));
    PutF32(b + 136, r.animSpeed);
    PutU32(b + 140, uint32_t(r.frameOffset));
}

bool ReadEffectFileHeader(KPakFile& file, K3DEffectFileHeader* header) {
    uint8_t bytes[kEffectHeaderSize];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) return false;
    ClearEffectHeader(header);
    DecodeEffectHeader(bytes, header);
    return true;
}
