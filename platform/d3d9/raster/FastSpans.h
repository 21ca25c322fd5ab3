// Specialised spans for the common state combinations of 2D drawing:
// textured quads (point or linear, opaque or alpha-blended), solid fills and
// text. Each computes exactly what the general span computes.
#pragma once

#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/Rasterizer.h"

namespace raster {

enum class FastKind {
    kNone,      // general spans only
    kTextured,  // stage 0 texture with diffuse, stage 1 off, depth test allowed
    kConstant,  // no texture read: the stages give one colour per triangle
};

struct FastPathPlan {
    FastKind kind = FastKind::kNone;
    int blendMode = kOpaqueBlend;
    // By filter, [0] point and [1] linear.
    SpanFn texturedSpan[2] = {};  // 2D: flat diffuse, affine, no depth test
    RectangleFn texturedRectangle[2] = {};  // texturedSpan over a rectangle's rows
    SpanFn sceneSpan[2] = {};     // any textured triangle of the plan
    // Minification and magnification filters differ: the filter follows the
    // level of detail, constant over an affine triangle.
    bool filterPerTriangle = false;
    bool magLinear = false, minLinear = false;
    // Several mip levels: the scene span picks one per pixel.
    bool mipmapped = false;
    SpanFn constantSpan = nullptr;
    SpanFn gouraudSpan = nullptr;  // kConstant with colours that change across the triangle
};

// Also fills ps.fastStage for the textured spans.
FastPathPlan PlanFastPath(PixelState& ps);

// For tests and benchmarks: with false every draw takes the general spans.
void SetFastPathsEnabled(bool enabled);
bool FastPathsEnabled();

}  // namespace raster
