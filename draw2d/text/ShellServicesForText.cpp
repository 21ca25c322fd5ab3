// The shell's text services without a shell, and the screen line both use.
#include "draw2d/text/ShellServicesForText.h"

void TextShellStandIn::ProjectScenePoint(float x, float y, float z, float* screenX, float* screenY,
                                         float* screenZ, bool withWorldOffset) {
    if (withWorldOffset && m_worldOffsetOn) {
        x += m_worldOffset[0];
        y += m_worldOffset[1];
        z += m_worldOffset[2];
    }
    float sx = x, sy = y, sz = z;
    if (m_projection) m_projection(x, y, z, &sx, &sy, &sz);
    if (screenX) *screenX = sx;
    if (screenY) *screenY = sy;
    if (screenZ) *screenZ = sz;
}

void TextShellStandIn::WorldOffsetCorrection(int32_t* x, int32_t* y) {
    if (!m_worldOffsetOn) return;
    if (x) *x += int32_t(m_worldOffset[0]);
    if (y) *y += int32_t(m_worldOffset[1]);
}

void TextShellStandIn::SetWorldOffset(bool on, float x, float y, float z) {
    m_worldOffsetOn = on;
    m_worldOffset[0] = x;
    m_worldOffset[1] = y;
    m_worldOffset[2] = z;
}

uint32_t TextShellStandIn::GetSparkColor(int sparkId) {
    auto found = m_sparks.find(sparkId);
    return found == m_sparks.end() ? 0xFFFFFFFFu : found->second;
}

void TextShellStandIn::DrawScreenLine(float x0, float y0, float x1, float y1, uint32_t colour) {
    DrawScreenLineOn(m_device, x0, y0, x1, y1, colour);
}

void DrawScreenLineOn(IDirect3DDevice9* device, float x0, float y0, float x1, float y1, uint32_t colour) {
    if (!device) return;
    struct LineVertex {
        float x, y, z, rhw;
        D3DCOLOR colour;
    };
    const LineVertex line[2] = {{x0, y0, 0.0f, 1.0f, colour}, {x1, y1, 0.0f, 1.0f, colour}};
    device->SetTexture(0, nullptr);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(LineVertex));
}
