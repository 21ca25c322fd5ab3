// The 2D textured spans of the A4R4G4B4 and R5G6B5 texture formats.
#include "d3d9/raster/TexturedSpans.h"

namespace raster::fast {

TexturedKernel TexturedSpanFor16(D3DFORMAT format, bool linear, int mode, bool xTarget) {
    switch (format) {
        case D3DFMT_A4R4G4B4: return TexturedFor<D3DFMT_A4R4G4B4>(linear, mode, xTarget);
        case D3DFMT_R5G6B5: return TexturedFor<D3DFMT_R5G6B5>(linear, mode, xTarget);
        default: return {};
    }
}

}  // namespace raster::fast
