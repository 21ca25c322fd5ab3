// The effect node's life, its handle operations, its clock and its Update.
#include "effects/K3DEffectNode.h"

#include <mmsystem.h>

#include <cmath>
#include <iterator>

#include "effects/K3DEffectSetCache.h"
#include "shell/D3DDevice.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

// Stored as the effect time once the clock has run past any duration.
constexpr DWORD kPastEnd = 0xFFFFFFFF;
constexpr float kTwoTo32 = 4294967296.0f;

// What Update saves before drawing and puts back after.
constexpr KFxStateRef kUpdateStates[] = {
    {KFxStateKind::Render, D3DRS_SRCBLEND},         {KFxStateKind::Render, D3DRS_DESTBLEND},
    {KFxStateKind::Render, D3DRS_ALPHABLENDENABLE}, {KFxStateKind::Render, D3DRS_TEXTUREFACTOR},
    {KFxStateKind::Stage0, D3DTSS_COLORARG1},       {KFxStateKind::Stage0, D3DTSS_COLORARG2},
    {KFxStateKind::Stage0, D3DTSS_COLOROP},         {KFxStateKind::Stage0, D3DTSS_ALPHAARG1},
    {KFxStateKind::Stage0, D3DTSS_ALPHAARG2},       {KFxStateKind::Stage0, D3DTSS_ALPHAOP},
    {KFxStateKind::Render, D3DRS_ZENABLE},          {KFxStateKind::Render, D3DRS_ZWRITEENABLE},
    {KFxStateKind::Sampler0, D3DSAMP_MAGFILTER},    {KFxStateKind::Sampler0, D3DSAMP_MINFILTER},
};
static_assert(std::size(kUpdateStates) == 14);

void SetUpdateStates(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
}

}  // namespace

volatile LONG g_LiveEffectNodes = 0;

void ResetLiveEffectNodesForTests() { g_LiveEffectNodes = 0; }

K3DEffectNode::K3DEffectNode(K3DEffectSet* set) : KModelNodeBase(0, 0, 0, 0, 0, 0), m_set(set) {
    if (m_set) m_set->AddUser();
}

K3DEffectNode::~K3DEffectNode() {
    if (!m_set) return;
    m_set->RemoveUser();
    ReleaseEffectSet(m_set);
    m_set = nullptr;
}

int K3DEffectNode::SetStartOffset(int ms) {
    const int duration = m_set ? m_set->Duration() : 0;
    if (ms > duration) return 0;
    m_startTime = timeGetTime() - DWORD(ms);
    return 1;
}

void K3DEffectNode::SetPosition(float x, float y, float z, DWORD duration) {
    KModelNodeBase::SetPosition(x, y, z, duration);
}

// A direction that does not normalise to a finite vector is kept as zero,
// which draws as up.
void K3DEffectNode::SetDirection(float x, float y, float z) {
    const D3DXVECTOR3 given(x, y, z);
    D3DXVec3Normalize(&m_direction, &given);
    if (!std::isfinite(m_direction.x) || !std::isfinite(m_direction.y) || !std::isfinite(m_direction.z))
        m_direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void K3DEffectNode::SetScale(float x, float y, float z) { m_scale = D3DXVECTOR3(x, y, z); }

void K3DEffectNode::SetSpeed(float speed) { m_speed = speed; }

DWORD K3DEffectNode::GetDuration(DWORD* duration) {
    const DWORD ms = m_set ? DWORD(m_set->Duration()) : 0;
    if (duration) *duration = ms;
    return ms;
}

void K3DEffectNode::SetEnabled(BYTE enabled) { KModelNodeBase::SetEnabled(enabled); }

bool K3DEffectNode::IsValid() { return true; }

// The effect time is the real time since the start times the speed,
// truncated. A product below 0 (a negative speed, or a start still ahead of
// a negative offset) or beyond 32 bits has no effect time: the effect is
// over (or not yet begun) and draws nothing.
bool K3DEffectNode::AdvanceClock() {
    const DWORD now = timeGetTime();
    if (m_startTime == 0) m_startTime = now;
    const float product = std::trunc(float(now - m_startTime) * m_speed);
    if (!(product >= 0.0f && product < kTwoTo32)) {
        m_elapsed = kPastEnd;
        return false;
    }
    m_elapsed = DWORD(product);
    return m_set && m_elapsed <= DWORD(m_set->Duration());
}

bool K3DEffectNode::Update() {
    float eye[3] = {0.0f, 0.0f, 0.0f};
    float origin[3] = {0.0f, 0.0f, 0.0f};
    if (ShellServices()) {
        ShellServices()->GetCameraPos(eye);
        ShellServices()->GetViewOrigin(origin);
    }
    if (!AdvanceClock()) return false;
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return true;  // the clock runs; there is nothing to draw on
    const KFxSavedStates saved(device, kUpdateStates, int(std::size(kUpdateStates)));
    SetUpdateStates(device);
    const D3DXVECTOR3 eyeAt(eye[0], eye[1], eye[2]);
    const D3DXVECTOR3 originAt(origin[0], origin[1], origin[2]);
    for (int i = 0; i < m_set->ElementCount(); ++i) DrawElement(i, eyeAt, originAt);
    saved.Restore();
    return true;
}
