// DDS files through the D3DX load-from-memory calls.
#include "support/D3dxImages.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(d3dx_dds) {
    Bytes dxt5 = SeedDds(D3DFMT_DXT5, 16, 8, 3);
    return {
        {"a8r8g8b8-mips", SeedDds(D3DFMT_A8R8G8B8, 8, 4, 4)},
        {"r5g6b5", SeedDds(D3DFMT_R5G6B5, 5, 3, 1)},
        {"a4r4g4b4", SeedDds(D3DFMT_A4R4G4B4, 4, 4, 1)},
        {"dxt1", SeedDds(D3DFMT_DXT1, 8, 8, 1)},
        {"dxt3-odd", SeedDds(D3DFMT_DXT3, 6, 5, 2)},
        {"dxt5-mips", dxt5},
        {"dxt5-cut", Truncated(dxt5, dxt5.size() - 9)},
    };
}

LUMIVA_FUZZ_TARGET(d3dx_dds, data, size) { LoadD3dxImage(data, size); }
