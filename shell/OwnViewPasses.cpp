// Two passes that draw 3D objects into a screen rectangle under a camera
// and projection of their own, leaving the device's transforms and depth
// states as they found them: a static mesh turning about y, fitted to the
// rectangle (type 23), and one of a list of models seen from above with
// every model's mesh in its off-screen state.
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "basrel/HostIntegers.h"
#include "effects/KStaticMesh.h"
#include "scene/KModel.h"
#include "scene/KModelProxy.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"

namespace {

constexpr float kViewWidth = 125.0f, kViewHeight = 93.75f;
constexpr float kOwnViewNearPlane = 200.0f;
constexpr float kOwnViewDepth = 50.0f;
constexpr float kFitShare = 0.6f;
constexpr float kOwnViewAnchorX = 0.3f;
// The eye stays this far from a mesh without extent.
constexpr float kNearestEye = 1.0f;

struct ScreenSize {
    float width, height;
};

ScreenSize PassScreen(int32_t largeScreen) {
    return largeScreen ? ScreenSize{1024.0f, 768.0f} : ScreenSize{800.0f, 600.0f};
}

// The view's transforms and the four depth states, put back when it goes.
class SavedView {
public:
    explicit SavedView(IDirect3DDevice9* device) : m_device(device) {
        device->GetTransform(D3DTS_VIEW, &m_view);
        device->GetTransform(D3DTS_WORLD, &m_world);
        device->GetTransform(D3DTS_PROJECTION, &m_projection);
    }
    ~SavedView() {
        for (int i = 0; i < kStateCount && m_statesSaved; ++i) m_device->SetRenderState(kStates[i], m_states[i]);
        m_device->SetTransform(D3DTS_VIEW, &m_view);
        m_device->SetTransform(D3DTS_WORLD, &m_world);
        m_device->SetTransform(D3DTS_PROJECTION, &m_projection);
    }
    SavedView(const SavedView&) = delete;
    SavedView& operator=(const SavedView&) = delete;
    void SetDepthStates() {
        for (int i = 0; i < kStateCount; ++i) m_device->GetRenderState(kStates[i], &m_states[i]);
        m_statesSaved = true;
        m_device->SetRenderState(D3DRS_ZENABLE, TRUE);
        m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        m_device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        m_device->SetRenderState(D3DRS_AMBIENT, 0);
    }

private:
    static constexpr int kStateCount = 4;
    static constexpr D3DRENDERSTATETYPE kStates[kStateCount] = {D3DRS_ZENABLE, D3DRS_ZFUNC, D3DRS_ZWRITEENABLE,
                                                                D3DRS_AMBIENT};
    IDirect3DDevice9* m_device;
    D3DXMATRIX m_view, m_world, m_projection;
    DWORD m_states[kStateCount] = {};
    bool m_statesSaved = false;
};

// The point of the full screen that the shrunken view puts at (x, y).
D3DXMATRIX ScreenPlacement(const ScreenSize& screen, float s, float anchorX, float anchorY, int x, int y) {
    const float halfWidth = screen.width * 0.5f, halfHeight = screen.height * 0.5f;
    D3DXMATRIX scaling;
    D3DXMatrixScaling(&scaling, s, s, s);
    const D3DXVECTOR3 anchor(anchorX, anchorY, 0.0f);
    D3DXVECTOR3 moved;
    D3DXVec3TransformCoord(&moved, &anchor, &scaling);
    const float ax = halfWidth - moved.x, ay = halfHeight - moved.y;
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, (float(x) - ax) / halfWidth, (ay - float(y)) / halfHeight, 0.0f);
    return translation;
}

// The largest enlargement that keeps every extent within 60% of the
// rectangle; 1.0 when one does not fit. A zero extent takes no part.
float FitScale(const D3DXVECTOR3& size, float width, float height) {
    const float sizes[3] = {size.x, size.y, size.z}, limits[3] = {width, height, width};
    float fit = HUGE_VALF;
    for (int i = 0; i < 3; ++i) {
        if (sizes[i] <= 0.0f) continue;
        if (!(sizes[i] < kFitShare * limits[i])) return 1.0f;
        fit = std::min(fit, kFitShare * limits[i] / sizes[i]);
    }
    return fit == HUGE_VALF ? 1.0f : fit;
}

