// Comparisons for the D3DX math tests.
#pragma once

#include <gtest/gtest.h>

#include "d3dx9math.h"

inline void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(expected.m[r][c], actual.m[r][c], tolerance) << "element _" << r + 1 << c + 1;
}

inline void ExpectVectorNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tolerance = 1e-5f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}
