// The scene spans of the A8R8G8B8 and X8R8G8B8 texture formats.
#include "d3d9/raster/SceneSpans.h"

namespace raster::fast {

SpanFn SceneSpanFor32(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return SceneFor<D3DFMT_A8R8G8B8>(linear, mip, depthTest, depth);
        case D3DFMT_X8R8G8B8: return SceneFor<D3DFMT_X8R8G8B8>(linear, mip, depthTest, depth);
        default: return nullptr;
    }
}

}  // namespace raster::fast