KModelProxy* HandleAt(KModelProxy** handles, int i) {
    KModelProxy* handle = nullptr;
    std::memcpy(&handle, reinterpret_cast<const uint8_t*>(handles) + size_t(i) * sizeof handle, sizeof handle);
    return handle;
}

KMesh* MeshOf(KModelProxy* handle) {
    KModel* model = LiveObjects<KModelProxy>().Holds(handle) && handle->GetSceneNode() ? handle->GetModel() : nullptr;
    return model ? model->mesh : nullptr;
}

}  // namespace

/* 166 */ void KDrawShell::RenderTimedPass(KStaticMesh* mesh, int x, int y, int width, int height) {
    IDirect3DDevice9* device = GetDevice();
    if (!device || !mesh || width <= 0 || height <= 0) return;
    SavedView saved(device);
    saved.SetDepthStates();
    D3DXMATRIX world;
    device->SetTransform(D3DTS_WORLD, D3DXMatrixRotationY(&world, float(timeGetTime()) / 1000.0f));

    const D3DXVECTOR3 size(mesh->GetSizeX(), mesh->GetSizeY(), mesh->GetSizeZ());
    y = host_int::Truncate(float(y) + (float(height) - size.y / 2.0f) / 2.0f);
    const D3DXVECTOR3 eye(0.0f, size.y / 2.0f, std::max({size.x, size.z, kNearestEye}));
    const D3DXVECTOR3 at(0.0f, size.y / 2.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    device->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH(&view, &eye, &at, &up));

    const ScreenSize screen = PassScreen(largeScreen);
    const float s = float(width) / screen.width;
    const float fit = FitScale(size, float(width), float(height));
    D3DXMATRIX projection, scaling;
    D3DXMatrixOrthoLH(&projection, kViewWidth, kViewHeight, 0.0f, kFarPlane);
    projection *= *D3DXMatrixScaling(&scaling, s, s, s);
    if (fit != 1.0f) projection *= *D3DXMatrixScaling(&scaling, fit, fit, fit);
    projection *= ScreenPlacement(screen, s, screen.width * 0.5f, screen.height * 0.5f, x, y);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    mesh->Render();
}

// A mesh that two handles share enters and leaves its off-screen state once.
/* 149 */ void KDrawShell::RenderOwnViewPass(KModelProxy** handles, int count, int index, int x, int y, int width,
                                              DWORD) {
    IDirect3DDevice9* device = GetDevice();
    if (!device || !handles || count <= 0 || index < 0 || index >= count) return;
    KModelProxy* drawn = HandleAt(handles, index);
    if (!LiveObjects<KModelProxy>().Holds(drawn)) return;
    SavedView saved(device);
    D3DXMATRIX world, view, projection, scaling;
    device->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity(&world));
    const D3DXVECTOR3 eye(0.0f, cameraDistance, kOwnViewDepth), at(0.0f, 0.0f, kOwnViewDepth), up(0.0f, 0.0f, 1.0f);
    device->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH(&view, &eye, &at, &up));
    const ScreenSize screen = PassScreen(largeScreen);
    const float s = float(width) / screen.width;
    D3DXMatrixOrthoLH(&projection, kViewWidth, kViewHeight, kOwnViewNearPlane, kFarPlane);
    projection *= *D3DXMatrixScaling(&scaling, s, s, s);
    projection *= ScreenPlacement(screen, s, screen.width * kOwnViewAnchorX, screen.height * 0.5f, x, y);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    saved.SetDepthStates();

    std::vector<KModelProxy*> switched;
    std::vector<KMesh*> meshes;
    for (int i = 0; i < count; ++i) {
        KModelProxy* handle = HandleAt(handles, i);
        KMesh* mesh = MeshOf(handle);
        if (!mesh || std::find(meshes.begin(), meshes.end(), mesh) != meshes.end()) continue;
        meshes.push_back(mesh);
        switched.push_back(handle);
        neighbours::ModelMeshEnterOffscreen(handle);
    }
    drawn->UpdateTree(0);
    for (KModelProxy* handle : switched) neighbours::ModelMeshLeaveOffscreen(handle);
}
