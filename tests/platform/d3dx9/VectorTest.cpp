#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MathTestUtil.h"
#include "d3dx9math.h"

namespace {

TEST(D3dxVector, NormalizeKeepsZeroVectorZero) {
    D3DXVECTOR3 zero(0, 0, 0), out(9, 9, 9);
    D3DXVec3Normalize(&out, &zero);
    EXPECT_EQ(out, D3DXVECTOR3(0, 0, 0));

    D3DXVECTOR3 v(200, 200, 100);
    D3DXVec3Normalize(&v, &v);
    ExpectVectorNear(D3DXVECTOR3(2.0f / 3, 2.0f / 3, 1.0f / 3), v);
    EXPECT_NEAR(D3DXVec3Length(&v), 1.0f, 1e-6f);
}

TEST(D3dxVector, CrossDotAndLength) {
    D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), out;
    D3DXVec3Cross(&out, &x, &y);
    EXPECT_EQ(out, D3DXVECTOR3(0, 0, 1));
    D3DXVec3Cross(&x, &x, &y);  // aliasing
    EXPECT_EQ(x, D3DXVECTOR3(0, 0, 1));
    D3DXVECTOR3 a(1, 2, 3), b(4, -5, 6);
    EXPECT_EQ(D3DXVec3Dot(&a, &b), 12.0f);
    D3DXVECTOR3 c(3, 4, 12);
    EXPECT_EQ(D3DXVec3Length(&c), 13.0f);
}

TEST(D3dxVector, TransformKeepsWAndTransformCoordDividesByIt) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 1.5707963f, 1.0f, 1.0f, 101.0f);
    D3DXVECTOR3 v(2, 4, 10);
    D3DXVECTOR4 full;
    D3DXVec3Transform(&full, &v, &p);
    EXPECT_NEAR(full.w, 10.0f, 1e-6f);
    D3DXVECTOR3 coord;
    D3DXVec3TransformCoord(&coord, &v, &p);
    EXPECT_NEAR(coord.x, full.x / 10.0f, 1e-6f);
    EXPECT_NEAR(coord.y, 0.4f, 1e-6f);

    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, 5, 5, 5);
    D3DXVECTOR3 normal;
    D3DXVec3TransformNormal(&normal, &v, &move);
    EXPECT_EQ(normal, v);
}

TEST(D3dxVector, Vec4TransformTurnsCornerAboutPivot) {
    // Translate by -pivot, turn by a quarter, translate back by pivot - 0.5.
    D3DXMATRIX toPivot, turn, back;
    D3DXMatrixTranslation(&toPivot, -10, -20, 0);
    D3DXMatrixRotationZ(&turn, 1.5707963f);
    D3DXMatrixTranslation(&back, 9.5f, 19.5f, 0);
    D3DXMATRIX m = toPivot * turn * back;
    D3DXVECTOR4 corner(14, 20, 0, 1), out;
    D3DXVec4Transform(&out, &corner, &m);
    // (4, 0) turns to (0, 4): clockwise on a screen whose y points down.
    EXPECT_NEAR(out.x, 9.5f, 1e-5f);
    EXPECT_NEAR(out.y, 23.5f, 1e-5f);
    EXPECT_EQ(out.z, 0.0f);
    EXPECT_EQ(out.w, 1.0f);
}

TEST(D3dxVector, ProjectMapsThroughViewport) {
    D3DVIEWPORT9 viewport = {10, 20, 800, 600, 0.0f, 1.0f};
    D3DXMATRIX projection;
    D3DXMatrixOrthoLH(&projection, 800, 600, 0, 100);
    D3DXVECTOR3 v(100, 50, 25), out;
    ASSERT_EQ(D3DXVec3Project(&out, &v, &viewport, &projection, nullptr, nullptr), &out);
    ExpectVectorNear(D3DXVECTOR3(510, 270, 0.25f), out, 1e-3f);

    // With a view matrix: the camera moved right by 100 sees the point at the centre.
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, -100, -50, 0);
    D3DXVec3Project(&out, &v, &viewport, &projection, &view, nullptr);
    ExpectVectorNear(D3DXVECTOR3(410, 320, 0.25f), out, 1e-3f);

    D3DXVECTOR3 back;
    ASSERT_NE(D3DXVec3Unproject(&back, &out, &viewport, &projection, &view, nullptr), nullptr);
    ExpectVectorNear(v, back, 1e-3f);
}

TEST(D3dxVector, ProjectPerspectiveCentreAndDepthRange) {
    D3DVIEWPORT9 viewport = {0, 0, 1024, 768, 0.25f, 0.75f};
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.1308997f, 1.37f, 200.0f, 20000.0f);
    D3DXVECTOR3 farCentre(0, 0, 20000), out;
    D3DXVec3Project(&out, &farCentre, &viewport, &projection, nullptr, nullptr);
    ExpectVectorNear(D3DXVECTOR3(512, 384, 0.75f), out, 1e-3f);
}

TEST(D3dxVector, ComputeBoundingBoxWalksStride) {
    struct Vertex {
        float x, y, z, u, v;
    };
    std::vector<Vertex> vertices = {{1, 5, -2, 9, 9}, {-3, 2, 7, -9, -9}, {0, -1, 0, 99, 99}};
    D3DXVECTOR3 lo, hi;
    ASSERT_EQ(
        D3DXComputeBoundingBox(reinterpret_cast<const D3DXVECTOR3*>(vertices.data()), 3, sizeof(Vertex), &lo, &hi),
        S_OK);
    EXPECT_EQ(lo, D3DXVECTOR3(-3, -1, -2));
    EXPECT_EQ(hi, D3DXVECTOR3(1, 5, 7));
    EXPECT_TRUE(FAILED(D3DXComputeBoundingBox(nullptr, 3, 20, &lo, &hi)));
}

