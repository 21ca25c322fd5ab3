// Writer of text .X mesh files ("xof 0303txt 0032"): frames with their
// transforms, meshes with polygons, normals, texture coordinates and
// material lists, and materials with texture file names. The override
// counts write a number in place of the true one, for damaged files.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct XFileMaterial {
    std::array<float, 4> diffuse{1.0f, 1.0f, 1.0f, 1.0f};  // r, g, b, a
    float power = 0.0f;
    std::array<float, 3> specular{};
    std::array<float, 3> emissive{};
    std::string texture;  // a TextureFilename object when not empty
    std::string name;     // the object's name when not empty
    // Written once at the top level (under its name) and named by a
    // reference from the material list.
    bool byReference = false;
};

struct XFileMesh {
    std::string name;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::vector<uint32_t>> faces;  // polygons of 3 or more corners
    // A MeshNormals object when normals are given.
    std::vector<std::array<float, 3>> normals;
    std::vector<std::vector<uint32_t>> normalFaces;
    // A MeshTextureCoords object when given: one (u, v) per position.
    std::vector<std::array<float, 2>> texcoords;
    // A MeshMaterialList object when materials are given.
    std::vector<XFileMaterial> materials;
    std::vector<uint32_t> faceMaterials;

    std::optional<uint64_t> vertexCountOverride;
    std::optional<uint64_t> faceCountOverride;
    std::optional<uint64_t> materialCountOverride;
};

struct XFileFrame {
    std::string name;
    std::optional<std::array<float, 16>> transform;  // row by row, translation in the last row
    std::vector<XFileMesh> meshes;
    std::vector<XFileFrame> children;
};

struct XFileScene {
    // A template declaration and a Header object ahead of the data, as
    // exporters write them.
    bool withHeader = false;
    std::vector<XFileMesh> meshes;  // at the top level
    std::vector<XFileFrame> frames;
};

std::string WriteXFileText(const XFileScene& scene);

// Two triangles making the square (x0, y0) to (x1, y1) at z, facing -z, with
// texture coordinates 0 to 1 and normals (0, 0, -1).
XFileMesh XFileSquare(float x0, float y0, float x1, float y1, float z);
