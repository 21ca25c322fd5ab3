// One draw: assemble primitives, process and clip their vertices, map them
// to the screen, cull, and hand them to the rasterizer in the fill mode.
#include "d3d9/raster/RasterPipeline.h"

#include <algorithm>
#include <cmath>

#include "d3d9/raster/Clipper.h"
#include "d3d9/raster/CompiledDraw.h"
#include "d3d9/raster/FastSpans.h"
#include "d3d9/raster/FrameBins.h"
#include "d3d9/raster/PixelState.h"
#include "d3d9/raster/PrimitiveAssembly.h"
#include "d3d9/raster/RasterWorkers.h"
#include "d3d9/raster/Rasterizer.h"
#include "d3d9/raster/TexelFormats.h"
#include "d3d9/raster/VertexProcessing.h"
#include "d3d9/raster/VertexStore.h"
#include "d3d9/raster/ViewportMapping.h"

namespace raster {

namespace {

// Maps positions in the draw's vertex sequence to vertex numbers.
class VertexSequence {
public:
    explicit VertexSequence(const DrawCommand& draw) : draw_(draw) {}
    // False when the index lies outside the index data or the vertex number
    // is negative or too large.
    bool VertexAt(uint64_t position, uint32_t& vertex) const {
        if (!draw_.indexed) {
            const uint64_t v = uint64_t(draw_.startVertex) + position;
            if (v > 0xFFFFFFFFull) return false;
            vertex = uint32_t(v);
            return true;
        }
        const uint32_t size = draw_.indices.indexSize;
        const uint64_t offset = (uint64_t(draw_.startIndex) + position) * size;
        if (!draw_.indices.data || offset + size > draw_.indices.size) return false;
        uint32_t index = 0;
        if (size == 4) index = Load32(draw_.indices.data + offset);
        else index = Load16(draw_.indices.data + offset);
        const int64_t v = int64_t(draw_.baseVertexIndex) + int64_t(index);
        if (v < 0 || v > 0xFFFFFFFFll) return false;
        vertex = uint32_t(v);
        return true;
    }

