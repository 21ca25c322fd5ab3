#include "d3d9/raster/TextureSampler.h"

#include <algorithm>

namespace raster {

double LevelOfDetail(const TexelDerivatives& d) {
    const double x = d.dudx * d.dudx + d.dvdx * d.dvdx;
    const double y = d.dudy * d.dudy + d.dvdy * d.dvdy;
    const double rho2 = std::max(x, y);
    if (!(rho2 > 0.0)) return -100.0;
    return 0.5 * std::log2(rho2);
}

double SamplerLod(const SamplerSetup& s, const TexelDerivatives& derivatives) {
    const SurfaceView& top = s.texture->levels[0];
    const double w = double(top.width), h = double(top.height);
    const TexelDerivatives texels{derivatives.dudx * w, derivatives.dvdx * h, derivatives.dudy * w,
                                  derivatives.dvdy * h};
    return LevelOfDetail(texels) + s.lodBias;
}

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
