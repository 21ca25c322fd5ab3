#include "d3d9/raster/TexcoordGeneration.h"

#include <cmath>

namespace raster {

namespace {

void Generate(const StageCoordinates& st, const CameraVertex& camera, double out[4]) {
    out[3] = 1.0;
    switch (st.generate) {
        case D3DTSS_TCI_CAMERASPACENORMAL:
            for (int c = 0; c < 3; ++c) out[c] = camera.normal[c];
            break;
        case D3DTSS_TCI_CAMERASPACEPOSITION:
            for (int c = 0; c < 3; ++c) out[c] = camera.position[c];
            break;
        default: {  // the eye's ray reflected about the normal
            double e[3] = {0.0, 0.0, 1.0};
            if (camera.localViewer) {
                for (int c = 0; c < 3; ++c) e[c] = camera.position[c];
                const double length = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
                if (length > 0)
                    for (double& c : e) c /= length;
            }
            const double* n = camera.normal;
            const double d = e[0] * n[0] + e[1] * n[1] + e[2] * n[2];
            for (int c = 0; c < 3; ++c) out[c] = e[c] - 2.0 * d * n[c];
            break;
        }
    }
}

}  // namespace

void StageTexcoord(const StageCoordinates& st, const VertexLayout& layout, const float (&sets)[kMaxStages][4],
                   const CameraVertex& camera, float out[2]) {
    double coords[4];
    if (st.generate) {
        Generate(st, camera, coords);
    } else {
        const float* in = sets[st.sourceSet];
        const AttributeSlot& slot = layout.texcoord[st.sourceSet];
        const int dims = slot.present && slot.type <= D3DDECLTYPE_FLOAT4 ? slot.type - D3DDECLTYPE_FLOAT1 + 1 : 2;
        // Missing components: the first one after the given ones is 1.
        coords[0] = in[0];
        coords[1] = dims > 1 ? in[1] : 1.0;
        coords[2] = dims > 2 ? in[2] : (dims == 2 ? 1.0 : 0.0);
        coords[3] = dims > 3 ? in[3] : 0.0;
    }
    const uint32_t count = st.transformFlags & 0xFF;
    if (count != D3DTTFF_DISABLE) {
        double t[4];
        TransformRow(coords, st.transform, t);
        if ((st.transformFlags & D3DTTFF_PROJECTED) && count >= 2) {
            const double q = t[count - 1];
            if (q != 0.0) {
                t[0] /= q;
                t[1] /= q;
            }
        }
        coords[0] = t[0];
        coords[1] = t[1];
    }
    out[0] = float(coords[0]);
    out[1] = float(coords[1]);
}

}  // namespace raster