    // The lowest and highest vertex numbers of the first `count` positions;
    // false when none is readable.
    bool Range(uint64_t count, uint32_t& lowest, uint32_t& highest) const {
        if (count == 0) return false;
        if (!draw_.indexed) {
            const uint64_t last = uint64_t(draw_.startVertex) + count - 1;
            lowest = draw_.startVertex;
            highest = uint32_t(std::min<uint64_t>(last, 0xFFFFFFFFull));
            return true;
        }
        lowest = UINT32_MAX;
        highest = 0;
        for (uint64_t i = 0; i < count; ++i) {
            uint32_t v;
            if (!VertexAt(i, v)) continue;
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        return lowest <= highest;
    }

private:
    const DrawCommand& draw_;
};

// Vertices the data can supply at most: the count is the caller's and is
// not trusted.
uint64_t AvailableVertices(const DrawCommand& draw, const VertexSetup& setup) {
    if (draw.indexed) {
        const uint64_t size = draw.indices.indexSize;
        const uint64_t start = uint64_t(draw.startIndex) * size;
        if (!draw.indices.data || size == 0 || start >= draw.indices.size) return 0;
        return (draw.indices.size - start) / size;
    }
    uint64_t available = UINT64_MAX;
    for (int s = 0; s < kMaxStreams; ++s) {
        const uint32_t need = setup.layout.streamBytes[s];
        if (need == 0) continue;
        const StreamView& stream = draw.streams[s];
        if (stream.size < need) return 0;
        const uint64_t count = (stream.size - need) / stream.stride + 1;
        available = std::min(available, count);
    }
    const uint64_t start = draw.startVertex;
    return available > start ? available - start : 0;
}

struct DrawSetup {
    const DrawCommand* draw;
    const VertexSetup* vertices;
    PrimitiveSink* sink = nullptr;  // null: rasterized at once
    RasterContext raster;
    ClipPlanes planes;
    ScreenMapping mapping;
    uint32_t cullMode, fillMode;
    bool flat, lastPixel;
};

double PolygonArea(const ScreenVertex* const* v, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const ScreenVertex& a = *v[i];
        const ScreenVertex& b = *v[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

bool Culled(uint32_t cullMode, double area) {
    if (cullMode == D3DCULL_CW) return area > 0;
    if (cullMode == D3DCULL_CCW) return area < 0;
    return false;
}

// The rasterizer's entry points, or the sink's when the draw has one.
void EmitPoint(const DrawSetup& d, const RasterContext& raster, const ScreenVertex& v) {
    if (d.sink) d.sink->Point(raster, v);
    else RasterizePoint(raster, v);
}

void EmitLine(const DrawSetup& d, const RasterContext& raster, const ScreenVertex& a, const ScreenVertex& b,
              bool includeLast) {
    if (d.sink) d.sink->Line(raster, a, b, includeLast);
    else RasterizeLine(raster, a, b, includeLast);
}

void EmitTriangle(const DrawSetup& d, const RasterContext& raster, const ScreenVertex& v0, const ScreenVertex& v1,
                  const ScreenVertex& v2) {
    if (d.sink) d.sink->Triangle(raster, v0, v1, v2);
    else RasterizeTriangle(raster, v0, v1, v2);
}

void EmitTrianglePair(const DrawSetup& d, const RasterContext& raster, const ScreenVertex* const a[3],
                      const ScreenVertex* const b[3]) {
    if (d.sink) d.sink->TrianglePair(raster, a, b);
    else RasterizeTrianglePair(raster, a, b);
}

void DrawPolygon(const DrawSetup& d, const RasterContext& raster, const ScreenVertex* const* v, int n, bool clipped) {
    if (n < 3) return;
    // Unclipped triangles decide on the snapped grid, as coverage does.
    const double area = clipped ? PolygonArea(v, n) : double(SnappedArea(*v[0], *v[1], *v[2]));
    if (area == 0 || Culled(d.cullMode, area)) return;
    switch (d.fillMode) {
        case D3DFILL_POINT:
            for (int i = 0; i < n; ++i) EmitPoint(d, raster, *v[i]);
            break;
        case D3DFILL_WIREFRAME:
            for (int i = 0; i < n; ++i) EmitLine(d, raster, *v[i], *v[(i + 1) % n], false);
            break;
        default:
            for (int i = 1; i + 1 < n; ++i) EmitTriangle(d, raster, *v[0], *v[i], *v[i + 1]);
            break;
    }
}

// Flat shading: every corner takes the provoking vertex's colours.
template <class Vertex>
void TakeProvokingColours(Vertex* corners, int provoking) {
    for (int c = 0; c < 3; ++c)
        for (int a = kDiffuseR; a < kTexcoord0; ++a) corners[c].attr[a] = corners[provoking].attr[a];
}

void DrawTriangle(const DrawSetup& d, const RasterContext& raster, const PostVertex* const corners[3], int provoking) {
    const uint32_t outside = corners[0]->outside | corners[1]->outside | corners[2]->outside;
    if (outside == 0) {
        const ScreenVertex* screen[3] = {&corners[0]->screen, &corners[1]->screen, &corners[2]->screen};
        if (!d.flat) return DrawPolygon(d, raster, screen, 3, false);
        ScreenVertex flat[3] = {*screen[0], *screen[1], *screen[2]};
        TakeProvokingColours(flat, provoking);
        const ScreenVertex* flatCorners[3] = {&flat[0], &flat[1], &flat[2]};
        return DrawPolygon(d, raster, flatCorners, 3, false);
    }
    if (corners[0]->outside & corners[1]->outside & corners[2]->outside) return;  // wholly outside one plane
    ClipVertex in[3] = {corners[0]->clip, corners[1]->clip, corners[2]->clip};
    if (d.flat) TakeProvokingColours(in, provoking);
    ClipVertex clipped[kMaxClippedVertices];
    const int n = ClipPolygon(d.planes, in, 3, clipped);
    ScreenVertex screen[kMaxClippedVertices];
    const ScreenVertex* pointers[kMaxClippedVertices];
    for (int i = 0; i < n; ++i) {
        screen[i] = MapToScreen(d.mapping, clipped[i]);
        pointers[i] = &screen[i];
    }
    DrawPolygon(d, raster, pointers, n, true);
}

// What becomes of a triangle before clipping. Unclipped triangles are culled
// on the snapped grid, whatever the fill and shade modes; the pair path takes
// the plain ones as they are: shaded smoothly and filled.
enum class TriangleFate { kCulled, kPlain, kOther };

TriangleFate FateOf(const DrawSetup& d, const PostVertex* const corners[3]) {
    if (corners[0]->outside | corners[1]->outside | corners[2]->outside) return TriangleFate::kOther;
    const double area = double(SnappedArea(corners[0]->screen, corners[1]->screen, corners[2]->screen));
    if (area == 0 || Culled(d.cullMode, area)) return TriangleFate::kCulled;
    if (d.flat || d.fillMode == D3DFILL_POINT || d.fillMode == D3DFILL_WIREFRAME) return TriangleFate::kOther;
    return TriangleFate::kPlain;
}

void DrawLineSegment(const DrawSetup& d, const RasterContext& raster, ClipVertex a, ClipVertex b, bool includeLast) {
    if (!ClipSegment(d.planes, a, b)) return;
    EmitLine(d, raster, MapToScreen(d.mapping, a), MapToScreen(d.mapping, b), includeLast);
}

Rect DrawBounds(const DrawCommand& draw) {
    const StateBlock& st = *draw.states;
    const Viewport& vp = st.viewport;
    Rect r;
    r.left = int32_t(std::min<uint64_t>(vp.x, draw.target.width));
    r.top = int32_t(std::min<uint64_t>(vp.y, draw.target.height));
    r.right = int32_t(std::min<uint64_t>(uint64_t(vp.x) + vp.width, draw.target.width));
    r.bottom = int32_t(std::min<uint64_t>(uint64_t(vp.y) + vp.height, draw.target.height));
    if (st.render[D3DRS_SCISSORTESTENABLE]) {
        r.left = std::max(r.left, st.scissor.left);
        r.top = std::max(r.top, st.scissor.top);
        r.right = std::min(r.right, st.scissor.right);
        r.bottom = std::min(r.bottom, st.scissor.bottom);
    }
    return r;
}

// The primitives of a draw in order, each vertex from `fetch`.
template <class Fetch>
void DrawPrimitives(const DrawSetup& d, const RasterContext& raster, uint32_t type, uint64_t count, Fetch fetch) {
    for (uint64_t i = 0; i < count; ++i) {
        switch (type) {
            case D3DPT_POINTLIST: {
                const PostVertex* v = fetch(i);
                if (v && v->outside == 0) EmitPoint(d, raster, v->screen);
                break;
            }
            case D3DPT_LINELIST:
            case D3DPT_LINESTRIP: {
                uint64_t ends[2];
                LineEnds(type, i, ends);
                const PostVertex* a = fetch(ends[0]);
                const PostVertex* b = fetch(ends[1]);
                if (!a || !b) break;
                ClipVertex last = b->clip;
                if (d.flat)
                    for (int k = kDiffuseR; k < kTexcoord0; ++k) last.attr[k] = a->clip.attr[k];
                const bool includeLast = d.lastPixel && (type == D3DPT_LINELIST || i + 1 == count);
                DrawLineSegment(d, raster, a->clip, last, includeLast);
                break;
            }
            default: {
                uint64_t at[3];
                TriangleCorners(type, i, at);
                const PostVertex* corners[3] = {fetch(at[0]), fetch(at[1]), fetch(at[2])};
                if (!corners[0] || !corners[1] || !corners[2]) break;
                const TriangleFate fate = FateOf(d, corners);
                if (fate == TriangleFate::kCulled) break;
                const ScreenVertex* a[3] = {&corners[0]->screen, &corners[1]->screen, &corners[2]->screen};
                if (fate == TriangleFate::kPlain && i + 1 < count) {
                    TriangleCorners(type, i + 1, at);
                    const PostVertex* next[3] = {fetch(at[0]), fetch(at[1]), fetch(at[2])};
                    const TriangleFate nextFate =
                        next[0] && next[1] && next[2] ? FateOf(d, next) : TriangleFate::kOther;
                    if (nextFate == TriangleFate::kPlain) {
                        const ScreenVertex* b[3] = {&next[0]->screen, &next[1]->screen, &next[2]->screen};
                        EmitTrianglePair(d, raster, a, b);
                        ++i;
                        break;
                    }
                    if (nextFate == TriangleFate::kCulled) {  // drawn alone, its culled neighbour skipped
                        RasterizeTriangle(raster, *a[0], *a[1], *a[2]);
                        ++i;
                        break;
                    }
                }
                if (fate == TriangleFate::kPlain) RasterizeTriangle(raster, *a[0], *a[1], *a[2]);
                else DrawTriangle(d, raster, corners, ProvokingCorner(type, i));
                break;
            }
        }
    }
}

// Processes every vertex on the caller, then, when the draw may cover
// enough pixels, bins its primitives into strips of rows that the workers
// rasterize: each strip sets up only the primitives that reach its rows.
// False leaves the draw to the caller.
template <class Fetch>
bool DrawInBands(const DrawSetup& d, uint32_t type, uint64_t count, uint64_t positions, Fetch fetch) {
    const Rect& b = d.raster.bounds;
    double left = b.right, right = b.left, top = b.bottom, bottom = b.top;
    bool clipped = false;
    for (uint64_t p = 0; p < positions; ++p) {
        const PostVertex* v = fetch(p);
        if (!v) continue;
        if (v->outside) {
            clipped = true;  // its screen position is not known here: assume the whole target
            continue;
        }
        left = std::min(left, v->screen.x);
        right = std::max(right, v->screen.x);
        top = std::min(top, v->screen.y);
        bottom = std::max(bottom, v->screen.y);
    }
    if (!clipped) {
        left = std::max(left, double(b.left));
        right = std::min(right, double(b.right));
        top = std::max(top, double(b.top));
        bottom = std::min(bottom, double(b.bottom));
        if (!(right > left && bottom > top) || (right - left) * (bottom - top) < double(ThreadedPixels())) return false;
    }
    if (int64_t(b.bottom) - b.top <= FrameBins::kStripRows) return false;
    FrameBins bins;
    DrawSetup binned = d;
    binned.sink = &bins;
    DrawPrimitives(binned, binned.raster, type, count, fetch);
    bins.Rasterize();
    return true;
}

}  // namespace

void CompileDraw(const DrawCommand& draw, CompiledDraw& out) {
    out.result = DrawResult::kInvalidLayout;
    if (!draw.states) return;
    out.result = DrawResult::kInvalidTarget;
    if (!BuildPixelState(draw, out.pixels)) return;
    out.result = DrawResult::kInvalidLayout;
    if (!CompileVertexSetup(draw, out.pixels.stageCount, out.vertices)) return;
    out.fast = PlanFastPath(out.pixels);
    out.result = DrawResult::kDrawn;
}

DrawResult Draw(const DrawCommand& draw) {
    CompiledDraw compiled;
    CompileDraw(draw, compiled);
    return DrawCompiled(draw, compiled);
}

DrawResult DrawCompiled(const DrawCommand& draw, CompiledDraw& compiled, PrimitiveSink* sink) {
    if (compiled.result != DrawResult::kDrawn) return compiled.result;
    if (!BindVertexStreams(draw, compiled.vertices)) return DrawResult::kInvalidLayout;
    DrawSetup d;
    d.draw = &draw;
    d.vertices = &compiled.vertices;
    d.sink = sink;

    const StateBlock& st = *draw.states;
    d.mapping = ScreenMapping{st.viewport, d.vertices->pretransformed};
    d.cullMode = st.render[D3DRS_CULLMODE];
    d.fillMode = st.render[D3DRS_FILLMODE];
    d.flat = st.render[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    d.lastPixel = st.render[D3DRS_LASTPIXEL] != 0;
    d.planes = MakeClipPlanes(d.vertices->pretransformed, st.viewport);
    d.raster.pixels = &compiled.pixels;
    d.raster.bounds = DrawBounds(draw);
    d.raster.attributeMask = compiled.pixels.attributeMask;
    d.raster.fast = &compiled.fast;
    if (d.raster.bounds.left >= d.raster.bounds.right || d.raster.bounds.top >= d.raster.bounds.bottom)
        return DrawResult::kDrawn;

    const uint32_t type = draw.primitiveType;
    const uint64_t available = AvailableVertices(draw, *d.vertices);
    const uint64_t count = std::min<uint64_t>(draw.primitiveCount, PrimitivesForVertices(type, available));
    const VertexSequence sequence(draw);
    const uint64_t positions = VerticesForPrimitives(type, count);
    uint32_t lowest = 0, highest = 0;
    if (!sequence.Range(positions, lowest, highest)) return DrawResult::kDrawn;
    VertexStore store(*d.vertices, d.planes, d.mapping, lowest, highest, positions);
    auto fetch = [&](uint64_t position) -> const PostVertex* {
        uint32_t vertex;
        return sequence.VertexAt(position, vertex) ? store.Get(vertex) : nullptr;
    };

    if (!sink && RasterThreads() > 1 && DrawInBands(d, type, count, positions, fetch))
        return DrawResult::kDrawn;
    DrawPrimitives(d, d.raster, type, count, fetch);
    return DrawResult::kDrawn;
}

}  // namespace raster
