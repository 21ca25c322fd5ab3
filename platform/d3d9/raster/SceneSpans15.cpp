// The scene spans of the X1R5G5B5 and A1R5G5B5 texture formats.
#include "d3d9/raster/SceneSpans.h"

namespace raster::fast {

SpanFn SceneSpanFor15(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth) {
    switch (format) {
        case D3DFMT_X1R5G5B5: return SceneFor<D3DFMT_X1R5G5B5>(linear, mip, depthTest, depth);
        case D3DFMT_A1R5G5B5: return SceneFor<D3DFMT_A1R5G5B5>(linear, mip, depthTest, depth);
        default: return nullptr;
    }
}

}  // namespace raster::fast
