#include "DtsSamples.h"

namespace dts {
namespace {

Mesh QuadMesh() {
    Mesh m;
    m.type = 0;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    m.texCoords = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    m.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    m.bounds[3] = m.bounds[4] = 1;
    m.centre = {0.5f, 0.5f, 0};
    m.radius = 1;
    m.primitives = {{0, 4, 0 | kStrip}};
    m.indices = {0, 1, 2, 3};
    m.mergeIndices = {0, 1};
    m.verticesPerFrame = 4;
    return m;
}

Mesh TriangleMesh(uint32_t type, uint32_t material) {
    Mesh m;
    m.type = type;
    m.vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
    m.texCoords = {{0, 0}, {1, 0}, {0, 1}};
    m.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    m.bounds[3] = m.bounds[4] = 2;
    m.centre = {1, 1, 0};
    m.radius = 2;
    m.primitives = {{0, 3, material}};
    m.indices = {0, 1, 2};
    m.verticesPerFrame = 3;
    return m;
}

Mesh SkinnedMesh() {
    Mesh m = TriangleMesh(1, 0);
    m.initialVertices = m.vertices;
    m.initialNormals = m.normals;
    std::array<float, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m.boneTransforms = {identity, identity};
    m.weightVertices = {0, 1, 1, 2};
    m.weightBones = {0, 0, 1, 1};
    m.weights = {1.0f, 0.5f, 0.5f, 1.0f};
    m.boneNodes = {2, 3};
    return m;
}

Mesh ChildMesh() {
    Mesh m;
    m.type = 0;
    m.parent = 0;
    m.primitives = {{0, 3, kNoMaterial}};
    m.indices = {0, 1, 2};
    m.verticesPerFrame = 4;
    return m;
}

Mesh FanMesh() {
    Mesh m = QuadMesh();
    m.primitives = {{0, 4, 3 | kFan}};
    m.indices = {0, 1, 3, 2};
    return m;
}

Mesh DecalMesh() {
    Mesh m;
    m.type = 2;
    m.primitives = {{0, 3, 0}};
    m.indices = {0, 1, 2};
    m.startFrames = {0};
    m.texGenFirst = {{1, 0, 0, 0}};
    m.texGenSecond = {{0, 1, 0, 0}};
    m.materialIndex = 0;
    return m;
}

void AddMember(Set& set, uint32_t member) {
    if (set.words.size() <= member / 32) set.words.resize(member / 32 + 1, 0);
    set.words[member / 32] |= 1u << (member % 32);
}

Mesh NoMesh(uint32_t type) {
    Mesh m;
    m.type = type;
    return m;
}

Sequence Walk(uint32_t version) {
    Sequence q;
    q.name = 13;
    q.flags = 16 | 32 | (version >= 22 ? 1 : 0);
    q.keyFrames = 2;
    q.duration = 1.0f;
    q.priority = 1;
    q.unused[0] = 7;
    q.unused[1] = 8;
    q.bases[0] = 0;  // rotations
    q.bases[1] = 0;  // translations
    q.bases[2] = 0;  // scales
    q.bases[3] = 3;  // object states after the three defaults
    q.bases[4] = 1;  // decal states after the default
    q.firstTrigger = 0;
    q.triggerCount = 2;
    q.iflTimeOffset = 0.5f;
    q.rotation = Set::Of({1, 2});
    q.translation = Set::Of({1});
    q.scale = Set::Of({2});
    q.visibility = Set::Of({0});
    q.frame = Set::Of({0});
    q.decal = Set::Of({0});
    q.ifl = Set::Of({0});
    return q;
}

Sequence Blend() {
    Sequence q;
    q.name = 14;
    q.flags = 8;
    q.keyFrames = 1;
    q.duration = 0.5f;
    q.priority = 2;
    q.bases[0] = 4;
    q.bases[1] = 4;
    q.rotation = Set::Of({4});
    return q;
}

}  // namespace

Shape SampleShape(uint32_t version) {
    Shape s;
    s.version = version;
    s.radius = 3;
    s.tubeRadius = 1.5f;
    s.centre = {0.5f, 0.5f, 0};
    s.bounds[3] = s.bounds[4] = 2;
    s.smallestVisibleSize = 4;
    s.smallestVisibleDetail = 1;
    s.nodes = {{0, 2}, {1, -1}, {2, 1}, {3, 1}, {4, 1}, {5, -1}};
    s.objects = {{6, 2, 0, 1}, {7, 2, 2, 2}, {8, 1, 4, 5}};
    s.decals = {{9, 2, 5, 0}};
    s.iflMaterials = {{{2, 0, 0}, 0, 2}};
    s.subShapes = {{0, 0, 0, 5, 2, 1}, {5, 2, 1, 1, 1, 0}};
    for (size_t i = 0; i < s.nodes.size(); ++i) {
        s.defaultRotations.push_back({0, 0, int16_t(i), 32767});
        s.defaultTranslations.push_back({float(i), 0, 0});
    }
    for (int i = 0; i < 5; ++i) {
        s.rotations.push_back({int16_t(i), 0, 0, 32767});
        s.translations.push_back({0, float(i), 0});
    }
    if (version >= 22) {
        s.uniformScales = {1.0f, 2.0f};
        s.alignedScales = {{1, 2, 3}};
        s.arbitraryScaleFactors = {{2, 2, 2}};
        s.arbitraryScaleRotations = {{0, 0, 0, 32767}};
    }
    if (version >= 24) {
        s.extraTranslations = {{9, 9, 9}};
        s.extraRotations = {{1, 2, 3, 4}};
    }
    s.objectStates = {{1, 0, 0}, {1, 0, 0}, {0.5f, 1, 0}, {0, 0, 0}, {1, 1, 0}};
    s.decalStates = {5, 6, 7};
    s.triggers = {{0x80000001u, 0.25f}, {0x00000001u, 0.75f}};
    s.details = {{10, 0, 0, 100, {1, 2}}, {11, 0, 1, 50, {3, 4}}, {12, 1, 0, -1, {5, 6}}};
    s.meshes = {QuadMesh(),  TriangleMesh(3, 1), SkinnedMesh(), ChildMesh(),
                FanMesh(),   DecalMesh(),        NoMesh(9)};
    s.oldWords = {11, 22};
    s.names = {"child", "root", "arm", "leg", "head", "prop", "body", "skin", "propobj",
               "decal", "detail0", "detail1", "collision", "walk", "blend"};
    s.sequences = {Walk(version), Blend()};
    s.materials = {{"maps/body", 0, 10, -1, -1, 1, 1},
                   {"S_glow", 4, 11, 5, 6, 0.5f, 0.25f},
                   {"anim.ifl", 1u << 27, 12, -1, -1, 1, 1},
                   {"glass", 1u << 25, 13, -1, -1, 1, 1}};
    return s;
}

Shape SingleMeshShape(uint32_t vertices, uint32_t primitives, uint32_t frames) {
    Shape s;
    s.nodes = {{0, -1}};
    s.objects = {{0, 1, 0, 0}};
    s.subShapes = {{0, 0, 0, 1, 1, 0}};
    s.defaultRotations = {{}};
    s.defaultTranslations = {{}};
    s.objectStates = {{1, 0, 0}};
    s.details = {{0, 0, 0, 10, {}}};
    s.names = {"mesh"};
    s.materials = {{"skin", 0, 0, -1, -1, 1, 1}};
    Mesh m;
    m.frameCount = frames;
    m.verticesPerFrame = vertices;
    const uint32_t total = vertices * frames;
    for (uint32_t i = 0; i < total; ++i) {
        const float x = float(i % 64), y = float(i / 64);
        m.vertices.push_back({x, y, float(i / vertices)});
        m.normals.push_back({0, 0, 1});
        m.texCoords.push_back({x / 64, y / 64});
    }
    // Each primitive a list over a run of the frame's vertices.
    const uint32_t triangles = vertices >= 3 ? vertices / 3 : 0;
    const uint32_t perPrimitive = primitives ? triangles / primitives : 0;
    for (uint32_t p = 0; p < primitives; ++p) {
        m.primitives.push_back({uint16_t(m.indices.size()), uint16_t(perPrimitive * 3), 0});
        for (uint32_t t = 0; t < perPrimitive * 3; ++t) m.indices.push_back(uint16_t(p * perPrimitive * 3 + t));
    }
    s.meshes = {m};
    return s;
}

Shape AnimatedTreeShape(uint32_t nodes, uint32_t objects) {
    Shape s;
    Set allNodes, everyOther, allObjects;
    for (uint32_t i = 0; i < nodes; ++i) {
        s.nodes.push_back({0, i == 0 ? -1 : int32_t((i - 1) / 2)});
        s.defaultRotations.push_back({});
        s.defaultTranslations.push_back({0.1f, 0, 0});
    }
    for (uint32_t k = 0; k < objects; ++k) {
        s.objects.push_back({1, 1, int32_t(k), int32_t(k * nodes / objects)});
        s.objectStates.push_back({1, 0, 0});
        s.meshes.push_back(QuadMesh());
    }
    for (uint32_t i = 0; i < nodes; ++i) {
        AddMember(allNodes, i);
        if (i % 2) AddMember(everyOther, i);
    }
    for (uint32_t k = 0; k < objects; ++k) AddMember(allObjects, k);
    s.subShapes = {{0, 0, 0, int32_t(nodes), int32_t(objects), 0}};
    s.details = {{2, 0, 0, 100, {}}};
    s.names = {"node", "object", "detail", "cycle", "blend"};
    s.materials = {{"skin", 0, 0, -1, -1, 1, 1}};

    Sequence cycle;
    cycle.name = 3;
    cycle.flags = 16;
    cycle.keyFrames = 8;
    cycle.bases[3] = objects;  // after the defaults
    cycle.rotation = cycle.translation = allNodes;
    cycle.visibility = allObjects;
    for (uint32_t i = 0; i < nodes; ++i)
        for (uint32_t k = 0; k < 8; ++k) {
            s.rotations.push_back({0, 0, int16_t(k * 3000), int16_t(32767 - k * 1000)});
            s.translations.push_back({0.1f, float(k) * 0.01f, 0});
        }
    for (uint32_t o = 0; o < objects; ++o)
        for (uint32_t k = 0; k < 8; ++k) s.objectStates.push_back({float(k) / 8, 0, 0});

    Sequence blend;
    blend.name = 4;
    blend.flags = 8;
    blend.keyFrames = 4;
    blend.duration = 0.5f;
    blend.bases[0] = uint32_t(s.rotations.size());
    blend.rotation = everyOther;
    for (uint32_t i = 1; i < nodes; i += 2)
        for (uint32_t k = 0; k < 4; ++k) s.rotations.push_back({int16_t(k * 2000), 0, 0, 32767});
    s.sequences = {cycle, blend};
    return s;
}

}  // namespace dts
