#include <gtest/gtest.h>

#include "MathTestUtil.h"
#include "d3dx9math.h"

namespace {

const float kHalfPi = 1.5707963f;

D3DXVECTOR3 Apply(const D3DXMATRIX& m, const D3DXVECTOR3& v) {
    D3DXVECTOR3 r;
    D3DXVec3TransformCoord(&r, &v, &m);
    return r;
}

TEST(D3dxMatrix, LookAtLhBuildsViewBasisAndTranslation) {
    // The shell's camera: eye above the target, looking down -y, z up.
    D3DXVECTOR3 eye(0, 4500, 50), at(0, 0, 50), up(0, 0, 1);
    D3DXMATRIX view;
    ASSERT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
    D3DXMATRIX expected(1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, -50, 4500, 1);
    ExpectMatrixNear(expected, view);
    // The target lands on the view axis at the eye distance.
    ExpectVectorNear(D3DXVECTOR3(0, 0, 4500), Apply(view, at), 1e-3f);
}

TEST(D3dxMatrix, PerspectiveFovLhMatchesHandValues) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 0.1308997f, 1.37f, 200.0f, 20000.0f);
    D3DXMATRIX expected(15.2570510f, 0, 0, 0, 0, 15.2570510f, 0, 0, 0, 0, 1.0101010f, 1, 0, 0, -202.020202f, 0);
    expected._11 = 11.1365336f;
    ExpectMatrixNear(expected, p, 1e-4f);
    // Near plane maps to depth 0, far plane to depth 1.
    EXPECT_NEAR(Apply(p, D3DXVECTOR3(0, 0, 200)).z, 0.0f, 1e-5f);
    EXPECT_NEAR(Apply(p, D3DXVECTOR3(0, 0, 20000)).z, 1.0f, 1e-5f);
}

TEST(D3dxMatrix, OrthoLhMatchesHandValues) {
    D3DXMATRIX p;
    D3DXMatrixOrthoLH(&p, 800.0f, 600.0f, 200.0f, 20000.0f);
    D3DXMATRIX expected(0.0025f, 0, 0, 0, 0, 1.0f / 300.0f, 0, 0, 0, 0, 5.0505050e-05f, 0, 0, 0, -0.01010101f, 1);
    ExpectMatrixNear(expected, p, 1e-7f);
}

TEST(D3dxMatrix, OrthoOffCenterLhMapsCornersToClipCorners) {
    D3DXMATRIX p;
    D3DXMatrixOrthoOffCenterLH(&p, 10, 30, 5, 45, 0, 1);
    ExpectVectorNear(D3DXVECTOR3(-1, -1, 0), Apply(p, D3DXVECTOR3(10, 5, 0)));
    ExpectVectorNear(D3DXVECTOR3(1, 1, 1), Apply(p, D3DXVECTOR3(30, 45, 1)));
}

