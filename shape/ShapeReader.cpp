// ReadShape: the outer stream (header, memory buffer, sequences, material
// list), then the two passes over the memory buffer, the checks and the
// derived tables.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "DebugLog.h"
#include "shape/KShape.h"
#include "shape/ShapeAssemble.h"
#include "shape/ShapeFileStream.h"
#include "shape/ShapeReadContext.h"
#include "shape/ShapeSequenceRead.h"

namespace {

bool Refuse(KShape* shape, const char* why) {
    g_DebugLog("[Shape]ReadShape: %s", why);
    shape->Clear();
    return false;
}

const char* ReadSequences(KShapeFileStream& s, uint32_t version, KShape& shape) {
    uint32_t count;
    if (!s.ReadU32(count)) return "the sequence count is cut short";
    if (count > s.Left() / MinSequenceBytes(version)) return "more sequences than the file holds";
    if (!shape.sequences.Resize(count)) return "out of memory for the sequences";
    for (KShapeSequence& sequence : shape.sequences)
        if (const char* why = ReadSequence(s, version, sequence)) return why;
    return nullptr;
}

struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
};

}  // namespace

bool ReadShape(const uint8_t* bytes, uint64_t size, KShape* shape) {
    if (!shape) return false;
    shape->Clear();
    if (!bytes || size == 0) return Refuse(shape, "no bytes");
    KShapeFileStream s(bytes, size);
    uint32_t versionWord, words, start16, start8;
    if (!s.ReadU32(versionWord) || !s.ReadU32(words) || !s.ReadU32(start16) || !s.ReadU32(start8))
        return Refuse(shape, "the header is cut short");
    shape->version = versionWord & 0xFF;
    if (words > s.Left() / 4) return Refuse(shape, "the memory buffer is cut short");
    const uint64_t bufferBytes = uint64_t(words) * 4;
    std::unique_ptr<uint8_t, FreeDeleter> buffer(static_cast<uint8_t*>(std::malloc(bufferBytes + 1)));
    if (!buffer) return Refuse(shape, "out of memory for the memory buffer");
    std::memcpy(buffer.get(), s.ReadBytes(bufferBytes), bufferBytes);

    if (const char* why = ReadSequences(s, shape->version, *shape)) return Refuse(shape, why);
    if (!shape->materials.Read(s, shape->version)) return Refuse(shape, "the material list is bad or cut short");

    KShapeReadContext context;
    context.version = shape->version;
    context.materialCount = shape->materials.Count();
    KShapeAlloc& alloc = context.alloc;
    alloc.SetSource(buffer.get(), bufferBytes);
    if (!alloc.Reset(0, start16, start8, true) || !AssembleShape(*shape, context))
        return Refuse(shape, alloc.Why());
    shape->block = alloc.AllocateBlock();
    if (!shape->block) return Refuse(shape, alloc.Why());
    if (!alloc.Reset(0, start16, start8, false) || !AssembleShape(*shape, context))
        return Refuse(shape, alloc.Why());
    buffer.reset();

    if (const char* why = CheckShape(*shape)) return Refuse(shape, why);
    if (!DeriveShape(*shape)) return Refuse(shape, "out of memory for the derived tables");
    return true;
}
