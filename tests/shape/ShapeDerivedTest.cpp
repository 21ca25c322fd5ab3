// What the reader works out after the passes: links, shape flags, detail
// fade values, polygon counts, vertex slots and translucency.
#include "ShapeTestSupport.h"

namespace {

class ShapeDerived : public shapetest::ShapeTest {};

TEST_F(ShapeDerived, ChainsRunInIndexOrderWhateverTheNodeOrder) {
    KShape shape;
    ASSERT_TRUE(Read(dts::SampleShape(24), shape)) << RefusalLine();
    // Node 1 has the children 2, 3 and 4; node 0 lists its parent 2 after it.
    EXPECT_EQ(shape.nodes[1].firstChild, 2);
    EXPECT_EQ(shape.nodes[2].nextSibling, 3);
    EXPECT_EQ(shape.nodes[3].nextSibling, 4);
    EXPECT_EQ(shape.nodes[4].nextSibling, -1);
    EXPECT_EQ(shape.nodes[2].firstChild, 0);
    EXPECT_EQ(shape.nodes[0].nextSibling, -1);
    EXPECT_EQ(shape.nodes[0].firstChild, -1);
    EXPECT_EQ(shape.nodes[1].firstObject, 0);
    EXPECT_EQ(shape.nodes[2].firstObject, 1);
    EXPECT_EQ(shape.nodes[5].firstObject, 2);
    EXPECT_EQ(shape.nodes[0].firstObject, -1);
    EXPECT_EQ(shape.objects[0].firstDecal, 0);
    EXPECT_EQ(shape.objects[1].firstDecal, -1);
    EXPECT_EQ(shape.decals[0].nextDecal, -1);
    for (int32_t word : shape.objectWords) EXPECT_EQ(word, -1);
    EXPECT_EQ(shape.detailRecords.Count(), 3u);
    for (void* record : shape.detailRecords) EXPECT_EQ(record, nullptr);
}

TEST_F(ShapeDerived, ObjectsOnOneNodeChainAndADecalWithoutObjectStaysOut) {
    dts::Shape d = dts::SampleShape(24);
    d.objects[2].node = 1;  // beside object 0
    d.decals.push_back({9, 0, 0, -1});
    d.decals.push_back({9, 0, 0, 0});
    d.decalStates.push_back(0);
    d.decalStates.push_back(0);
    KShape shape;
    ASSERT_TRUE(Read(d, shape)) << RefusalLine();
    EXPECT_EQ(shape.nodes[1].firstObject, 0);
    EXPECT_EQ(shape.objects[0].nextObject, 2);
    EXPECT_EQ(shape.objects[2].nextObject, -1);
    EXPECT_EQ(shape.objects[0].firstDecal, 0);
    EXPECT_EQ(shape.decals[0].nextDecal, 2);
    EXPECT_EQ(shape.decals[1].nextDecal, -1);
    EXPECT_EQ(shape.decals[2].nextDecal, -1);
}

TEST_F(ShapeDerived, DetailFadeValues) {
    struct Detail {
        float size;
        int32_t subShape;
    };
    struct Case {
        const char* name;
        std::vector<Detail> details;
        std::vector<float> bands, sizes;
    };
    const Case cases[] = {
        {"one detail", {{100, 0}}, {0}, {-1}},
        {"next has a sub-shape", {{100, 0}, {50, 0}}, {-1, 0}, {-1, -1}},
        {"next has none", {{100, 0}, {50, -1}}, {0.15f, 0}, {0.1f, -1}},
        {"next is hidden", {{100, 0}, {-1, 0}}, {0, 0}, {-1, 0}},
    };
    for (const Case& c : cases) {
        dts::Shape d = dts::SampleShape(24);
        d.details.clear();
        for (const Detail& detail : c.details) d.details.push_back({10, detail.subShape, 0, detail.size, {}});
        KShape shape;
        ASSERT_TRUE(Read(d, shape)) << c.name << ": " << RefusalLine();
        for (uint32_t i = 0; i < c.details.size(); ++i) {
            EXPECT_EQ(shape.detailFadeBand[i], c.bands[i]) << c.name << " detail " << i;
            EXPECT_EQ(shape.detailFadeSize[i], c.sizes[i]) << c.name << " detail " << i;
        }
    }
}

TEST_F(ShapeDerived, PolygonCountsAndVertexSlots) {
    KShape shape;
    ASSERT_TRUE(Read(dts::SampleShape(24), shape)) << RefusalLine();
    // Detail 0: the quad strip (2) and the skinned triangle (1); detail 1:
    // the sorted triangle and the parented one; detail 2: the fan of 4 (2).
    EXPECT_EQ(shape.details[0].polyCount, 3);
    EXPECT_EQ(shape.details[1].polyCount, 2);
    EXPECT_EQ(shape.details[2].polyCount, 2);
    // Objects take runs as long as their largest mesh: 4, 4 (the parented
    // mesh has its parent's 4 vertices), 4.
    const uint32_t bases[] = {0, 0, 4, 4, 8};
    for (uint32_t m = 0; m < 5; ++m) EXPECT_EQ(shape.ObjectMesh(m)->vertexBase, bases[m]) << m;
    EXPECT_EQ(shape.vertexSlotTotal, 12u);
}

TEST_F(ShapeDerived, TranslucencyMarksTheFirstTranslucentObjectOfEachSubShape) {
    KShape shape;
    ASSERT_TRUE(Read(dts::SampleShape(24), shape)) << RefusalLine();
    ASSERT_EQ(shape.firstTranslucentObject.Count(), 2u);
    EXPECT_EQ(shape.firstTranslucentObject[0], 0);  // the sorted mesh's S_glow
    EXPECT_EQ(shape.firstTranslucentObject[1], 2);  // glass, flag bit 25
    EXPECT_EQ(shape.flags, 1u | kShapeTranslucent | kShapeAdditive);
}

TEST_F(ShapeDerived, OpaqueShapesKeepTheSubShapeEnds) {
    dts::Shape d = dts::SampleShape(24);
    d.materials[1].flags = 0x20000004u;  // at or above 0x20000000: not counted
    d.materials[3].flags = 0;
    KShape shape;
    ASSERT_TRUE(Read(d, shape)) << RefusalLine();
    EXPECT_EQ(shape.firstTranslucentObject[0], 2);
    EXPECT_EQ(shape.firstTranslucentObject[1], 3);
    EXPECT_EQ(shape.flags & (kShapeTranslucent | kShapeAdditive), 0u);
}

TEST_F(ShapeDerived, ScaleKindIsTheLargestOfTheSequences) {
    dts::Shape d = dts::SampleShape(24);
    d.sequences[1].flags = 8 | 2;  // aligned
    d.alignedScales = {{1, 1, 1}, {2, 2, 2}};
    KShape shape;
    ASSERT_TRUE(Read(d, shape)) << RefusalLine();
    EXPECT_EQ(shape.ScaleKind(), 2u);
}

}  // namespace
