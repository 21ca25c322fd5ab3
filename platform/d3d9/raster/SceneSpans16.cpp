// The scene spans of the A4R4G4B4 and R5G6B5 texture formats.
#include "d3d9/raster/SceneSpans.h"

namespace raster::fast {

SpanFn SceneSpanFor16(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth) {
    switch (format) {
        case D3DFMT_A4R4G4B4: return SceneFor<D3DFMT_A4R4G4B4>(linear, mip, depthTest, depth);
        case D3DFMT_R5G6B5: return SceneFor<D3DFMT_R5G6B5>(linear, mip, depthTest, depth);
        default: return nullptr;
    }
}

}  // namespace raster::fast
