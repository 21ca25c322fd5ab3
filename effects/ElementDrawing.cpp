#include "effects/ElementDrawing.h"

#include <algorithm>

#include "scene/KFrameTimer.h"
#include "textures/ImageCache.h"
#include "textures/KSprImage.h"

KSampledElement SampleElement(K3DEffectSet& set, const K3DEffectKeyTracks* tracks, int time) {
    static const K3DEffectKeyTracks kEmpty;
    if (!tracks) tracks = &kEmpty;
    KSampledElement s;
    set.SamplePosition(&s.position, time, tracks);
    set.SampleRotation(&s.yaw, time, tracks);
    set.SampleColor(&s.color, time, tracks);
    set.SampleScale(&s.scale, time, tracks);
    set.SampleVisible(&s.visible, time, tracks);
    set.SampleOffset(&s.offset, time, tracks);
    return s;
}

DWORD ElementTextureFactor(DWORD color, int brightness) {
    const int b = int(int8_t(brightness));
    if ((color & 0x00FFFFFF) == 0x00FFFFFF) {
        const DWORD grey = DWORD(b + 127) & 0xFF;
        return 0xFF000000 | grey << 16 | grey << 8 | grey;
    }
    const auto channel = [&](int shift) { return DWORD(std::clamp(int((color >> shift) & 0xFF) / 2 + 2 * b, 0, 255)); };
    return 0xFF000000 | channel(16) << 16 | channel(8) << 8 | channel(0);
}

void SetTextureFactorStage(IDirect3DDevice9* device, DWORD factor) {
    device->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void ApplyElementScale(int type, const D3DXVECTOR3& s, D3DXMATRIX* m) {
    switch (type) {
        case 1: m->_11 = s.x, m->_33 = s.y; break;
        case 2:
        case 5: m->_11 = s.x, m->_22 = s.y; break;
        case 3: m->_11 = s.x, m->_22 = s.y, m->_33 = s.x; break;
        case 6: m->_11 = s.x, m->_22 = s.y, m->_33 = s.z; break;
        default: break;
    }
}

float FractionOf(float numerator, float denominator) { return denominator == 0.0f ? 0.0f : numerator / denominator; }

IDirect3DTexture9* ElementFrameTexture(K3DEffectElement& element, int frame, int loadArgument) {
    KFrameTimer* timer = element.FrameTimer();
    if (!timer || !g_pImageCache) return nullptr;
    // The timer's hint is the cache's 16-bit hint, kept unsigned.
    auto* hint = reinterpret_cast<int16_t*>(&timer->indexHint);
    KImageTexture* picture = g_pImageCache->GetImage(element.record.fileName, &timer->pictureId, hint, frame,
                                                     kImageSprite, loadArgument, 1, 0, 0);
    auto* sprite = dynamic_cast<KSprImage*>(picture);
    return sprite ? sprite->GetTileTexture(frame, 0) : nullptr;
}

int DrawElementStrips(IDirect3DDevice9* device, const K3DEffectElement& element, const KEffectGeometry& geometry) {
    if (!geometry.count) return 0;
    const K3DEffectVertex* v = geometry.vertices.get();
    constexpr UINT kStride = sizeof(K3DEffectVertex);
    const int n = element.record.segments[0];
    switch (element.record.type) {
        case 1:
        case 2:
        case 5: device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, kStride); return 1;
        case 4: device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(2 * n), v, kStride); return 1;
        case 3: {
            const int perStrip = 2 * n + 1;
            const int strips = geometry.count / perStrip;
            for (int j = 0; j < strips; ++j)
                device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(2 * n - 1), v + j * perStrip, kStride);
            return strips;
        }
        default: return 0;
    }
}

namespace {

DWORD ReadState(IDirect3DDevice9* device, const KFxStateRef& ref) {
    DWORD value = 0;
    switch (ref.kind) {
        case KFxStateKind::Render: device->GetRenderState(D3DRENDERSTATETYPE(ref.type), &value); break;
        case KFxStateKind::Stage0: device->GetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(ref.type), &value); break;
        case KFxStateKind::Sampler0: device->GetSamplerState(0, D3DSAMPLERSTATETYPE(ref.type), &value); break;
    }
    return value;
}

void WriteState(IDirect3DDevice9* device, const KFxStateRef& ref, DWORD value) {
    switch (ref.kind) {
        case KFxStateKind::Render: device->SetRenderState(D3DRENDERSTATETYPE(ref.type), value); break;
        case KFxStateKind::Stage0: device->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(ref.type), value); break;
        case KFxStateKind::Sampler0: device->SetSamplerState(0, D3DSAMPLERSTATETYPE(ref.type), value); break;
    }
}

}  // namespace

KFxSavedStates::KFxSavedStates(IDirect3DDevice9* device, const KFxStateRef* refs, int count)
    : m_device(device), m_refs(refs), m_count(std::min(count, kMaxStates)) {
    for (int i = 0; i < m_count; ++i) m_values[i] = ReadState(device, refs[i]);
}

void KFxSavedStates::Restore() const {
    for (int i = 0; i < m_count; ++i) WriteState(m_device, m_refs[i], m_values[i]);
}
