// Fixed render-state sets the host switches between its own draws, and the
// two saved sets (billboards, blend and stage 0).
#include <iterator>

#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

namespace {

enum class KStateKind { Render, Sampler0, Stage0 };

struct KStateRef {
    KStateKind kind;
    DWORD type;
};

DWORD ReadState(IDirect3DDevice9* device, const KStateRef& ref) {
    DWORD value = 0;
    switch (ref.kind) {
        case KStateKind::Render: device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(ref.type), &value); break;
        case KStateKind::Sampler0: device->GetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(ref.type), &value); break;
        case KStateKind::Stage0:
            device->GetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(ref.type), &value);
            break;
    }
    return value;
}

void WriteState(IDirect3DDevice9* device, const KStateRef& ref, DWORD value) {
    switch (ref.kind) {
        case KStateKind::Render: device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(ref.type), value); break;
        case KStateKind::Sampler0: device->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(ref.type), value); break;
        case KStateKind::Stage0:
            device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(ref.type), value);
            break;
    }
}

constexpr KStateRef kBillboardStates[] = {
    {KStateKind::Render, D3DRS_CULLMODE},           {KStateKind::Render, D3DRS_LIGHTING},
    {KStateKind::Render, D3DRS_ZENABLE},            {KStateKind::Render, D3DRS_ZWRITEENABLE},
    {KStateKind::Render, D3DRS_ALPHABLENDENABLE},   {KStateKind::Render, D3DRS_SRCBLEND},
    {KStateKind::Render, D3DRS_DESTBLEND},          {KStateKind::Sampler0, D3DSAMP_ADDRESSU},
    {KStateKind::Sampler0, D3DSAMP_ADDRESSV},       {KStateKind::Sampler0, D3DSAMP_MINFILTER},
    {KStateKind::Sampler0, D3DSAMP_MAGFILTER},      {KStateKind::Sampler0, D3DSAMP_MIPFILTER},
};

constexpr DWORD kBillboardValues[] = {
    D3DCULL_NONE,         FALSE,       TRUE,         FALSE,           TRUE,            D3DBLEND_SRCALPHA,
    D3DBLEND_INVSRCALPHA, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
};

constexpr int kBillboardCount = static_cast<int>(std::size(kBillboardStates));
static_assert(std::size(kBillboardValues) == std::size(kBillboardStates));

// One module-wide set: a second Begin before End overwrites it.
DWORD g_BillboardSaved[kBillboardCount] = {};

constexpr KStateRef kStates2[kSavedStates2Count] = {
    {KStateKind::Render, D3DRS_CULLMODE},       {KStateKind::Render, D3DRS_SRCBLEND},
    {KStateKind::Render, D3DRS_DESTBLEND},      {KStateKind::Render, D3DRS_ALPHABLENDENABLE},
    {KStateKind::Stage0, D3DTSS_ALPHAOP},       {KStateKind::Stage0, D3DTSS_ALPHAARG1},
    {KStateKind::Stage0, D3DTSS_ALPHAARG2},     {KStateKind::Stage0, D3DTSS_COLOROP},
    {KStateKind::Stage0, D3DTSS_COLORARG1},     {KStateKind::Stage0, D3DTSS_COLORARG2},
    {KStateKind::Render, D3DRS_TEXTUREFACTOR},
};

}  // namespace

void KDrawShell::BeginBillboardState(DWORD) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    for (int i = 0; i < kBillboardCount; ++i) g_BillboardSaved[i] = ReadState(device, kBillboardStates[i]);
    for (int i = 0; i < kBillboardCount; ++i) WriteState(device, kBillboardStates[i], kBillboardValues[i]);
}

void KDrawShell::EndBillboardState(DWORD) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    for (int i = 0; i < kBillboardCount; ++i) WriteState(device, kBillboardStates[i], g_BillboardSaved[i]);
}

void KDrawShell::SetAlphaMode(DWORD blend, DWORD alphaTest, DWORD reference) {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (deviceLost || !device) return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, alphaTest);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_ALPHAREF, reference);
}

void KDrawShell::SetColorBlend() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
}

void KDrawShell::SaveRenderStates2() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    for (int i = 0; i < kSavedStates2Count; ++i) savedStates2[i] = ReadState(device, kStates2[i]);
}

void KDrawShell::RestoreRenderStates2() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    for (int i = 0; i < kSavedStates2Count; ++i) WriteState(device, kStates2[i], savedStates2[i]);
}
