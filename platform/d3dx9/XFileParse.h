// The meshes of a text .X file as the file gives them, each with the
// transform of the frames around it. Everything the file claims is checked
// while reading: counts against what follows, indices against their arrays,
// face material numbers against the material list, braces, and numbers
// (counts below 2^32, finite reals).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "d3dx9math.h"

namespace d3dx {

struct XMaterial {
    D3DMATERIAL9 material{};
    std::string texture;  // empty: none
};

struct XMeshData {
    D3DXMATRIX transform;        // frames, innermost first
    std::vector<D3DXVECTOR3> positions;
    std::vector<DWORD> faceSizes;    // corners of each polygon, at least 3
    std::vector<DWORD> faceIndices;  // all corners, face after face

    bool hasNormals = false;
    std::vector<D3DXVECTOR3> normals;
    std::vector<DWORD> normalIndices;  // one per corner, as faceIndices

    bool hasTexcoords = false;
    std::vector<D3DXVECTOR2> texcoords;  // one per position

    bool hasMaterials = false;
    std::vector<XMaterial> materials;
    std::vector<DWORD> faceMaterials;  // one per polygon
};

struct XScene {
    std::vector<XMeshData> meshes;
};

// Reads a whole file (header included). Empty on success; otherwise why the
// file was refused, with its line.
std::string ParseXFile(std::string_view file, XScene& scene);

}  // namespace d3dx
