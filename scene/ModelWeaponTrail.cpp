// The weapon trail: a fading ribbon between the weapon mesh's dummies "BL1"
// and "BL2", one pair of vertices a frame, set up by a trail ini file.
#include <mmsystem.h>

#include <cstdint>
#include <string>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KIniFile.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"
#include "textures/TextureManager.h"

namespace {

constexpr size_t kTrailTextureNameSize = 256;
constexpr DWORD kTrailFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// Fewer vertices than this draw nothing: the oldest pair is never drawn.
constexpr size_t kFewestDrawnVertices = 6;
constexpr int kAbsentDummies = -2;
constexpr int kAlphaByte = 3;

// Reads the keys in order; the first missing one stops the read.
class TrailKeys {
public:
    TrailKeys(const KIniFile& ini, const char* section) : m_ini(ini), m_section(section) {}
    bool Integer(const char* key, int* value) { return Found(key, m_ini.GetInteger(m_section, key, 0, value)); }
    bool Byte(const char* key, BYTE* value) {
        int read = 0;
        if (!Integer(key, &read)) return false;
        *value = BYTE(read & 0xFF);
        return true;
    }
    bool Float(const char* key, float* value) { return Found(key, m_ini.GetFloat(m_section, key, 0.0f, value)); }
    bool String(const char* key, char* value, int size) {
        return Found(key, m_ini.GetString(m_section, key, "", value, size));
    }
    // The first key that was missing, or null.
    const char* Missing() const { return m_missing.empty() ? nullptr : m_missing.c_str(); }

private:
    bool Found(const char* key, int found) {
        if (!found && m_missing.empty()) m_missing = key;
        return found != 0;
    }
    const KIniFile& m_ini;
    const char* m_section;
    std::string m_missing;
};

// Blue, green, red, alpha: the order the vertex colour keeps.
bool ReadColour(TrailKeys& keys, const char* prefix, BYTE* colour) {
    const std::string p = prefix;
    return keys.Byte((p + "Alpha").c_str(), &colour[3]) && keys.Byte((p + "Red").c_str(), &colour[2]) &&
           keys.Byte((p + "Green").c_str(), &colour[1]) && keys.Byte((p + "Blue").c_str(), &colour[0]);
}

KTrailVertex TrailVertex(const D3DXMATRIX& m, const BYTE* colour, DWORD now) {
    KTrailVertex v{};
    v.x = m._41;
    v.y = m._42;
    v.z = m._43;
    for (int i = 0; i < 4; ++i) v.colour[i] = colour[i];
    v.creationTime = now;
    v.startAlpha = colour[kAlphaByte];
    return v;
}

// Saves each state, sets it, and puts all back when it goes.
class SavedStates {
public:
    explicit SavedStates(IDirect3DDevice9* device) : m_device(device) {}
    ~SavedStates() {
        for (int i = m_renderCount - 1; i >= 0; --i) m_device->SetRenderState(m_render[i].first, m_render[i].second);
        for (int i = m_stageCount - 1; i >= 0; --i)
            m_device->SetTextureStageState(0, m_stage[i].first, m_stage[i].second);
        for (int i = m_samplerCount - 1; i >= 0; --i)
            m_device->SetSamplerState(0, m_sampler[i].first, m_sampler[i].second);
    }
    SavedStates(const SavedStates&) = delete;
    SavedStates& operator=(const SavedStates&) = delete;
    void Render(D3DRENDERSTATETYPE state, DWORD value) {
        DWORD old = 0;
        m_device->GetRenderState(state, &old);
        m_render[m_renderCount++] = {state, old};
        m_device->SetRenderState(state, value);
    }
    void Keep(D3DRENDERSTATETYPE state) {
        DWORD old = 0;
        m_device->GetRenderState(state, &old);
        m_render[m_renderCount++] = {state, old};
    }
    void Stage(D3DTEXTURESTAGESTATETYPE state, DWORD value) {
        DWORD old = 0;
        m_device->GetTextureStageState(0, state, &old);
        m_stage[m_stageCount++] = {state, old};
        m_device->SetTextureStageState(0, state, value);
    }
    void Sampler(D3DSAMPLERSTATETYPE state, DWORD value) {
        DWORD old = 0;
        m_device->GetSamplerState(0, state, &old);
        m_sampler[m_samplerCount++] = {state, old};
        m_device->SetSamplerState(0, state, value);
    }

private:
    static constexpr int kMost = 8;
    IDirect3DDevice9* m_device;
    std::pair<D3DRENDERSTATETYPE, DWORD> m_render[kMost];
    std::pair<D3DTEXTURESTAGESTATETYPE, DWORD> m_stage[kMost];
    std::pair<D3DSAMPLERSTATETYPE, DWORD> m_sampler[kMost];
    int m_renderCount = 0, m_stageCount = 0, m_samplerCount = 0;
};

int ReadTrailSettings(KModel& m, TrailKeys& keys) {
    int liveTime = 0, maxVertices = 0;
    if (!keys.Integer("LiveTime", &liveTime)) return 0;
    m.trailLiveTime = DWORD(liveTime);
    if (!keys.Integer("MaxQueueElemNum", &maxVertices)) return 0;
    m.trailMaxVertices = DWORD(maxVertices);
    if (!ReadColour(keys, "DiffuseColor1", m.trailColour1) || !ReadColour(keys, "DiffuseColor2", m.trailColour2) ||
        !keys.Float("SpreadFactor", &m.trailSpread))
        return 0;
    char texture[kTrailTextureNameSize] = {};
    if (!keys.String("TextureName", texture, int(sizeof texture))) return 0;
    if (texture[0] == '\0' || texture[0] == ' ') return 0;
    if (m.trailTexture && g_pTextureManager) g_pTextureManager->ReleaseTexture(m.trailTexture);
    m.trailTexture = g_pTextureManager ? g_pTextureManager->LoadTexture(texture, nullptr, 0, 0, 0) : nullptr;
    if (!m.trailTexture) return 0;
    m.trailLoaded = 1;
    return 1;
}

}  // namespace

