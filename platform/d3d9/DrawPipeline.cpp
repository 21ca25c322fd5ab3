#include "d3d9/DrawPipeline.h"

namespace lumiva::d3d9 {

// The rasterizer fills this in.
void RasterizeDraw(const DeviceState& /*state*/, const DrawCall& /*call*/, const DrawTargets& /*targets*/) {}

}  // namespace lumiva::d3d9
