// How an effect node draws one element: sampled at the effect time, placed
// by its own matrix, textured by the frame of its picture (or, for a model
// element, with the model's animation set to the effect time) and drawn as
// strips, or as a model record through the shell.
#include <cmath>
#include <cstring>
#include <limits>

#include "lumiva/PrimitiveRecords.h"
#include "effects/BindRotation.h"
#include "effects/ElementModelSeam.h"
#include "effects/K3DEffectNode.h"
#include "scene/KFrameTimer.h"
#include "shell/D3DDevice.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr float kNearlyOpaque = 0.99f;

// A host coordinate as a record's integer: truncated, held within 32 bits.
int32_t TruncatedCoordinate(float v) {
    if (!(v == v)) return 0;
    if (v <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    if (v >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    return int32_t(v);
}

}  // namespace

D3DXMATRIX K3DEffectNode::ElementMatrix(const K3DEffectElement& element, const D3DXVECTOR3& eye,
                                        const D3DXVECTOR3& origin, D3DXVECTOR3* sizes) {
    const int type = element.Type();
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    // A camera-facing quad takes its size from the sampled scale when it is
    // built; its matrix only places it.
    if (type != 5) ApplyElementScale(type, m_sampled.scale, &m);
    D3DXMATRIX step;
    if (type != 5) m *= *D3DXMatrixRotationY(&step, m_sampled.yaw);
    const D3DXVECTOR3 at = element.Pivot() + m_sampled.offset + m_sampled.position;
    m._41 = at.x, m._42 = at.y, m._43 = at.z;
    m *= *D3DXMatrixRotationY(&step, float(m_elapsed) * m_set->SpinSpeed() * 0.001f);
    m *= g_UseBindRotation ? g_BindRotation : EffectNodeOrientation(m_direction, eye - origin);
    const D3DXVECTOR3& setScale = m_set->Scale();
    *sizes = D3DXVECTOR3(m_scale.x * setScale.x, m_scale.y * setScale.y, m_scale.z * setScale.z);
    m *= *D3DXMatrixScaling(&step, sizes->x, sizes->y, sizes->z);
    float x = 0.0f, y = 0.0f, z = 0.0f;
    GetPosition(&x, &y, &z, 1, 1);
    m._41 += x, m._42 += y, m._43 += z;
    return m;
}

// Addressing changes only when the mapping mode asks for the other kind
// than the node set last.
void K3DEffectNode::SetAddressing(IDirect3DDevice9* device, int mappingMode) {
    DWORD address = 0;
    if ((mappingMode == 1 || mappingMode == 2 || mappingMode == 4) && m_addressMemo == 1) {
        address = D3DTADDRESS_WRAP;
        m_addressMemo = 0;
    } else if (mappingMode == 3 && m_addressMemo == 0) {
        address = D3DTADDRESS_MIRROR;
        m_addressMemo = 1;
    } else {
        return;
    }
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, address);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, address);
}

// An animation speed of exactly -1 stretches the picture's frames over the
// effect's duration; any other plays them at that speed from the frame
// offset.
void K3DEffectNode::SetTextureOrModelTime(IDirect3DDevice9* device, K3DEffectElement& element) {
    const float duration = float(m_set->Duration());
    const float animSpeed = element.record.animSpeed;
    if (KFrameTimer* timer = element.FrameTimer()) {
        int frame = 0;
        if (animSpeed == -1.0f) {
            frame = timer->GetScaledCount(FractionOf(float(m_elapsed), duration));
        } else {
            timer->SeekTime(int(m_elapsed), animSpeed);
            frame = timer->GetFrameAt(element.record.frameOffset);
        }
        device->SetTexture(0, ElementFrameTexture(element, frame, 1));
        return;
    }
    KModelProxy* model = element.Model();
    if (element.Type() == 6 && model) {
        element_model::SetAnimationMode(model, element.record.segments[0]);
        element_model::SetPaused(model, 0);
        const float position = animSpeed > 0.0f
                                   ? FractionOf(float(m_elapsed) * animSpeed, element_model::GetAnimationLength(model))
                                   : FractionOf(float(m_elapsed), duration);
        element_model::SetAnimationPosition(model, position);
        return;
    }
    device->SetTexture(0, nullptr);
}

