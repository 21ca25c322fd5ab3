// Element geometry: the vertices of each element type, their texture
// coordinates by mapping mode, and the elements that build nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/EffectFileFixture.h"
#include "shell/D3DDevice.h"

namespace effect_file_test {
namespace {

constexpr DWORD kColor = 0x80FF4020;

D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

struct Built {
    KEffectGeometry geometry;
    std::vector<D3DXVECTOR3> positions;
    std::vector<std::pair<float, float>> coordinates;
};

class ElementGeometryTest : public EffectFileTest {
protected:
    K3DEffectElement* Add(int type, float d1 = 0, float d2 = 0, float d3 = 0, int s1 = 0, int s2 = 0) {
        K3DEffectElement* element = nullptr;
        m_set.AddElement(&element, nullptr, type);
        element->SetDimension(1, d1);
        element->SetDimension(2, d2);
        element->SetDimension(3, d3);
        element->SetSegments(1, s1);
        element->SetSegments(2, s2);
        return element;
    }
    Built Build(const K3DEffectElement* element, D3DXVECTOR3 offset = {0, 0, 0}, D3DXVECTOR3 scale = {1, 1, 1},
                const D3DXMATRIX& world = Translation(0, 0, 0)) {
        Built b;
        b.geometry = m_set.BuildElementGeometry(element, world, offset, scale, kColor, 1.0f, 1.0f);
        for (int i = 0; i < b.geometry.count; ++i) {
            const K3DEffectVertex& v = b.geometry.vertices[size_t(i)];
            b.positions.emplace_back(v.x, v.y, v.z);
            b.coordinates.emplace_back(v.u, v.v);
        }
        return b;
    }

