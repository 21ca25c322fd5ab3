#include "d3d9/raster/PrimitiveAssembly.h"

namespace raster {

uint64_t VerticesForPrimitives(uint32_t type, uint64_t count) {
    if (count == 0) return 0;
    switch (type) {
        case D3DPT_POINTLIST: return count;
        case D3DPT_LINELIST: return 2 * count;
        case D3DPT_LINESTRIP: return count + 1;
        case D3DPT_TRIANGLELIST: return 3 * count;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return count + 2;
        default: return 0;
    }
}

uint64_t PrimitivesForVertices(uint32_t type, uint64_t vertices) {
    switch (type) {
        case D3DPT_POINTLIST: return vertices;
        case D3DPT_LINELIST: return vertices / 2;
        case D3DPT_LINESTRIP: return vertices >= 2 ? vertices - 1 : 0;
        case D3DPT_TRIANGLELIST: return vertices / 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return vertices >= 3 ? vertices - 2 : 0;
        default: return 0;
    }
}

void TriangleCorners(uint32_t type, uint64_t i, uint64_t corners[3]) {
    switch (type) {
        case D3DPT_TRIANGLESTRIP:
            // Odd triangles swap their first two vertices to keep the winding.
            corners[0] = (i & 1) ? i + 1 : i;
            corners[1] = (i & 1) ? i : i + 1;
            corners[2] = i + 2;
            break;
        case D3DPT_TRIANGLEFAN:
            corners[0] = 0;
            corners[1] = i + 1;
            corners[2] = i + 2;
            break;
        default:
            corners[0] = 3 * i;
            corners[1] = 3 * i + 1;
            corners[2] = 3 * i + 2;
            break;
    }
}

void LineEnds(uint32_t type, uint64_t i, uint64_t ends[2]) {
    if (type == D3DPT_LINESTRIP) {
        ends[0] = i;
        ends[1] = i + 1;
    } else {
        ends[0] = 2 * i;
        ends[1] = 2 * i + 1;
    }
}

int ProvokingCorner(uint32_t type, uint64_t i) {
    if (type == D3DPT_TRIANGLESTRIP) return (i & 1) ? 1 : 0;  // vertex i of the strip
    if (type == D3DPT_TRIANGLEFAN) return 1;
    return 0;
}

}  // namespace raster
