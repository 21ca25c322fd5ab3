// The 2D textured spans of the block-compressed texture formats.
#include "d3d9/raster/TexturedSpans.h"

namespace raster::fast {

TexturedKernel TexturedSpanForDxt(D3DFORMAT format, bool linear, int mode, bool xTarget) {
    switch (format) {
        case D3DFMT_DXT1: return TexturedFor<D3DFMT_DXT1>(linear, mode, xTarget);
        case D3DFMT_DXT3: return TexturedFor<D3DFMT_DXT3>(linear, mode, xTarget);
        case D3DFMT_DXT5: return TexturedFor<D3DFMT_DXT5>(linear, mode, xTarget);
        default: return {};
    }
}

}  // namespace raster::fast
