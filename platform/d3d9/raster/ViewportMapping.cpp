#include "d3d9/raster/ViewportMapping.h"

#include <algorithm>

namespace raster {

ScreenVertex MapToScreen(const ScreenMapping& mapping, const ClipVertex& v) {
    ScreenVertex s;
    if (v.hasScreen) {
        s.x = v.screen[0];
        s.y = v.screen[1];
        s.z = v.screen[2];
        s.rhw = v.screen[3];
    } else {
        const double rhw = 1.0 / v.pos[3];
        s.rhw = rhw;
        if (mapping.pretransformed) {
            s.x = v.pos[0] * rhw;
            s.y = v.pos[1] * rhw;
            s.z = v.pos[2] * rhw;
        } else {
            const Viewport& vp = mapping.viewport;
            s.x = double(vp.x) + (v.pos[0] * rhw + 1.0) * double(vp.width) * 0.5;
            s.y = double(vp.y) + (1.0 - v.pos[1] * rhw) * double(vp.height) * 0.5;
            s.z = double(vp.minZ) + v.pos[2] * rhw * double(vp.maxZ - vp.minZ);
        }
    }
    std::copy(v.attr, v.attr + kAttributeCount, s.attr);
    return s;
}

void FinishVertex(const ClipPlanes& planes, const ScreenMapping& mapping, PostVertex& v) {
    v.outside = OutsideMask(planes, v.clip);
    if (v.outside == 0) v.screen = MapToScreen(mapping, v.clip);
}

}  // namespace raster
