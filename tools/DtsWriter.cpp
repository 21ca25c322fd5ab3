#include "DtsWriter.h"

#include <cstring>

#include "ByteWriter.h"

namespace dts {

Set Set::Of(std::initializer_list<uint32_t> members) {
    Set set;
    for (uint32_t m : members) {
        if (set.words.size() <= m / 32) set.words.resize(m / 32 + 1, 0);
        set.words[m / 32] |= 1u << (m % 32);
    }
    return set;
}

namespace {

uint32_t Bits(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

uint32_t Count(const std::optional<uint32_t>& given, size_t actual) { return given ? *given : uint32_t(actual); }

// The three streams of the memory buffer.
class MemoryBuffer {
public:
    MemoryBuffer(uint32_t version, const Overrides& overrides) : v(version), m_overrides(overrides) {}

    void U32(uint32_t value) { m_32.push_back(value); }
    void I32(int32_t value) { U32(uint32_t(value)); }
    void F32(float value) { U32(Bits(value)); }
    void U16(uint16_t value) { m_16.push_back(value); }
    void U8(uint8_t value) { m_8.push_back(value); }
    void Vec(const Vec3& p) {
        F32(p.x);
        F32(p.y);
        F32(p.z);
    }
    void Quat(const Quat16& q) {
        for (int16_t c : {q.x, q.y, q.z, q.w}) U16(uint16_t(c));
    }
    void Guard() {
        const uint32_t g = m_guards++;
        U32(int(g) == m_overrides.badGuard ? g + 1 : g);
        U16(uint16_t(g));
        U8(uint8_t(g));
    }

    // The streams one after the other: the 16-bit stream starts on a word,
    // the 8-bit stream likewise; every stream padded to a word.
    void Finish(ByteWriter& out) const {
        std::vector<uint16_t> w16 = m_16;
        if (w16.size() % 2) w16.push_back(0);
        std::vector<uint8_t> w8 = m_8;
        while (w8.size() % 4) w8.push_back(0);
        const uint32_t start16 = uint32_t(m_32.size());
        const uint32_t start8 = start16 + uint32_t(w16.size() / 2);
        const uint32_t words = start8 + uint32_t(w8.size() / 4);
        out.U32(m_overrides.bufferWords.value_or(words));
        out.U32(m_overrides.start16.value_or(start16));
        out.U32(m_overrides.start8.value_or(start8));
        for (uint32_t w : m_32) out.U32(w);
        for (uint16_t h : w16) out.U16(h);
        out.Bytes(w8.data(), w8.size());
    }

    const uint32_t v;

private:
    const Overrides& m_overrides;
    std::vector<uint32_t> m_32;
    std::vector<uint16_t> m_16;
    std::vector<uint8_t> m_8;
    uint32_t m_guards = 0;
};

void WriteCounts(MemoryBuffer& b, const Shape& s) {
    const Overrides& o = s.overrides;
    const uint32_t nodes = Count(o.nodes, s.nodes.size());
    b.U32(nodes);
    b.U32(Count(o.objects, s.objects.size()));
    b.U32(Count(o.decals, s.decals.size()));
    b.U32(Count(o.subShapes, s.subShapes.size()));
    b.U32(Count(o.iflMaterials, s.iflMaterials.size()));
    if (b.v >= 22) {
        b.U32(Count(o.rotations, s.rotations.size()));
        b.U32(Count(o.translations, s.translations.size()));
        b.U32(uint32_t(s.uniformScales.size()));
        b.U32(uint32_t(s.alignedScales.size()));
        b.U32(uint32_t(s.arbitraryScaleFactors.size()));
    } else {
        b.U32(o.keyedCount.value_or(nodes + Count(o.rotations, s.rotations.size())));
    }
    if (b.v >= 24) b.U32(uint32_t(s.extraTranslations.size()));
    b.U32(Count(o.objectStates, s.objectStates.size()));
    b.U32(Count(o.decalStates, s.decalStates.size()));
    b.U32(Count(o.triggers, s.triggers.size()));
    b.U32(Count(o.details, s.details.size()));
    b.U32(Count(o.meshes, s.meshes.size()));
    if (b.v < 23) b.U32(s.skins);
    b.U32(Count(o.names, s.names.size()));
    b.I32(s.smallestVisibleSize);
    b.I32(s.smallestVisibleDetail);
}

void WriteTables(MemoryBuffer& b, const Shape& s) {
    b.Guard();
    b.F32(s.radius);
    b.F32(s.tubeRadius);
    b.Vec(s.centre);
    for (float f : s.bounds) b.F32(f);
    b.Guard();
    for (const Node& n : s.nodes) {
        b.I32(n.name);
        b.I32(n.parent);
        for (int i = 0; i < 3; ++i) b.I32(-1);
    }
    b.Guard();
    for (const Object& o : s.objects) {
        for (int32_t w : {o.name, o.meshCount, o.firstMesh, o.node, -1, -1}) b.I32(w);
    }
    b.Guard();
    for (const Decal& d : s.decals) {
        for (int32_t w : {d.name, d.meshCount, d.firstMesh, d.object, -1}) b.I32(w);
    }
    b.Guard();
    for (const IflMaterial& m : s.iflMaterials) {
        for (uint32_t k : m.kept) b.U32(k);
        b.I32(m.firstFrame);
        b.I32(m.frameCount);
    }
    b.Guard();
    for (const SubShape& ss : s.subShapes) b.I32(ss.firstNode);
    for (const SubShape& ss : s.subShapes) b.I32(ss.firstObject);
    for (const SubShape& ss : s.subShapes) b.I32(ss.firstDecal);
    b.Guard();
    for (const SubShape& ss : s.subShapes) b.I32(ss.nodeCount);
    for (const SubShape& ss : s.subShapes) b.I32(ss.objectCount);
    for (const SubShape& ss : s.subShapes) b.I32(ss.decalCount);
    b.Guard();
    if (b.v < 16) {
        b.U32(uint32_t(s.oldWords.size()));
        for (uint32_t w : s.oldWords) b.U32(w);
    }
    for (const Quat16& q : s.defaultRotations) b.Quat(q);
    for (const Vec3& p : s.defaultTranslations) b.Vec(p);
    for (const Vec3& p : s.translations) b.Vec(p);
    for (const Quat16& q : s.rotations) b.Quat(q);
    b.Guard();
    if (b.v >= 22) {
        for (float f : s.uniformScales) b.F32(f);
        for (const Vec3& p : s.alignedScales) b.Vec(p);
        for (const Vec3& p : s.arbitraryScaleFactors) b.Vec(p);
        for (const Quat16& q : s.arbitraryScaleRotations) b.Quat(q);
        b.Guard();
    }
    if (b.v >= 24) {
        for (const Vec3& p : s.extraTranslations) b.Vec(p);
        for (const Quat16& q : s.extraRotations) b.Quat(q);
        b.Guard();
    }
    for (const ObjectState& st : s.objectStates) {
        b.F32(st.visibility);
        b.U32(st.frame);
        b.U32(st.materialFrame);
    }
    b.Guard();
    for (uint32_t d : s.decalStates) b.U32(d);
    b.Guard();
    for (const Trigger& t : s.triggers) {
        b.U32(t.state);
        b.F32(t.position);
    }
    b.Guard();
    for (const Detail& d : s.details) {
        b.I32(d.name);
        b.I32(d.subShape);
        b.I32(d.objectDetailLevel);
        b.F32(d.size);
        b.U32(d.kept[0]);
        b.U32(d.kept[1]);
        b.I32(0);
    }
    b.Guard();
}

void WritePrimitives(MemoryBuffer& b, const Mesh& m) {
    b.U32(uint32_t(m.primitives.size()));
    for (const Primitive& p : m.primitives) {
        b.U16(p.start);
        b.U16(p.count);
    }
    for (const Primitive& p : m.primitives) b.U32(p.material);
    b.U32(uint32_t(m.indices.size()));
    for (uint16_t i : m.indices) b.U16(i);
}

void WriteEncodedNormals(MemoryBuffer& b, const std::optional<std::vector<uint8_t>>& given, size_t count) {
    if (b.v < 22) return;
    if (given)
        for (uint8_t e : *given) b.U8(e);
    else
        for (size_t i = 0; i < count; ++i) b.U8(0);
}

void WriteStandardMesh(MemoryBuffer& b, const Mesh& m) {
    b.Guard();
    b.U32(m.frameCount);
    b.U32(m.materialFrameCount);
    b.I32(m.parent);
    for (float f : m.bounds) b.F32(f);
    b.Vec(m.centre);
    b.I32(m.radius);
    if (m.parent < 0) {
        b.U32(uint32_t(m.vertices.size()));
        for (const Vec3& p : m.vertices) b.Vec(p);
        b.U32(uint32_t(m.texCoords.size()));
        for (const Vec2& t : m.texCoords) {
            b.F32(t.x);
            b.F32(t.y);
        }
        for (const Vec3& n : m.normals) b.Vec(n);
        WriteEncodedNormals(b, m.encodedNormals, m.vertices.size());
    }
    WritePrimitives(b, m);
    b.U32(uint32_t(m.mergeIndices.size()));
    for (uint16_t i : m.mergeIndices) b.U16(i);
    b.U32(m.verticesPerFrame);
    b.U32(m.flags);
    b.Guard();
}

void WriteSkinParts(MemoryBuffer& b, const Mesh& m) {
    if (m.parent < 0) {
        b.U32(uint32_t(m.initialVertices.size()));
        for (const Vec3& p : m.initialVertices) b.Vec(p);
        for (const Vec3& n : m.initialNormals) b.Vec(n);
        WriteEncodedNormals(b, std::nullopt, m.initialVertices.size());
    }
    b.U32(uint32_t(m.boneTransforms.size()));
    for (const auto& t : m.boneTransforms)
        for (float f : t) b.F32(f);
    b.U32(uint32_t(m.weights.size()));
    for (int32_t v : m.weightVertices) b.I32(v);
    for (int32_t bone : m.weightBones) b.I32(bone);
    for (float w : m.weights) b.F32(w);
    b.U32(uint32_t(m.boneNodes.size()));
    for (int32_t n : m.boneNodes) b.I32(n);
}

void WriteDecalMesh(MemoryBuffer& b, const Mesh& m) {
    if (b.v < 20) {
        b.Guard();
        for (int i = 0; i < 15; ++i) b.U32(0);
    }
    WritePrimitives(b, m);
    if (b.v < 20) {
        for (int i = 0; i < 3; ++i) b.U32(0);
        b.Guard();
    }
    b.U32(uint32_t(m.startFrames.size()));
    for (uint32_t f : m.startFrames) b.U32(f);
    if (b.v >= 19) {
        for (const auto& g : m.texGenFirst)
            for (float f : g) b.F32(f);
        for (const auto& g : m.texGenSecond)
            for (float f : g) b.F32(f);
    }
    b.U32(m.materialIndex);
    b.Guard();
}

void WriteMeshes(MemoryBuffer& b, const Shape& s) {
    if (b.v < 16) return;
    for (const Mesh& m : s.meshes) {
        b.U32(m.type);
        if (m.type == 0 || m.type == 3) WriteStandardMesh(b, m);
        if (m.type == 1) {
            WriteStandardMesh(b, m);
            WriteSkinParts(b, m);
        }
        if (m.type == 2) WriteDecalMesh(b, m);
    }
}

void WriteNames(MemoryBuffer& b, const Shape& s) {
    b.Guard();
    for (const std::string& name : s.names) {
        for (char c : name) b.U8(uint8_t(c));
        b.U8(0);
    }
    b.Guard();
}

void WriteSet(ByteWriter& out, const Set& set, const Overrides& o) {
    out.U32(set.ignored);
    out.U32(o.setWordCount.value_or(uint32_t(set.words.size())));
    for (uint32_t w : set.words) out.U32(w);
}

void WriteSequence(ByteWriter& out, const Sequence& q, uint32_t v, const Overrides& o) {
    out.U32(q.name);
    if (v >= 22) out.U32(q.flags);
    if (v >= 17) {
        out.U32(q.keyFrames);
    } else {
        out.U32(q.firstKeyFrame);
        out.U32(q.lastKeyFrame.value_or(q.firstKeyFrame + q.keyFrames));
    }
    out.F32(q.duration);
    if (v < 22) {
        out.U8(q.flags & 8 ? 1 : 0);
        out.U8(q.flags & 16 ? 1 : 0);
        out.U8(q.flags & 32 ? 1 : 0);
    }
    out.U32(q.priority);
    out.U32(q.unused[0]);
    out.U32(q.unused[1]);
    if (v >= 22) {
        for (uint32_t base : q.bases) out.U32(base);
    } else if (v >= 17) {
        out.U32(q.bases[0]);
        out.U32(q.bases[3]);
        out.U32(q.bases[4]);
    }
    if (v >= 9) {
        out.U32(q.firstTrigger);
        out.U32(q.triggerCount);
    }
    if (v >= 8) out.F32(q.iflTimeOffset);
    WriteSet(out, q.rotation, o);
    if (v >= 22) {
        WriteSet(out, q.translation, o);
        WriteSet(out, q.scale, o);
    }
    if (v < 17) WriteSet(out, q.oldFirst, o);
    if (v >= 11) WriteSet(out, q.decal, o);
    if (v >= 6) WriteSet(out, q.ifl, o);
    WriteSet(out, q.visibility, o);
    WriteSet(out, q.frame, o);
    WriteSet(out, q.materialFrame, o);
    if (v < 17) WriteSet(out, q.oldSecond, o);
}

void WriteMaterials(ByteWriter& out, const Shape& s) {
    const uint32_t v = s.version;
    out.U8(s.materialListVersion);
    out.U32(Count(s.overrides.materialCount, s.materials.size()));
    for (const Material& m : s.materials) {
        out.U8(uint8_t(m.name.size()));
        out.Bytes(m.name.data(), m.name.size());
    }
    if (v >= 3)
        for (const Material& m : s.materials) out.U32(m.flags);
    if (v >= 5) {
        for (const Material& m : s.materials) out.I32(m.first);
        for (const Material& m : s.materials) out.I32(m.second);
        for (const Material& m : s.materials) out.I32(m.third);
    }
    if (v >= 12)
        for (const Material& m : s.materials) out.F32(m.firstFactor);
    if (v >= 21)
        for (const Material& m : s.materials) out.F32(m.secondFactor);
}

}  // namespace

std::vector<uint8_t> WriteDts(const Shape& s) {
    MemoryBuffer buffer(s.version & 0xFF, s.overrides);
    WriteCounts(buffer, s);
    WriteTables(buffer, s);
    WriteMeshes(buffer, s);
    WriteNames(buffer, s);

    ByteWriter out;
    out.U32(s.version | s.versionHighBits);
    buffer.Finish(out);
    out.U32(Count(s.overrides.sequenceCount, s.sequences.size()));
    for (const Sequence& q : s.sequences) WriteSequence(out, q, s.version & 0xFF, s.overrides);
    WriteMaterials(out, s);
    return out.Take();
}

}  // namespace dts
