// How an effect instance draws: every element textured (bit 0 of the
// flags) and as a wireframe in its wire colour (bit 1), with the device's
// blend, stage-0, depth and filter states put back after.
#include <cstdlib>
#include <iterator>

#include "effects/ElementModelSeam.h"
#include "effects/K3DEffectInstance.h"
#include "scene/KFrameTimer.h"
#include "shell/D3DDevice.h"

namespace {

constexpr DWORD kWireFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;  // 0x42; the vertices keep their stride
static_assert(kWireFvf == 0x42);

constexpr KFxStateRef kRenderStates[] = {
    {KFxStateKind::Render, D3DRS_SRCBLEND},         {KFxStateKind::Render, D3DRS_DESTBLEND},
    {KFxStateKind::Render, D3DRS_ALPHABLENDENABLE}, {KFxStateKind::Render, D3DRS_ZENABLE},
    {KFxStateKind::Render, D3DRS_ZWRITEENABLE},     {KFxStateKind::Stage0, D3DTSS_COLORARG1},
    {KFxStateKind::Stage0, D3DTSS_COLORARG2},       {KFxStateKind::Stage0, D3DTSS_COLOROP},
    {KFxStateKind::Stage0, D3DTSS_ALPHAARG1},       {KFxStateKind::Stage0, D3DTSS_ALPHAARG2},
    {KFxStateKind::Stage0, D3DTSS_ALPHAOP},         {KFxStateKind::Sampler0, D3DSAMP_MAGFILTER},
    {KFxStateKind::Sampler0, D3DSAMP_MINFILTER},
};

void SetRenderStates(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
}

void SetAddressing(IDirect3DDevice9* device, int mappingMode) {
    DWORD address = 0;
    if (mappingMode == 1 || mappingMode == 2 || mappingMode == 4)
        address = D3DTADDRESS_WRAP;
    else if (mappingMode == 3)
        address = D3DTADDRESS_MIRROR;
    else
        return;
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, address);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, address);
}

// A wireframe shows its vertices' colour; the texture factor of the
// textured pass would hide it.
void SetWireStage(IDirect3DDevice9* device) {
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
}

DWORD RandomOpaqueColor() {
    const DWORD red = DWORD(rand() % 255);
    const DWORD green = DWORD(rand() % 255);
    const DWORD blue = DWORD(rand() % 255);
    return 0xFF000000 | red << 16 | green << 8 | blue;
}

}  // namespace

void K3DEffectInstance::Render(int time, DWORD flags) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!m_set || !device) return;
    const KFxSavedStates saved(device, kRenderStates, int(std::size(kRenderStates)));
    SetRenderStates(device);
    for (int i = 0; i < m_set->ElementCount(); ++i) DrawElement(i, time, flags);
    saved.Restore();
}

DWORD K3DEffectInstance::WireColorOf(const K3DEffectElement& element, const KSampledElement& sampled) const {
    if (element.selected) return m_selectedWireColor;
    if ((sampled.color >> 24) == 0 || sampled.visible == 0) return m_hiddenWireColor;
    return m_wireColor;
}

// A picture element's frame follows the time at its animation speed from
// its frame offset, or spreads over the set's duration without a speed.
void K3DEffectInstance::SetTextureOrModelTime(IDirect3DDevice9* device, K3DEffectElement& element, int time) {
    const float duration = float(m_set->Duration());
    const float animSpeed = element.record.animSpeed;
    if (KFrameTimer* timer = element.FrameTimer()) {
        int frame = 0;
        if (animSpeed > 0.0f) {
            timer->SeekTime(time, animSpeed);
            frame = timer->GetFrameAt(element.record.frameOffset);
        } else {
            frame = timer->GetScaledCount(FractionOf(float(time), duration));
        }
        device->SetTexture(0, ElementFrameTexture(element, frame, 0));
        return;
    }
    KModelProxy* model = element.Type() == 6 ? element.Model() : nullptr;
    if (model) {
        element_model::SetAnimationMode(model, element.record.segments[0]);
        element_model::SetPaused(model, 0);
        const float position = animSpeed > 0.0f
                                   ? FractionOf(float(time) * animSpeed, element_model::GetAnimationLength(model))
                                   : FractionOf(float(time), duration);
        element_model::SetAnimationPosition(model, position);
        return;
    }
    device->SetTexture(0, nullptr);
}

void K3DEffectInstance::DrawStripsPasses(IDirect3DDevice9* device, const K3DEffectElement& element, Placed& placed,
                                         DWORD flags) {
    if ((flags & kEffectRenderTextured) && placed.sampled.visible != 0) {
        device->SetFVF(kEffectVertexFvf);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        DrawElementStrips(device, element, placed.geometry);
    }
    if (!(flags & kEffectRenderWireframe) || !placed.geometry.count) return;
    const DWORD wire = WireColorOf(element, placed.sampled);
    for (int i = 0; i < placed.geometry.count; ++i) placed.geometry.vertices[size_t(i)].color = wire;
    DWORD destBlend = 0;
    device->GetRenderState(D3DRS_DESTBLEND, &destBlend);
    device->SetFVF(kWireFvf);
    SetWireStage(device);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawElementStrips(device, element, placed.geometry);
    device->SetRenderState(D3DRS_DESTBLEND, destBlend);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
}

// The model's outline shows in the wireframe pass, in random colours while
// the element is selected; the model itself draws whatever the flags and
// its Visible track say.
void K3DEffectInstance::DrawModelPasses(IDirect3DDevice9* device, const K3DEffectElement& element, Placed& placed,
                                        DWORD flags) {
    KModelProxy* model = element.Model();
    if ((flags & kEffectRenderWireframe) && placed.geometry.count) {
        device->SetFVF(kEffectVertexFvf);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        SetWireStage(device);
        if (element.selected)
            for (int i = 0; i < placed.geometry.count; ++i)
                placed.geometry.vertices[size_t(i)].color = RandomOpaqueColor();
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 8, placed.geometry.vertices.get(), sizeof(K3DEffectVertex));
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    }
    const DWORD color = placed.sampled.color;
    element_model::SetColor(model, color);
    element_model::SetAlpha(model, float(double(color >> 24) / 255.0));
    element_model::SetGlobalFlag(model, m_set->GetAdditiveBlend());
    element_model::UpdateSceneNode(model, 0);
}

void K3DEffectInstance::DrawElement(int index, int time, DWORD flags) {
    K3DEffectElement* element = m_set->GetElement(index);
    if (!element) return;
    const int type = element->Type();
    IDirect3DDevice9* device = g_D3DDevice.device;
    Placed placed = UpdateElementState(index, time, false);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, m_set->GetAdditiveBlend() ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    SetTextureFactorStage(device, ElementTextureFactor(placed.sampled.color, element->record.brightness));
    if (type != 5) device->SetTransform(D3DTS_WORLD, &placed.m);
    if (type != 6) SetAddressing(device, element->record.mappingMode);
    SetTextureOrModelTime(device, *element, time);
    if (type == 6) {
        if (element->Model()) DrawModelPasses(device, *element, placed, flags);
    } else {
        DrawStripsPasses(device, *element, placed, flags);
    }
    if (type != 5) device->SetTransform(D3DTS_WORLD, &placed.savedWorld);
}
