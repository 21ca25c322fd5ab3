#include "Peer3DScene.h"

#include <d3dx9math.h>

#include <cmath>
#include <cstring>

namespace peer3d {

namespace {

// A torus in its own XY plane, a little different for each mesh, so the
// frame is not one mesh drawn fifty times.
Mesh Torus(int number) {
    Mesh mesh;
    const float major = 0.55f + 0.03f * float(number % 4), minor = 0.22f + 0.02f * float(number % 3);
    const float twoPi = 2.0f * D3DX_PI;
    for (int s = 0; s <= kSegments; ++s)
        for (int r = 0; r <= kRings; ++r) {
            const float a = twoPi * float(s) / kSegments, b = twoPi * float(r) / kRings;
            const float ring = major + minor * std::cos(b);
            Vertex v{};
            v.x = ring * std::cos(a);
            v.y = ring * std::sin(a);
            v.z = minor * std::sin(b);
            v.nx = std::cos(b) * std::cos(a);
            v.ny = std::cos(b) * std::sin(a);
            v.nz = std::sin(b);
            v.u = 4.0f * float(s) / kSegments;
            v.v = 2.0f * float(r) / kRings;
            mesh.vertices.push_back(v);
        }
    for (int s = 0; s < kSegments; ++s)
        for (int r = 0; r < kRings; ++r) {
            const auto at = [](int segment, int ring) { return uint16_t(segment * (kRings + 1) + ring); };
            const uint16_t a = at(s, r), b = at(s + 1, r), c = at(s, r + 1), d = at(s + 1, r + 1);
            mesh.indices.insert(mesh.indices.end(), {a, b, c, b, d, c});
        }
    // Ten columns, five rows, at three depths, each turned its own way; the
    // outer columns cross the frame's edges.
    const int column = number % 10, row = number / 10;
    D3DXMATRIX turn, move, world;
    D3DXMatrixRotationYawPitchRoll(&turn, 0.37f * float(number), 0.6f + 0.23f * float(number), 0.0f);
    D3DXMatrixTranslation(&move, (float(column) - 4.5f) * 1.45f, (2.0f - float(row)) * 1.5f,
                          float(number * 7 % 5) * 0.5f);
    world = turn * move;
    std::memcpy(mesh.world, &world, sizeof mesh.world);
    return mesh;
}

std::vector<uint32_t> Checker() {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kTextureSize; ++y)
        for (int x = 0; x < kTextureSize; ++x) pixels.push_back(((x / 8 + y / 8) % 2) ? 0xFFE0C080u : 0xFF406080u);
    return pixels;
}

Scene Build() {
    Scene scene;
    for (int m = 0; m < kMeshes; ++m) scene.meshes.push_back(Torus(m));
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye(0.0f, 0.0f, -12.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, float(kWidth) / float(kHeight), 1.0f, 100.0f);
    std::memcpy(scene.view, &view, sizeof scene.view);
    std::memcpy(scene.projection, &projection, sizeof scene.projection);
    D3DXVECTOR3 direction(0.3f, -0.5f, 1.0f);
    D3DXVec3Normalize(&direction, &direction);
    const float light[3] = {direction.x, direction.y, direction.z};
    std::memcpy(scene.lightDirection, light, sizeof light);
    const float diffuse[3] = {1.0f, 0.9f, 0.8f}, ambient[3] = {0.1875f, 0.1875f, 0.1875f},
                material[3] = {0.9f, 0.9f, 0.9f};
    std::memcpy(scene.lightDiffuse, diffuse, sizeof diffuse);
    std::memcpy(scene.ambient, ambient, sizeof ambient);
    std::memcpy(scene.material, material, sizeof material);
    scene.texture = Checker();
    return scene;
}

}  // namespace

const Scene& TheScene() {
    static const Scene scene = Build();
    return scene;
}

}  // namespace peer3d
