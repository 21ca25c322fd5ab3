// The 2D textured spans of the A8R8G8B8 and X8R8G8B8 texture formats.
#include "d3d9/raster/TexturedSpans.h"

namespace raster::fast {

TexturedKernel TexturedSpanFor32(D3DFORMAT format, bool linear, int mode, bool xTarget) {
    switch (format) {
        case D3DFMT_A8R8G8B8: return TexturedFor<D3DFMT_A8R8G8B8>(linear, mode, xTarget);
        case D3DFMT_X8R8G8B8: return TexturedFor<D3DFMT_X8R8G8B8>(linear, mode, xTarget);
        default: return {};
    }
}

}  // namespace raster::fast