TEST(D3dxMatrix, RotationsTurnAxesLeftHanded) {
    struct Case {
        const char* name;
        D3DXMATRIX* (*rotate)(D3DXMATRIX*, float);
        D3DXVECTOR3 in, out;
    };
    const Case cases[] = {
        {"X", D3DXMatrixRotationX, {0, 1, 0}, {0, 0, 1}},
        {"Y", D3DXMatrixRotationY, {0, 0, 1}, {1, 0, 0}},
        {"Z", D3DXMatrixRotationZ, {1, 0, 0}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DXMATRIX m;
        c.rotate(&m, kHalfPi);
        ExpectVectorNear(c.out, Apply(m, c.in));
    }
}

TEST(D3dxMatrix, YawPitchRollAppliesRollThenPitchThenYaw) {
    D3DXMATRIX m;
    D3DXMatrixRotationYawPitchRoll(&m, kHalfPi, kHalfPi, kHalfPi);
    // x: roll -> y, pitch -> z, yaw -> x.   y: roll -> -x, pitch -> -x, yaw -> z.
    ExpectVectorNear(D3DXVECTOR3(1, 0, 0), Apply(m, D3DXVECTOR3(1, 0, 0)));
    ExpectVectorNear(D3DXVECTOR3(0, 0, 1), Apply(m, D3DXVECTOR3(0, 1, 0)));

    D3DXMATRIX roll, pitch, yaw;
    D3DXMatrixRotationZ(&roll, 0.3f);
    D3DXMatrixRotationX(&pitch, -0.7f);
    D3DXMatrixRotationY(&yaw, 1.1f);
    D3DXMatrixRotationYawPitchRoll(&m, 1.1f, -0.7f, 0.3f);
    ExpectMatrixNear(roll * pitch * yaw, m);
}

TEST(D3dxMatrix, ProductAppliesLeftOperandFirst) {
    D3DXMATRIX scale, move;
    D3DXMatrixScaling(&scale, 2, 3, 4);
    D3DXMatrixTranslation(&move, 10, 20, 30);
    ExpectVectorNear(D3DXVECTOR3(12, 23, 34), Apply(scale * move, D3DXVECTOR3(1, 1, 1)));
    ExpectVectorNear(D3DXVECTOR3(22, 63, 124), Apply(move * scale, D3DXVECTOR3(1, 1, 1)));

    D3DXMATRIX product, transposed, expected;
    D3DXMatrixMultiplyTranspose(&transposed, &scale, &move);
    D3DXMatrixMultiply(&product, &scale, &move);
    D3DXMatrixTranspose(&expected, &product);
    EXPECT_EQ(expected, transposed);
    EXPECT_EQ(transposed._14, 10.0f);
}

TEST(D3dxMatrix, MultiplyAllowsOutputToAliasInputs) {
    D3DXMATRIX a, b;
    D3DXMatrixRotationX(&a, 0.4f);
    D3DXMatrixTranslation(&b, 1, 2, 3);
    D3DXMATRIX expected = a * b;
    D3DXMatrixMultiply(&a, &a, &b);
    EXPECT_EQ(expected, a);
}

TEST(D3dxMatrix, InverseUndoesTransform) {
    D3DXMATRIX m, inverse, product, identity;
    D3DXMatrixRotationYawPitchRoll(&m, 0.5f, 1.2f, -0.3f);
    D3DXMATRIX scale, move;
    D3DXMatrixScaling(&scale, 2, 0.5f, 3);
    D3DXMatrixTranslation(&move, 7, -8, 9);
    m = scale * m * move;
    float det = 0;
    ASSERT_EQ(D3DXMatrixInverse(&inverse, &det, &m), &inverse);
    EXPECT_NEAR(det, 3.0f, 1e-5f);
    D3DXMatrixMultiply(&product, &m, &inverse);
    ExpectMatrixNear(*D3DXMatrixIdentity(&identity), product);
}

TEST(D3dxMatrix, InverseOfSingularMatrixReportsIt) {
    D3DXMATRIX flat, out;
    D3DXMatrixScaling(&flat, 1, 0, 1);
    D3DXMatrixIdentity(&out);
    out._41 = 42;
    D3DXMATRIX before = out;
    float det = -1;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &flat), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(out, before);

    D3DXMATRIX zero(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &zero), nullptr);
}

TEST(D3dxMatrix, RotationAxisNormalisesItsAxis) {
    D3DXMATRIX viaAxis, viaZ;
    D3DXVECTOR3 axis(0, 0, 5);
    D3DXMatrixRotationAxis(&viaAxis, &axis, 0.8f);
    D3DXMatrixRotationZ(&viaZ, 0.8f);
    ExpectMatrixNear(viaZ, viaAxis);

    D3DXVECTOR3 diagonal(1, 1, 1);
    D3DXMatrixRotationAxis(&viaAxis, &diagonal, 2.0943951f);  // a third of a turn cycles the axes
    ExpectVectorNear(D3DXVECTOR3(0, 1, 0), Apply(viaAxis, D3DXVECTOR3(1, 0, 0)));
}

TEST(D3dxMatrix, IdentityAndDeterminant) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
    EXPECT_EQ(D3DXMatrixDeterminant(&m), 1.0f);
    m._12 = 0.5f;
    EXPECT_FALSE(D3DXMatrixIsIdentity(&m));
    D3DXMatrixScaling(&m, 2, 3, 4);
    EXPECT_EQ(D3DXMatrixDeterminant(&m), 24.0f);
}

}  // namespace
