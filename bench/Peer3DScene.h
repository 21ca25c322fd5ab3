// The 3D frame both renderers of the peer benchmark draw: 50 textured, lit,
// depth-tested meshes of 500 triangles each at 800 x 600. Plain numbers
// only, so each renderer's side builds its own objects from them.
#pragma once

#include <cstdint>
#include <vector>

namespace peer3d {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kMeshes = 50;
constexpr int kRings = 10, kSegments = 25;  // a torus of 10 x 25 quads: 500 triangles
constexpr int kTextureSize = 64;
constexpr uint32_t kClearColour = 0xFF000000u;

struct Vertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;  // triangle list, clockwise on screen from the front
    float world[16];                // row vectors, as both renderers keep matrices
};

struct Scene {
    std::vector<Mesh> meshes;
    float view[16], projection[16];
    float lightDirection[3];        // the direction the light travels, unit length
    float lightDiffuse[3];          // 0..1
    float ambient[3];               // the scene's ambient light, 0..1
    float material[3];              // diffuse and ambient reflectance, 0..1
    std::vector<uint32_t> texture;  // kTextureSize squared, A8R8G8B8, rows top down
};

const Scene& TheScene();

inline int Triangles(const Scene& scene) {
    int n = 0;
    for (const Mesh& mesh : scene.meshes) n += int(mesh.indices.size() / 3);
    return n;
}

}  // namespace peer3d
