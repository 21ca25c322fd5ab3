// Fixed-function transform: the blend matrices folded with the view and
// projection, and one vertex blended through them into clip and camera
// space. Normals go through the inverse transpose of each matrix.
#pragma once

#include <cstdint>
#include <memory>

#include "d3d9/raster/RasterTypes.h"

namespace raster {

struct DMatrix {
    double m[4][4];
};

DMatrix ToDouble(const Matrix& m);
DMatrix ToDouble(const D3DMATRIX& m);
DMatrix Multiply(const DMatrix& a, const DMatrix& b);
// Row vector times matrix.
inline void TransformRow(const double in[4], const DMatrix& m, double out[4]) {
    for (int c = 0; c < 4; ++c) out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
}

// One blend matrix as the vertex stage uses it.
struct BlendTransform {
    DMatrix toClip;       // world x view x projection
    DMatrix toCamera;     // world x view
    double normal[3][3];  // upper 3x3 of toCamera's inverse transpose (identity when singular)
};

// The matrices a draw blends with, each folded on first use: an indexed
// draw may name any of 256 and reads few. Belongs to one draw on one thread.
class BlendTransforms {
public:
    BlendTransforms() = default;
    BlendTransforms(const BlendTransforms&) = delete;
    BlendTransforms& operator=(const BlendTransforms&) = delete;

    void Init(const StateBlock& states, bool indexed);
    const BlendTransform& Get(uint32_t matrix) const;
    const DMatrix& View() const { return view_; }

private:
    const StateBlock* states_ = nullptr;
    bool indexed_ = false;
    DMatrix view_{}, viewProjection_{};
    size_t count_ = 0;
    BlendTransform* built_ = nullptr;  // filled on first use
    uint8_t* ready_ = nullptr;
    // The four matrices of plain blending need no allocation.
    BlendTransform local_[kMaxBlendMatrices];
    uint8_t localReady_[kMaxBlendMatrices] = {};
    std::unique_ptr<BlendTransform[]> palette_;
    std::unique_ptr<uint8_t[]> paletteReady_;
};

// One vertex's blending inputs as fetched.
struct BlendInputs {
    float position[4];
    float weights[4];
    float indices[4];
    float normal[4];
};

struct TransformedVertex {
    double clip[4];
    double camera[3];
    double normal[3];  // camera space, as long as the transforms made it
};

// matrices: how many blend (1 to 4); indexed: the vertex's indices pick them.
// Camera-space values only when wanted.
void BlendVertex(const BlendTransforms& transforms, int matrices, bool indexed, bool wantCamera,
                 const BlendInputs& in, TransformedVertex& out);

}  // namespace raster
