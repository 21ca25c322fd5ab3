#include "RegionObjectWriter.h"

#include "ByteWriter.h"

std::vector<uint8_t> WriteRegionObject(const RegionObjectFields& f) {
    ByteWriter out;
    out.U32(f.flags);
    for (const int32_t* point : {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft}) {
        for (int i = 0; i < 3; ++i) out.I32(point[i]);
    }
    out.I16(f.width);
    out.I16(f.height);
    out.Text(f.name, 128);
    out.U32(f.animationStart);
    out.U16(f.frame);
    out.U16(f.frameCount);
    out.U16(f.frameInterval);
    out.U16(f.fade);
    out.I32(f.x);
    out.I32(f.y);
    out.I32(f.depth);
    out.I32(f.endX);
    out.I32(f.endY);
    out.Zeros(4);
    out.F32(f.keyA);
    out.F32(f.keyB);
    return out.Take();
}
