#include "effects/KChannelMagic.h"

#include <d3dx9math.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "basrel/HostIntegers.h"
#include "lumiva/basrel/KIniFile.h"
#include "shell/D3DDevice.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"
#include "textures/TextureManager.h"

DWORD g_ChannelMagicClock = 0;

namespace {

constexpr const char* kChannelMagicSection = "ChannelMagic";
constexpr DWORD kBeamColour = 0xFFFFFFFF;

void GiveBack(KTextureRecord*& texture) {
    if (texture && g_pTextureManager) g_pTextureManager->ReleaseTexture(texture);
    texture = nullptr;
}

}  // namespace

KChannelMagic::~KChannelMagic() { GiveBack(texture); }

void KChannelMagic::Load(const char* path) {
    if (!path) return;
    KIniFile ini;
    if (!ini.Load(path)) return;
    ini.GetInteger(kChannelMagicSection, "Segment", 10, &segment);
    segment = std::clamp(segment, kChannelMinSegments, kChannelMaxSegments);
    ini.GetInteger(kChannelMagicSection, "RefreshTime", 100, &refreshTime);
    ini.GetFloat(kChannelMagicSection, "Width", 50.0f, &width);
    ini.GetFloat(kChannelMagicSection, "Shake", 50.0f, &shake);
    // A shake that is no number or infinite lays the beam flat.
    if (!std::isfinite(shake)) shake = 0.0f;
    char texturePath[MAX_PATH] = {};
    ini.GetString(kChannelMagicSection, "TexturePath", "", texturePath, sizeof texturePath);
    // A reload takes a new texture, so the one held goes back first.
    GiveBack(texture);
    if (texturePath[0] && g_pTextureManager) texture = g_pTextureManager->LoadTexture(texturePath, nullptr, 0, 1, 0);
}

void KChannelMagic::SetEndPoints(float x0, float y0, float z0, float x1, float y1, float z1) {
    start[0] = x0, start[1] = y0, start[2] = z0;
    end[0] = x1, end[1] = y1, end[2] = z1;
}

// Below one unit the remainder would be taken by 0: such a beam lies flat.
float KChannelMagic::Jitter() const {
    const int range = host_int::Truncate(shake);
    if (shake < 1.0f || range < 1) return 0.0f;
    return float(double(float(rand() % range)) - double(shake) / 2.0);
}

void KChannelMagic::Rebuild() {
    const D3DXVECTOR3 from(start[0], start[1], start[2]), to(end[0], end[1], end[2]);
    const D3DXVECTOR3 span = to - from, up(0.0f, 0.0f, 1.0f);
    D3DXVECTOR3 across, side;
    D3DXVec3Cross(&across, &span, &up);
    D3DXVec3Normalize(&side, &across);

    const int steps = std::clamp(segment, kChannelMinSegments, kChannelMaxSegments);
    const double step = 1.0 / double(steps);
    m_strip.clear();
    // t sums in single precision: some counts end with one pair more.
    for (float t = 0.0f; t < 1.0f; t = float(double(t) + step)) {
        const D3DXVECTOR3 p = from + span * t;
        const float jitterA = Jitter();
        const float jitterB = Jitter();
        m_strip.push_back({p.x + side.x * width, p.y + side.y * width, p.z + jitterA, kBeamColour, t, 0.0f});
        m_strip.push_back({p.x - side.x * width, p.y - side.y * width, p.z + jitterB, kBeamColour, t, 1.0f});
    }
}

void KChannelMagic::Render() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device || !ShellServices()) return;
    ShellServices()->SaveRenderStates2();
    D3DXMATRIX savedWorld, identity;
    device->GetTransform(D3DTS_WORLD, &savedWorld);
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);

    const DWORD now = timeGetTime();
    if (now - g_ChannelMagicClock < DWORD(refreshTime)) {
        device->SetTransform(D3DTS_WORLD, &savedWorld);
        ShellServices()->RestoreRenderStates2();
        return;
    }
    g_ChannelMagicClock = now;
    Rebuild();

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetFVF(kSceneVertexFvf);
    if (texture && g_pTextureManager)
        g_pTextureManager->SetTexture(0, texture, 0);
    else
        device->SetTexture(0, nullptr);
    // A strip of one pair has no triangle: nothing to ask the device for.
    if (m_strip.size() >= 3)
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(m_strip.size() - 2), m_strip.data(), sizeof(KSceneVertex));

    device->SetTransform(D3DTS_WORLD, &savedWorld);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    ShellServices()->RestoreRenderStates2();
}
