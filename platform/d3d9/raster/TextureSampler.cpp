#include "d3d9/raster/TextureSampler.h"

#include <algorithm>

namespace raster {

namespace {

uint32_t FilterLevel(const SamplerSetup& s, int level, uint32_t filter, double u, double v) {
    const SurfaceView& surface = s.texture->levels[level];
    if (filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC) return SampleLinear(surface, s.fetch, u, v, s);
    return SamplePoint(surface, s.fetch, u, v, s);
}

}  // namespace

uint32_t SampleTexture(const SamplerSetup& s, double u, double v, const TexelDerivatives& derivatives) {
    if (!s.needsLod) {
        const int base = std::min(s.baseLevel, int(s.texture->levelCount) - 1);
        return FilterLevel(s, base, s.magFilter, u, v);
    }
    const MipPick pick = PickMip(s, SamplerLod(s, derivatives));
    const uint32_t near = FilterLevel(s, pick.level, pick.filter, u, v);
    if (pick.weight == 0) return near;
    const uint32_t far = FilterLevel(s, pick.level + 1, pick.filter, u, v);
    return BilinearMix(near, far, near, far, pick.weight, 0);
}

}  // namespace raster
