// The scene spans of the block-compressed texture formats.
#include "d3d9/raster/SceneSpans.h"

namespace raster::fast {

SpanFn SceneSpanForDxt(D3DFORMAT format, bool linear, bool mip, bool depthTest, D3DFORMAT depth) {
    switch (format) {
        case D3DFMT_DXT1: return SceneFor<D3DFMT_DXT1>(linear, mip, depthTest, depth);
        case D3DFMT_DXT3: return SceneFor<D3DFMT_DXT3>(linear, mip, depthTest, depth);
        case D3DFMT_DXT5: return SceneFor<D3DFMT_DXT5>(linear, mip, depthTest, depth);
        default: return nullptr;
    }
}

}  // namespace raster::fast
