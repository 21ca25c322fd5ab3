#include "d3d9/raster/VertexTransform.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace raster {

DMatrix ToDouble(const Matrix& m) {
    DMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.m[r][c] = m.m[r][c];
    return out;
}

DMatrix ToDouble(const D3DMATRIX& m) {
    DMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.m[r][c] = m.m[r][c];
    return out;
}

DMatrix Multiply(const DMatrix& a, const DMatrix& b) {
    DMatrix out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[r][k] * b.m[k][c];
            out.m[r][c] = sum;
        }
    return out;
}

namespace {

constexpr uint32_t kPaletteSize = 256;

// The 3x3 minor of m without row `skipRow` and column `skipColumn`.
double Minor3(const DMatrix& m, int skipRow, int skipColumn) {
    int rows[3], columns[3];
    for (int i = 0, r = 0, c = 0; i < 4; ++i) {
        if (i != skipRow) rows[r++] = i;
        if (i != skipColumn) columns[c++] = i;
    }
    auto at = [&](int r, int c) { return m.m[rows[r]][columns[c]]; };
    return at(0, 0) * (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) -
           at(0, 1) * (at(1, 0) * at(2, 2) - at(1, 2) * at(2, 0)) +
           at(0, 2) * (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0));
}

// The upper 3x3 of the inverse transpose of the whole matrix, which is the
// cofactor matrix over the determinant. A matrix that cannot be inverted
// leaves normals as they are: lighting then still sees the vertex's own
// normal rather than none.
void NormalMatrix(const DMatrix& m, double out[3][3]) {
    double cofactor[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) cofactor[r][c] = ((r + c) % 2 ? -1.0 : 1.0) * Minor3(m, r, c);
    double det = 0.0;
    for (int c = 0; c < 4; ++c) det += m.m[0][c] * cofactor[0][c];
    const bool invertible = det != 0.0 && std::isfinite(det);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out[r][c] = invertible ? cofactor[r][c] / det : (r == c ? 1.0 : 0.0);
}

}  // namespace

void BlendTransforms::Init(const StateBlock& states, bool indexed) {
    states_ = &states;
    indexed_ = indexed && states.worldPalette && states.worldPaletteCount > 0;
    view_ = ToDouble(states.view);
    viewProjection_ = Multiply(view_, ToDouble(states.projection));
    if (!indexed_) {
        count_ = kMaxBlendMatrices;
        built_ = local_;
        ready_ = localReady_;
        std::fill(std::begin(localReady_), std::end(localReady_), 0);
        return;
    }
    count_ = std::min<uint32_t>(kPaletteSize, states.worldPaletteCount);
    palette_.reset(new BlendTransform[count_]);
    paletteReady_.reset(new uint8_t[count_]());
    built_ = palette_.get();
    ready_ = paletteReady_.get();
}

const BlendTransform& BlendTransforms::Get(uint32_t matrix) const {
    if (matrix >= count_) matrix = 0;
    BlendTransform& t = built_[matrix];
    if (!ready_[matrix]) {
        const DMatrix world = indexed_ ? ToDouble(states_->worldPalette[matrix]) : ToDouble(states_->world[matrix]);
        t.toClip = Multiply(world, viewProjection_);
        t.toCamera = Multiply(world, view_);
        NormalMatrix(t.toCamera, t.normal);
        ready_[matrix] = 1;
    }
    return t;
}

namespace {

// One world matrix, no blending: what nearly every mesh draws with. The
// sums are the blend loop's for a single weight of 1, to the bit: the
// camera-space values start from 0 and add the weighted row.
void TransformOnce(const BlendTransform& t, bool wantCamera, const double position[4], const float normal[4],
                   TransformedVertex& out) {
    TransformRow(position, t.toClip, out.clip);
    if (!wantCamera) {
        for (int c = 0; c < 3; ++c) out.camera[c] = out.normal[c] = 0.0;
        return;
    }
    constexpr double w = 1.0;
    const auto& m = t.toCamera.m;
    for (int c = 0; c < 3; ++c) {
        const double p = position[0] * m[0][c] + position[1] * m[1][c] + position[2] * m[2][c] + position[3] * m[3][c];
        out.camera[c] = 0.0 + w * p;
        out.normal[c] = 0.0 + w * (normal[0] * t.normal[0][c] + normal[1] * t.normal[1][c] + normal[2] * t.normal[2][c]);
    }
}

}  // namespace

void BlendVertex(const BlendTransforms& transforms, int matrices, bool indexed, bool wantCamera,
                 const BlendInputs& in, TransformedVertex& out) {
    const double position[4] = {in.position[0], in.position[1], in.position[2], 1.0};
    if (matrices == 1 && !indexed) return TransformOnce(transforms.Get(0), wantCamera, position, in.normal, out);
    for (double& c : out.clip) c = 0.0;
    for (int c = 0; c < 3; ++c) out.camera[c] = out.normal[c] = 0.0;
    double remaining = 1.0;
    for (int i = 0; i < matrices; ++i) {
        // The last weight is what the others leave.
        const double w = i == matrices - 1 ? remaining : double(in.weights[i]);
        remaining -= w;
        const float index = indexed ? in.indices[i] : float(i);
        const BlendTransform& t = transforms.Get(index >= 0.0f && index < 256.0f ? uint32_t(index) : 0u);
        double p[4];
        TransformRow(position, t.toClip, p);
        if (matrices == 1) {
            for (int c = 0; c < 4; ++c) out.clip[c] = p[c];
        } else {
            for (int c = 0; c < 4; ++c) out.clip[c] += w * p[c];
        }
        if (!wantCamera) continue;
        TransformRow(position, t.toCamera, p);
        for (int c = 0; c < 3; ++c) {
            out.camera[c] += w * p[c];
            out.normal[c] += w * (in.normal[0] * t.normal[0][c] + in.normal[1] * t.normal[1][c] +
                                  in.normal[2] * t.normal[2][c]);
        }
    }
}

}  // namespace raster
