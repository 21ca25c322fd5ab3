// Drawing a particle system: quads facing the system's own fixed camera,
// written into dynamic buffers that grow with 64 quads of headroom and keep
// their texture coordinates and indices from the growth.
#include <cstring>

#include "effects/ArgbColour.h"
#include "effects/KParticleSystem.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"

namespace {

const D3DXVECTOR3 kEye(0.0f, 0.0f, -2500.0f);
const D3DXVECTOR3 kTarget(0.0f, 0.0f, 0.0f);
const D3DXVECTOR3 kUp(0.0f, 1.0f, 0.0f);
constexpr float kFieldOfView = 0.1309f;
constexpr float kNear = 1.0f;
constexpr float kFar = 20000.0f;
constexpr uint32_t kHeadroomQuads = 64;

// The corners' texture coordinates, in the order the quads are written.
constexpr float kCornerUv[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
constexpr WORD kQuadIndices[6] = {0, 2, 1, 0, 3, 2};

UINT VertexCapacity(IDirect3DVertexBuffer9* buffer) {
    D3DVERTEXBUFFER_DESC desc{};
    if (!buffer || FAILED(buffer->GetDesc(&desc))) return 0;
    return desc.Size / sizeof(KParticleVertex);
}

// A new buffer pair for `quads` quads, texture coordinates and indices
// written; false (nothing kept) when either cannot be made or filled.
bool MakeBuffers(IDirect3DDevice9* device, uint32_t vertexCount, uint32_t indexCount, IDirect3DVertexBuffer9** vb,
                 IDirect3DIndexBuffer9** ib) {
    if (FAILED(device->CreateVertexBuffer(vertexCount * sizeof(KParticleVertex), D3DUSAGE_DYNAMIC,
                                          kParticleVertexFormat, D3DPOOL_DEFAULT, vb, nullptr)))
        return *vb = nullptr, false;
    void* bytes = nullptr;
    if (FAILED((*vb)->Lock(0, 0, &bytes, 0))) return ReleaseAndNull(*vb), false;
    auto* vertices = static_cast<KParticleVertex*>(bytes);
    std::memset(vertices, 0, vertexCount * sizeof(KParticleVertex));
    for (uint32_t i = 0; i < vertexCount; ++i) vertices[i].u = kCornerUv[i % 4][0], vertices[i].v = kCornerUv[i % 4][1];
    (*vb)->Unlock();

    if (FAILED(device->CreateIndexBuffer(indexCount * sizeof(WORD), D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                         ib, nullptr))) {
        *ib = nullptr;
        return ReleaseAndNull(*vb), false;
    }
    if (FAILED((*ib)->Lock(0, 0, &bytes, 0))) return ReleaseAndNull(*ib), ReleaseAndNull(*vb), false;
    auto* indices = static_cast<WORD*>(bytes);
    for (uint32_t i = 0; i < indexCount; ++i) indices[i] = static_cast<WORD>(i / 6 * 4 + kQuadIndices[i % 6]);
    (*ib)->Unlock();
    return true;
}

}  // namespace

// Every quad of a new pair is written whole: the old pair held the same
// coordinates and indices for its quads, so nothing is read back from it.
bool KParticleSystem::GrowBuffers() {
    const auto count = static_cast<uint32_t>(particles.size());
    if (vertexBuffer && indexBuffer && 4 * count <= VertexCapacity(vertexBuffer)) return true;
    if (count == 0) return vertexBuffer && indexBuffer;
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return false;

    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    if (!MakeBuffers(device, 4 * count + 4 * kHeadroomQuads, (count + kHeadroomQuads) * 6, &vb, &ib)) return false;
    ReleaseBuffers();
    vertexBuffer = vb;
    indexBuffer = ib;
    return true;
}

bool KParticleSystem::WriteQuads(const D3DXVECTOR3& right, const D3DXVECTOR3& down, const D3DXVECTOR3& normal) {
    void* bytes = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &bytes, 0))) return false;
    auto* v = static_cast<KParticleVertex*>(bytes);
    const D3DXVECTOR3 corners[4] = {right + down, right - down, -right - down, -right + down};
    for (const KParticle& particle : particles) {
        const DWORD colour = ArgbFromColourValue(particle.colour);
        for (const D3DXVECTOR3& corner : corners) {
            v->x = particle.position[0] + corner.x;
            v->y = particle.position[1] + corner.y;
            v->z = particle.position[2] + corner.z;
            v->nx = normal.x, v->ny = normal.y, v->nz = normal.z;
            v->colour = colour;
            ++v;
        }
    }
    vertexBuffer->Unlock();
    return true;
}

void KParticleSystem::SetDrawStates(IDirect3DDevice9* device) {
    D3DXMATRIX view, projection;
    D3DXMatrixLookAtLH(&view, &kEye, &kTarget, &kUp);
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, 1.0f, kNear, kFar);
    D3DXMatrixTranslation(&world, position[0], position[1], position[2]);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTexture(0, texture);
    for (DWORD stage = 0; stage < 2; ++stage) {
        device->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(KParticleVertex));
    device->SetIndices(indexBuffer);
    device->SetFVF(kParticleVertexFormat);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
}

// Nothing is restored afterwards: the caller's states stay as set here.
void KParticleSystem::Draw() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    D3DXVECTOR3 dir = kTarget - kEye, right, down;
    D3DXVec3Normalize(&dir, &dir);
    D3DXVec3Cross(&right, &kUp, &dir);
    D3DXVec3Normalize(&right, &right);
    D3DXVec3Cross(&down, &right, &dir);
    D3DXVec3Normalize(&down, &down);
    right *= particleSize[0] * 0.5f;
    down *= particleSize[1] * 0.5f;
    const D3DXVECTOR3 normal = -dir;

    if (!GrowBuffers() || particles.empty()) return;
    if (!WriteQuads(right, down, normal)) return;
    SetDrawStates(device);
    const auto n = static_cast<UINT>(particles.size());
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4 * n, 0, 2 * n);
}
