// The instance's life, its plain slots, how it places an element and how it
// snaps key times.
#include "effects/K3DEffectInstance.h"

#include <cstdint>

#include "effects/ElementModelSeam.h"
#include "effects/K3DEffectSetCache.h"
#include "shell/D3DDevice.h"

K3DEffectInstance::K3DEffectInstance(K3DEffectSet* set) : m_set(set) {
    if (m_set) m_set->AddUser();
}

K3DEffectInstance::~K3DEffectInstance() {
    if (!m_set) return;
    m_set->RemoveUser();
    ReleaseEffectSet(m_set);
}

K3DEffectSet* K3DEffectInstance::GetEffectSet() { return m_set; }
I3DEffectEvaluator* K3DEffectInstance::GetEvaluator() { return m_set; }
void K3DEffectInstance::SetWireColor(DWORD argb) { m_wireColor = argb; }
void K3DEffectInstance::SetSelectedWireColor(DWORD argb) { m_selectedWireColor = argb; }
void K3DEffectInstance::SetHiddenWireColor(DWORD argb) { m_hiddenWireColor = argb; }
void K3DEffectInstance::EmptySlot8() {}
void K3DEffectInstance::EmptySlot9() {}

D3DXMATRIX K3DEffectInstance::ElementMatrix(const K3DEffectElement& element, const KSampledElement& sampled, int time,
                                            bool scaleModel, D3DXMATRIX* savedWorld) const {
    const int type = element.Type();
    D3DXMATRIX m, step;
    D3DXMatrixIdentity(&m);
    if (type != 6 || scaleModel) ApplyElementScale(type, sampled.scale, &m);
    if (type != 5) m *= *D3DXMatrixRotationY(&step, sampled.yaw);
    const D3DXVECTOR3 at = element.Pivot() + sampled.offset + sampled.position;
    m._41 = at.x, m._42 = at.y, m._43 = at.z;
    m *= *D3DXMatrixRotationY(&step, float(time) * m_set->SpinSpeed() * 0.001f);
    D3DXMatrixIdentity(savedWorld);
    if (IDirect3DDevice9* device = g_D3DDevice.device) device->GetTransform(D3DTS_WORLD, savedWorld);
    if (type != 5) m *= *savedWorld;
    return m;
}

K3DEffectInstance::Placed K3DEffectInstance::UpdateElementState(int index, int time, bool moveModel) {
    Placed placed;
    K3DEffectElement* element = m_set->GetElement(index);
    if (!element) {
        D3DXMatrixIdentity(&placed.m);
        D3DXMatrixIdentity(&placed.savedWorld);
        return placed;
    }
    placed.sampled = SampleElement(*m_set, m_set->GetElementTracks(index), time);
    const KSampledElement& s = placed.sampled;
    placed.m = ElementMatrix(*element, s, time, true, &placed.savedWorld);
    KModelProxy* model = element->Type() == 6 ? element->Model() : nullptr;
    if (model) {
        element_model::SetScale(model, s.scale.x, s.scale.y, s.scale.z);
        if (moveModel) {
            const D3DXVECTOR3 at = element->Pivot() + s.offset + s.position;
            element_model::SetPosition(model, at.x, at.y, at.z, 0);
            element_model::SetHeading(model, float(time) * m_set->SpinSpeed() * 0.001f + s.yaw, 0, 0, 0, 1);
        }
    }
    placed.geometry = m_set->BuildElementGeometry(element, placed.m, s.offset, s.scale, s.color, 1.0f, 1.0f);
    if (model) element_model::SetModelMatrix(model, placed.m);
    return placed;
}

D3DXMATRIX K3DEffectInstance::GetElementMatrix(int time, DWORD id) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (!m_set) return m;
    const int index = m_set->FindElementIndex(id);
    const K3DEffectElement* element = m_set->GetElement(index);
    const K3DEffectKeyTracks* tracks = m_set->GetElementTracks(index);
    if (!element || !tracks) return m;
    D3DXMATRIX savedWorld;
    return ElementMatrix(*element, SampleElement(*m_set, tracks, time), time, false, &savedWorld);
}

namespace {

// The multiple of step nearest to t, a half step rounding up; a multiple
// past the largest time rounds down instead.
int32_t Quantized(int32_t t, int32_t step) {
    const int64_t q = t / step;
    const int64_t r = t - q * step;
    const int64_t up = (q + 1) * step;
    if (r >= step / 2 && up <= INT32_MAX) return int32_t(up);
    return int32_t(q * step);
}

}  // namespace

void K3DEffectInstance::QuantizeKeyTimes(int step) {
    if (!m_set || step < 1) return;
    for (int i = 0; i < m_set->TracksCount(); ++i) {
        K3DEffectKeyTracks* tracks = m_set->GetElementTracks(i);
        if (!tracks) continue;
        tracks->ForEachTrack([&](auto& track) {
            for (int32_t& t : track.times)
                if (t >= 0) t = Quantized(t, step);
        });
    }
}