int KModel::LoadTrailSettings(const char* file, const char* section) {
    KIniFile ini;
    if (!file || !section || !ini.Load(file)) return 0;
    TrailKeys keys(ini, section);
    const int result = ReadTrailSettings(*this, keys);
    if (keys.Missing()) g_DebugLog("[Model]%s: trail key %s missing", file, keys.Missing());
    return result;
}

bool KModel::FindTrailDummies() {
    if (trailDummies[0] == -1 && trailDummies[1] == -1) {
        trailDummies[0] = FindBone("BL1");
        trailDummies[1] = FindBone("BL2");
        if (trailDummies[0] < 0 || trailDummies[1] < 0) trailDummies[0] = trailDummies[1] = kAbsentDummies;
    }
    return trailDummies[0] >= 0 && trailDummies[1] >= 0;
}

// A vertex older than the live time goes with the one after it; the others
// fade linearly (64-bit: a live time near 2^32 times 255 would wrap).
void KModel::AgeTrail(DWORD now) {
    size_t i = 0;
    while (i < trailVertices.size()) {
        KTrailVertex& v = trailVertices[i];
        const DWORD age = now - v.creationTime;
        if (age > trailLiveTime) {
            trailVertices.erase(trailVertices.begin() + ptrdiff_t(i),
                                trailVertices.begin() + ptrdiff_t(std::min(i + 2, trailVertices.size())));
            continue;
        }
        v.colour[kAlphaByte] = trailLiveTime < 1 ? v.startAlpha
                                                 : BYTE(uint64_t(trailLiveTime - age) * v.startAlpha / trailLiveTime);
        ++i;
    }
}

void KModel::AppendTrailPair(DWORD now) {
    D3DXMATRIX m1, m2;
    D3DXMatrixMultiply(&m1, &mesh->dummies[size_t(trailDummies[0])].worldMatrix, &worldMatrix);
    D3DXMatrixMultiply(&m2, &mesh->dummies[size_t(trailDummies[1])].worldMatrix, &worldMatrix);
    trailVertices.push_back(TrailVertex(m1, trailColour1, now));
    trailVertices.push_back(TrailVertex(m2, trailColour2, now));
}

// Texture coordinates along the trail; the BL1 edge drifts outward by the
// spread factor every frame.
void KModel::SpreadTrail() {
    const size_t n = trailVertices.size();
    for (size_t i = 0; i + 1 < n; i += 2) {
        KTrailVertex& a = trailVertices[i];
        KTrailVertex& b = trailVertices[i + 1];
        a.u = b.u = float(i) / float(n - 2);
        a.v = 0.0f;
        b.v = 1.0f;
        D3DXVECTOR3 d(a.x - b.x, a.y - b.y, a.z - b.z);
        D3DXVec3Normalize(&d, &d);
        a.x += d.x * trailSpread;
        a.y += d.y * trailSpread;
        a.z += d.z * trailSpread;
    }
}

void KModel::DrawTrail() {
    D3DXMATRIX identity;
    device->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity(&identity));
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(kTrailFvf);
    if (g_pTextureManager) g_pTextureManager->SetTexture(0, trailTexture, 0);
    SavedStates states(device);
    states.Render(D3DRS_ALPHABLENDENABLE, TRUE);
    states.Stage(D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.Stage(D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.Stage(D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states.Stage(D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    states.Stage(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.Stage(D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    states.Render(D3DRS_ZENABLE, TRUE);
    states.Render(D3DRS_ZWRITEENABLE, FALSE);
    states.Sampler(D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    states.Sampler(D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    states.Render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    states.Render(D3DRS_DESTBLEND, D3DBLEND_ONE);
    states.Keep(D3DRS_TEXTUREFACTOR);
    const size_t n = trailVertices.size();
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(n - 4), &trailVertices[2], sizeof(KTrailVertex));
}

void KModel::UpdateTrail() {
    if (!mesh || mesh->dummies.empty() || !FindTrailDummies()) return;
    const DWORD now = timeGetTime();
    AgeTrail(now);
    if (trailOn) AppendTrailPair(now);
    if (trailVertices.size() < kFewestDrawnVertices) return;
    SpreadTrail();
    if (device) DrawTrail();
    // A full trail drops the pair just added.
    if (trailVertices.size() > trailMaxVertices) trailVertices.resize(trailVertices.size() - 2);
}
