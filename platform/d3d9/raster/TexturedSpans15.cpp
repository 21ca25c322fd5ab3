// The 2D textured spans of the X1R5G5B5 and A1R5G5B5 texture formats.
#include "d3d9/raster/TexturedSpans.h"

namespace raster::fast {

TexturedKernel TexturedSpanFor15(D3DFORMAT format, bool linear, int mode, bool xTarget) {
    switch (format) {
        case D3DFMT_X1R5G5B5: return TexturedFor<D3DFMT_X1R5G5B5>(linear, mode, xTarget);
        case D3DFMT_A1R5G5B5: return TexturedFor<D3DFMT_A1R5G5B5>(linear, mode, xTarget);
        default: return {};
    }
}

}  // namespace raster::fast
