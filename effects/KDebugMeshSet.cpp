#include "effects/KDebugMeshSet.h"

float g_DebugMeshAngle = 0.0f;

KDebugMeshSet& DebugMeshSet() {
    static KDebugMeshSet set;
    return set;
}

KDebugMeshList* KDebugMeshSet::GetOrLoadDebugMeshes(WORD id) {
    auto found = m_meshes.find(id);
    if (found != m_meshes.end()) return found->second.get();
    std::unique_ptr<KDebugMeshList> list = LoadDebugMesh(id);
    if (!list) return nullptr;
    return (m_meshes[id] = std::move(list)).get();
}

// Every id shows the same file, each with a copy of its own.
std::unique_ptr<KDebugMeshList> KDebugMeshSet::LoadDebugMesh(WORD) {
    auto list = std::make_unique<KDebugMeshList>();
    list->push_back(LoadMeshFile(kDebugMeshDirectory, kDebugMeshFile, D3DFMT_A8R8G8B8));
    return list;
}

void KDebugMeshSet::SetUpLight() {
    m_light = D3DLIGHT9{};
    m_light.Type = D3DLIGHT_DIRECTIONAL;
    m_light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    m_light.Direction = {0.0f, 1.0f, -2.0f};
    m_light.Range = 300.0f;
}

void KDebugMeshSet::DrawDebugMeshes(WORD id, int x, int y) {
    if (!m_device) return;
    KDebugMeshList* list = GetOrLoadDebugMeshes(id);
    if (!list) return;
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    m_device->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_device->SetRenderState(D3DRS_AMBIENT, 0xFF7F7F7F);
    m_device->LightEnable(0, TRUE);
    SetUpLight();
    m_device->SetLight(0, &m_light);
    for (const auto& record : *list)
        if (record) DrawMesh(record.get(), x, y, nullptr, nullptr);
    m_device->LightEnable(0, FALSE);
}

void KDebugMeshSet::InvalidateDeviceObjects() {
    for (auto& [id, list] : m_meshes)
        for (auto& record : *list)
            if (record) record->ReleaseTextures();
}

void KDebugMeshSet::RestoreDeviceObjects() {
    if (!m_device) return;
    for (auto& [id, list] : m_meshes)
        for (auto& record : *list)
            if (record) record->LoadTextures(m_device);
}

void KDebugMeshSet::DeleteDeviceObjects() { m_meshes.clear(); }

void KDebugMeshSet::ResetForTests() {
    DeleteDeviceObjects();
    m_device = nullptr;
    m_light = D3DLIGHT9{};
    g_DebugMeshAngle = 0.0f;
}
