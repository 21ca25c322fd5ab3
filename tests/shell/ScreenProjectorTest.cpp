// The combined-matrix projector that batch drawers use must give each point
// bit for bit what the one-point projection through D3DX gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <d3dx9.h>

#include "basrel/HostIntegers.h"
#include "shell/ScreenProjector.h"

namespace shell_test {
namespace {

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

struct Camera {
    const char* name;
    D3DVIEWPORT9 viewport;
    D3DXMATRIX projection;
    D3DXMATRIX view;
};

std::vector<Camera> Cameras() {
    std::vector<Camera> cameras(3);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f), at(5000.0f, 8000.0f, 0.0f), origin(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 eyes[3] = {{5000.0f, 6200.0f, 1500.0f}, {5000.0f, 7000.0f, 900.0f}, {120.5f, -3.25f, 77.0f}};
    cameras[0].name = "orthographic 800 x 600";
    cameras[0].viewport = {0, 0, 800, 600, 0.0f, 1.0f};
    D3DXMatrixOrthoLH(&cameras[0].projection, 800.0f, 600.0f, 10.0f, 20000.0f);
    cameras[1].name = "perspective 1024 x 768";
    cameras[1].viewport = {0, 0, 1024, 768, 0.0f, 1.0f};
    D3DXMatrixPerspectiveFovLH(&cameras[1].projection, 0.785f, 1024.0f / 768.0f, 10.0f, 30000.0f);
    cameras[2].name = "perspective in an offset viewport";
    cameras[2].viewport = {13, 7, 317, 211, 0.25f, 0.75f};
    D3DXMatrixPerspectiveFovLH(&cameras[2].projection, 1.1f, 1.5f, 1.0f, 5000.0f);
    for (int i = 0; i < 3; ++i) D3DXMatrixLookAtLH(&cameras[size_t(i)].view, &eyes[i], i == 2 ? &origin : &at, &up);
    return cameras;
}

TEST(ScreenProjector, EveryPointMatchesTheOnePointProjectionBitForBit) {
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return int32_t(seed >> 8) % 20000 - 2000;
    };
    for (const Camera& camera : Cameras()) {
        const KScreenProjector projector(camera.viewport, camera.projection, camera.view);
        for (int i = 0; i < 2000; ++i) {
            const int x = next(), y = next(), z = next() / 10;
            const D3DXVECTOR3 point{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
            D3DXVECTOR3 expected;
            D3DXVec3Project(&expected, &point, &camera.viewport, &camera.projection, &camera.view, nullptr);
            const D3DXVECTOR3 got = projector.Project(point);
            ASSERT_EQ(Bits(got.x), Bits(expected.x)) << camera.name << " " << x << "," << y << "," << z;
            ASSERT_EQ(Bits(got.y), Bits(expected.y)) << camera.name;
            ASSERT_EQ(Bits(got.z), Bits(expected.z)) << camera.name;
            int px = x, py = y;
            projector.ProjectPoint(&px, &py, z);
            EXPECT_EQ(px, host_int::Truncate(expected.x));
            EXPECT_EQ(py, host_int::Truncate(expected.y));
        }
    }
}

}  // namespace
}  // namespace shell_test
