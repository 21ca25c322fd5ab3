#include "A3eWriter.h"

#include "ByteWriter.h"

namespace a3e {
namespace {

void Put(ByteWriter& out, const Vec3& v) {
    out.F32(v.x);
    out.F32(v.y);
    out.F32(v.z);
}
void Put(ByteWriter& out, float v) { out.F32(v); }
void Put(ByteWriter& out, uint32_t v) { out.U32(v); }
void Put(ByteWriter& out, int32_t v) { out.I32(v); }

void WriteHeader(ByteWriter& out, const File& f) {
    out.U32(f.magic);
    out.U32(f.version);
    out.U32(f.elementCount.value_or(uint32_t(f.elements.size())));
    out.I32(f.duration);
    out.F32(f.spinSpeed);
    Put(out, f.scale);
    out.I32(f.additive);
    out.I32(f.extraValue);
    out.Zeros(216);
}

void WriteElement(ByteWriter& out, const Element& e) {
    out.U8(e.type);
    out.U8(uint8_t(e.brightness));
    out.U16(e.reserved);
    out.Text(e.name, 32);
    Put(out, e.pivot);
    for (float d : e.dimension) out.F32(d);
    for (int32_t s : e.segments) out.I32(s);
    out.Text(e.fileName, 64);
    out.I32(e.mappingMode);
    out.F32(e.animSpeed);
    out.I32(e.frameOffset);
}

template <class V>
void WriteKeys(ByteWriter& out, const std::vector<Key<V>>& keys) {
    for (const Key<V>& key : keys) Put(out, key.value);
    for (const Key<V>& key : keys) out.I32(key.time);
}

void WriteTracks(ByteWriter& out, const Tracks& t) {
    const size_t sizes[6] = {t.position.size(), t.rotation.size(), t.color.size(),
                             t.scale.size(),    t.visible.size(),  t.offset.size()};
    for (int k = 0; k < 6; ++k) out.U32(t.countOverride[size_t(k)].value_or(uint32_t(sizes[k])));
    WriteKeys(out, t.position);
    WriteKeys(out, t.rotation);
    WriteKeys(out, t.color);
    WriteKeys(out, t.scale);
    WriteKeys(out, t.visible);
    WriteKeys(out, t.offset);
}

}  // namespace

std::vector<uint8_t> WriteA3e(const File& file) {
    ByteWriter out;
    WriteHeader(out, file);
    for (const Element& e : file.elements) WriteElement(out, e);
    for (const Tracks& t : file.tracks) WriteTracks(out, t);
    return out.Take();
}

}  // namespace a3e