// The model draws through the shell's model records, nearly opaque at most
// and blended as the set asks; the model blend flag is put back after.
void K3DEffectNode::DrawModel(K3DEffectElement& element) {
    KModelProxy* model = element.Model();
    KPrimModel record{};
    float at[3] = {0.0f, 0.0f, 0.0f};
    element_model::GetPosition(model, &at[0], &at[1], &at[2]);
    for (int i = 0; i < 3; ++i) {
        const int32_t coordinate = TruncatedCoordinate(at[i]);
        std::memcpy(record.unread + 4 * i, &coordinate, sizeof coordinate);
    }
    record.model = model;
    record.computeTransform = 0;
    element_model::SetColor(model, m_sampled.color);
    float alpha = float(double(m_sampled.color >> 24) / 255.0);
    if (alpha >= 1.0f) alpha = kNearlyOpaque;
    element_model::SetAlpha(model, alpha);
    const int kept = element_model::ModelBlendFlag();
    element_model::SetGlobalFlag(model, m_set->GetAdditiveBlend());
    if (KShellServices* shell = ShellServices()) shell->DrawPrimitives(1, &record, PRIM_MODELS, 0, 0, -1, -1.0f);
    element_model::PutModelBlendFlag(kept);
}

void K3DEffectNode::DrawElement(int index, const D3DXVECTOR3& eye, const D3DXVECTOR3& origin) {
    K3DEffectElement* element = m_set->GetElement(index);
    if (!element) return;
    IDirect3DDevice9* device = g_D3DDevice.device;
    const int type = element->Type();
    KModelProxy* model = type == 6 ? element->Model() : nullptr;
    m_sampled = SampleElement(*m_set, m_set->GetElementTracks(index), int(m_elapsed));

    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, m_set->GetAdditiveBlend() ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    SetTextureFactorStage(device, ElementTextureFactor(m_sampled.color, element->record.brightness));

    D3DXVECTOR3 sizes;
    const D3DXMATRIX m = ElementMatrix(*element, eye, origin, &sizes);
    KEffectGeometry geometry;
    if (model)
        element_model::SetModelMatrix(model, m);
    else if (type != 6)
        geometry = m_set->BuildElementGeometry(element, m, m_sampled.offset, m_sampled.scale, m_sampled.color,
                                               sizes.x, sizes.y);

    const bool ownWorld = type != 5 && type != 6;
    D3DXMATRIX savedWorld;
    if (ownWorld) {
        device->GetTransform(D3DTS_WORLD, &savedWorld);
        device->SetTransform(D3DTS_WORLD, &m);
    }
    // Over everything: depth tested, always passing.
    const bool overAll = m_set->GetExtraValue() != 0;
    static constexpr KFxStateRef kDepthStates[] = {{KFxStateKind::Render, D3DRS_ZENABLE},
                                                   {KFxStateKind::Render, D3DRS_ZWRITEENABLE},
                                                   {KFxStateKind::Render, D3DRS_ZFUNC}};
    const KFxSavedStates depth(device, kDepthStates, overAll ? 3 : 0);
    if (overAll) {
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    }
    if (type != 6) SetAddressing(device, element->record.mappingMode);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    SetTextureOrModelTime(device, *element);
    if (type != 6) device->SetFVF(kEffectVertexFvf);

    if (model)
        DrawModel(*element);
    else if (m_sampled.visible != 0)
        DrawElementStrips(device, *element, geometry);

    if (ownWorld) device->SetTransform(D3DTS_WORLD, &savedWorld);
    depth.Restore();
}