    K3DEffectSet m_set;
};

using UV = std::pair<float, float>;

TEST_F(ElementGeometryTest, AGroundQuadLiesAtYZeroLessTheOffset) {
    const Built b = Build(Add(1, 100, 50));
    EXPECT_EQ(b.positions, (std::vector<D3DXVECTOR3>{{-50, 0, -25}, {-50, 0, 25}, {50, 0, -25}, {50, 0, 25}}));
    EXPECT_EQ(b.coordinates, (std::vector<UV>{{0, 1}, {0, 0}, {1, 1}, {1, 0}}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b.geometry.vertices[size_t(i)].color, kColor);
    const Built moved = Build(m_set.GetElement(0), {1, 2, 3});
    EXPECT_EQ(moved.positions[0], D3DXVECTOR3(-51, -2, -28));
    EXPECT_EQ(moved.positions[3], D3DXVECTOR3(49, -2, 22));
}

TEST_F(ElementGeometryTest, AnUprightQuadLiesAtZZero) {
    const Built b = Build(Add(2, 8, 4), {0, 0, 1});
    EXPECT_EQ(b.positions, (std::vector<D3DXVECTOR3>{{-4, -2, -1}, {-4, 2, -1}, {4, -2, -1}, {4, 2, -1}}));
}

TEST_F(ElementGeometryTest, QuadMappingModesTwoAndThreeRepeatThePictureScaleXTimes) {
    struct Case {
        int mode;
        float uRight;
    };
    // Modes without coordinates of their own take mode 1's.
    for (const Case c : {Case{1, 1}, Case{2, 3}, Case{3, 3}, Case{0, 1}, Case{4, 1}, Case{-7, 1}}) {
        for (int type : {1, 2}) {
            K3DEffectElement* e = Add(type, 10, 10);
            e->SetMappingMode(c.mode);
            const Built b = Build(e, {0, 0, 0}, {3, 1, 1});
            EXPECT_EQ(b.coordinates, (std::vector<UV>{{0, 1}, {0, 0}, {c.uRight, 1}, {c.uRight, 0}}))
                << "type " << type << " mode " << c.mode;
        }
    }
}

TEST_F(ElementGeometryTest, ARingClosesOnItsFirstPair) {
    K3DEffectElement* ring = Add(4, 10, 20, 6, 4);
    const Built b = Build(ring, {0, 1, 0}, {2, 1, 0.5f});
    ASSERT_EQ(b.geometry.count, 10);
    // Top radius 10 * 2, bottom 20 * 1, half height 6 * 0.5 * 0.5, less the offset.
    EXPECT_EQ(b.positions[0], D3DXVECTOR3(20, 0.5f, 0));
    EXPECT_EQ(b.positions[1], D3DXVECTOR3(20, -2.5f, 0));
    EXPECT_NEAR(b.positions[2].x, 0.0f, 1e-5);
    EXPECT_NEAR(b.positions[2].z, 20.0f, 1e-5);
    EXPECT_NEAR(b.positions[5].x, -20.0f, 1e-5);
    EXPECT_EQ(b.positions[8], b.positions[0]);
    EXPECT_EQ(b.positions[9], b.positions[1]);
    // A band once around.
    const std::vector<UV> band = {{0, 0}, {0, 1}, {0.25f, 0}, {0.25f, 1}, {0.5f, 0},
                                  {0.5f, 1}, {0.75f, 0}, {0.75f, 1}, {1, 0}, {1, 1}};
    EXPECT_EQ(b.coordinates, band);
    for (int mode : {2, 3, 0}) {
        ring->SetMappingMode(mode);
        EXPECT_EQ(Build(ring).coordinates, band) << "mode " << mode;
    }
    // Mode 4: a flat ring seen from above, inner and outer circles.
    ring->SetMappingMode(4);
    const Built flat = Build(ring);
    EXPECT_EQ(flat.coordinates[0], UV(0.65f, 0.5f));
    EXPECT_EQ(flat.coordinates[1], UV(1.0f, 0.5f));
    EXPECT_NEAR(flat.coordinates[3].first, 0.5f, 1e-6);
    EXPECT_NEAR(flat.coordinates[3].second, 1.0f, 1e-6);
    EXPECT_EQ(flat.coordinates[8], flat.coordinates[0]);
    EXPECT_EQ(flat.coordinates[9], flat.coordinates[1]);
}

TEST_F(ElementGeometryTest, ADomeMakesOneStripASideEndingAtTheApex) {
    const Built b = Build(Add(3, 10, 0, 0, 2, 3), {0, 0, 1});
    ASSERT_EQ(b.geometry.count, 15);
    for (int apex : {4, 9, 14}) {
        EXPECT_EQ(b.positions[size_t(apex)], D3DXVECTOR3(0, 10, -1)) << apex;
        EXPECT_EQ(b.coordinates[size_t(apex)], UV(0.5f, 0.5f)) << apex;
    }
    // Side 0 starts on the rim at angle 0, then the rim at a third of a turn.
    EXPECT_EQ(b.positions[0], D3DXVECTOR3(10, 0, -1));
    EXPECT_EQ(b.coordinates[0], UV(1.0f, 0.5f));
    EXPECT_NEAR(b.positions[1].x, -5.0f, 1e-5);
    EXPECT_NEAR(b.positions[1].z, 10.0f * std::sqrt(3.0f) / 2 - 1, 1e-5);
    // Ring 1 is 45 degrees up.
    EXPECT_NEAR(b.positions[2].y, 10.0f * std::sqrt(0.5f), 1e-5);
    // The next side starts where the last one turned to.
    EXPECT_EQ(b.positions[5], b.positions[1]);
}

TEST_F(ElementGeometryTest, ACameraFacingQuadFacesTheGivenView) {
    MakeCreatedShell();
    D3DXMATRIX view;
    D3DXMatrixRotationY(&view, 1.5707964f);
    view._41 = 3;
    g_D3DDevice.device->SetTransform(D3DTS_VIEW, &view);
    K3DEffectElement* quad = Add(5, 4, 2);
    quad->SetMappingMode(3);  // ignored: always mode 1's coordinates
    const D3DXMATRIX world = Translation(5, 6, 7);
    const Built b = Build(quad, {9, 9, 9}, {1, 1, 1}, world);
    ASSERT_EQ(b.geometry.count, 4);
    // The view's right is world z here and its up world y; no offset.
    const std::vector<D3DXVECTOR3> expected = {{5, 5, 5}, {5, 7, 5}, {5, 5, 9}, {5, 7, 9}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(b.positions[size_t(i)].x, expected[size_t(i)].x, 1e-5) << i;
        EXPECT_NEAR(b.positions[size_t(i)].y, expected[size_t(i)].y, 1e-5) << i;
        EXPECT_NEAR(b.positions[size_t(i)].z, expected[size_t(i)].z, 1e-5) << i;
    }
    // All four corners lie at one depth in view space: the quad faces the camera.
    D3DXVECTOR3 first;
    D3DXVec3TransformCoord(&first, &b.positions[0], &view);
    for (int i = 1; i < 4; ++i) {
        D3DXVECTOR3 corner;
        D3DXVec3TransformCoord(&corner, &b.positions[size_t(i)], &view);
        EXPECT_NEAR(corner.z, first.z, 1e-5) << i;
    }
    EXPECT_EQ(b.coordinates, (std::vector<UV>{{0, 1}, {0, 0}, {1, 1}, {1, 0}}));
    // Scale and the two size factors widen it.
    const KEffectGeometry wide = m_set.BuildElementGeometry(quad, world, {0, 0, 0}, {2, 3, 1}, kColor, 0.5f, 2.0f);
    EXPECT_NEAR(wide.vertices[3].z - wide.vertices[0].z, 4.0f, 1e-5);  // 4 * 2 * 0.5
    EXPECT_NEAR(wide.vertices[3].y - wide.vertices[0].y, 12.0f, 1e-5);  // 2 * 3 * 2
}

TEST_F(ElementGeometryTest, AModelElementOutlinesTheModelsBox) {
    UseFakeModels();
    K3DEffectElement* element = Add(6);
    EXPECT_EQ(Build(element).geometry.count, 0);  // no model yet
    ASSERT_EQ(element->SetFileName("orb"), 1);
    const Built b = Build(element, {5, 5, 5});
    ASSERT_EQ(b.geometry.count, 10);
    const float x0 = -1, y0 = 0, z0 = -2, x1 = 1, y1 = 3, z1 = 2;
    EXPECT_EQ(b.positions, (std::vector<D3DXVECTOR3>{{x0, y0, z0}, {x0, y1, z0}, {x0, y0, z1}, {x0, y1, z1},
                                                     {x1, y0, z1}, {x1, y1, z1}, {x1, y0, z0}, {x1, y1, z0},
                                                     {x0, y0, z0}, {x0, y1, z0}}));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(b.geometry.vertices[size_t(i)].color, 0xFFFFFFFFu);
    models.hasBounds = false;
    EXPECT_EQ(Build(element).geometry.count, 0);
}

TEST_F(ElementGeometryTest, ElementsThatCannotBeBuiltGiveNothing) {
    struct Case {
        const char* what;
        int type;
        int s1, s2;
    };
    const Case cases[] = {
        {"type 0", 0, 4, 4},
        {"type 7", 7, 4, 4},
        {"ring of no sides", 4, 0, 0},
        {"ring of negative sides", 4, -3, 0},
        {"ring past 65,536 vertices", 4, 32768, 0},
        {"dome of no rings", 3, 0, 4},
        {"dome of no sides", 3, 4, 0},
        {"dome past 65,536 vertices", 3, 16384, 3},
        {"dome whose count wraps 32 bits", 3, 1 << 30, 1 << 30},
    };
    for (const Case& c : cases) {
        const Built b = Build(Add(c.type, 1, 1, 1, c.s1, c.s2));
        EXPECT_EQ(b.geometry.count, 0) << c.what;
        EXPECT_EQ(b.geometry.vertices, nullptr) << c.what;
    }
    EXPECT_EQ(Build(Add(4, 1, 1, 1, 32767)).geometry.count, 65536);  // the largest ring
    EXPECT_EQ(Build(nullptr).geometry.count, 0);
}

TEST_F(ElementGeometryTest, TheLastElementPositionIsTheWorldTranslation) {
    K3DEffectElement* quad = Add(2, 1, 1);
    Build(quad, {0, 0, 0}, {1, 1, 1}, Translation(4, 5, 6));
    EXPECT_EQ(m_set.LastElementPosition(), D3DXVECTOR3(4, 5, 6));
    Build(Add(9), {0, 0, 0}, {1, 1, 1}, Translation(-1, -2, -3));
    EXPECT_EQ(m_set.LastElementPosition(), D3DXVECTOR3(-1, -2, -3));
}

}  // namespace
}  // namespace effect_file_test