TEST(D3dxPlane, FromPointsAndIntersectLine) {
    D3DXVECTOR3 a(0, 0, 5), b(1, 0, 5), c(0, 1, 5);
    D3DXPLANE plane;
    D3DXPlaneFromPoints(&plane, &a, &b, &c);
    EXPECT_EQ(plane, D3DXPLANE(0, 0, 1, -5));

    D3DXVECTOR3 from(2, 3, 0), to(4, 7, 10), hit;
    ASSERT_EQ(D3DXPlaneIntersectLine(&hit, &plane, &from, &to), &hit);
    ExpectVectorNear(D3DXVECTOR3(3, 5, 5), hit);

    // Intersection is with the whole line, not only the segment.
    D3DXVECTOR3 near(0, 0, 1), nearer(0, 0, 2);
    ASSERT_NE(D3DXPlaneIntersectLine(&hit, &plane, &near, &nearer), nullptr);
    ExpectVectorNear(D3DXVECTOR3(0, 0, 5), hit);

    D3DXVECTOR3 p(0, 0, 0), q(3, 4, 0);
    hit = D3DXVECTOR3(7, 7, 7);
    EXPECT_EQ(D3DXPlaneIntersectLine(&hit, &plane, &p, &q), nullptr);
    EXPECT_EQ(hit, D3DXVECTOR3(7, 7, 7));
}

TEST(D3dxPlane, DotCoordGivesSignedDistanceOfNormalisedPlane) {
    D3DXPLANE plane(0, 0, 2, -10), unit;
    D3DXPlaneNormalize(&unit, &plane);
    D3DXVECTOR3 above(1, 1, 8);
    EXPECT_EQ(D3DXPlaneDotCoord(&unit, &above), 3.0f);
}

TEST(D3dxQuaternion, MatchesMatrixRotations) {
    D3DXQUATERNION q, back;
    D3DXQuaternionRotationYawPitchRoll(&q, 1.1f, -0.7f, 0.3f);
    D3DXMATRIX fromQuaternion, expected;
    D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
    D3DXMatrixRotationYawPitchRoll(&expected, 1.1f, -0.7f, 0.3f);
    ExpectMatrixNear(expected, fromQuaternion);

    D3DXQuaternionRotationMatrix(&back, &expected);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&q, &back)), 1.0f, 1e-5f);
}

TEST(D3dxQuaternion, MultiplyAppliesLeftFirstAndSlerpHalfway) {
    D3DXVECTOR3 xAxis(1, 0, 0), zAxis(0, 0, 1);
    D3DXQUATERNION qx, qz, both;
    D3DXQuaternionRotationAxis(&qx, &xAxis, 0.6f);
    D3DXQuaternionRotationAxis(&qz, &zAxis, -1.2f);
    D3DXQuaternionMultiply(&both, &qx, &qz);
    D3DXMATRIX mx, mz, m;
    D3DXMatrixRotationX(&mx, 0.6f);
    D3DXMatrixRotationZ(&mz, -1.2f);
    D3DXMatrixRotationQuaternion(&m, &both);
    ExpectMatrixNear(mx * mz, m);

    D3DXQUATERNION identity, half, expected;
    D3DXQuaternionIdentity(&identity);
    D3DXQuaternionSlerp(&half, &identity, &qz, 0.5f);
    D3DXQuaternionRotationAxis(&expected, &zAxis, -0.6f);
    EXPECT_NEAR(D3DXQuaternionDot(&half, &expected), 1.0f, 1e-5f);
}

TEST(D3dxColor, ConvertsBetweenArgbAndFloats) {
    D3DXCOLOR c(0x80FF4000u);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_NEAR(c.g, 64.0f / 255.0f, 1e-7f);
    EXPECT_EQ(c.b, 0.0f);
    EXPECT_NEAR(c.a, 128.0f / 255.0f, 1e-7f);
    EXPECT_EQ(DWORD(c), 0x80FF4000u);
    // Out-of-range channels saturate.
    EXPECT_EQ(DWORD(D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.0f)), 0xFFFF0080u);

    D3DXCOLOR grey(0.5f, 0.5f, 0.5f, 1.0f), out;
    D3DXColorAdjustSaturation(&out, &grey, 3.0f);
    EXPECT_NEAR(out.r, 0.5f, 1e-6f);
    D3DXCOLOR red(1.0f, 0.0f, 0.0f, 0.25f);
    D3DXColorNegative(&out, &red);
    EXPECT_EQ(out, D3DXCOLOR(0.0f, 1.0f, 1.0f, 0.25f));
    D3DXColorModulate(&out, &red, &grey);
    EXPECT_EQ(out, D3DXCOLOR(0.5f, 0.0f, 0.0f, 0.25f));
}

}  // namespace

namespace {

TEST(D3dxColor, FillsDeviceColourValues) {
    D3DLIGHT9 light{};
    light.Diffuse = D3DXCOLOR(1.0f, 0.5f, 0.25f, 1.0f);
    EXPECT_EQ(light.Diffuse.g, 0.5f);
    D3DXCOLOR back = light.Diffuse;
    EXPECT_EQ(DWORD(back), 0xFFFF8040u);
}

}  // namespace
