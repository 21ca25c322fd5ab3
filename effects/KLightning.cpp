#include "effects/KLightning.h"

#include <d3dx9tex.h>

#include <cstdlib>
#include <vector>

#include "lumiva/basrel/KIniFile.h"
#include "lumiva/basrel/KPakFile.h"
#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"

namespace {

constexpr const char* kLightningSection = "Lightning";
constexpr int kLightningTextureNameSize = 256;

// Each read fails the load when its key is missing or malformed.
class KeyReader {
public:
    explicit KeyReader(const KIniFile& ini) : m_ini(ini) {}
    bool Int(const char* key, int& value) { return m_ok = m_ok && m_ini.GetInteger(kLightningSection, key, 0, &value); }
    bool Float(const char* key, float& value) { return m_ok = m_ok && m_ini.GetFloat(kLightningSection, key, 0.0f, &value); }
    bool Text(const char* key, char* buffer, int size) {
        return m_ok = m_ok && m_ini.GetString(kLightningSection, key, "", buffer, size);
    }
    bool Ok() const { return m_ok; }

private:
    const KIniFile& m_ini;
    bool m_ok = true;
};

// The generation takes a remainder by a + b, worked in 64 bits; a negative
// sum is a range like any other, only 0 cannot divide.
bool RangeHoldsValues(int a, int b) { return int64_t(a) + int64_t(b) != 0; }

}  // namespace

KLightning::KLightning() { srand(unsigned(timeGetTime())); }

KLightning::~KLightning() { ReleaseAndNull(texture); }

void KLightning::SetStart(float x, float y, float z) { start[0] = x, start[1] = y, start[2] = z; }
void KLightning::SetEnd(float x, float y, float z) { end[0] = x, end[1] = y, end[2] = z; }

bool KLightning::ReadKeys(const char* path) {
    KIniFile ini;
    if (!path || !ini.Load(path)) return false;
    KeyReader keys(ini);
    keys.Int("Version", version);
    keys.Float("Width", width);
    keys.Float("Height", height);
    keys.Float("SegLength", segLength);
    keys.Int("LiveTime", liveTime);
    keys.Int("RandomA", randomA);
    keys.Int("RandomB", randomB);
    keys.Int("RandomC", randomC);
    keys.Float("DistanceLimit", distanceLimit);
    keys.Float("Radius", radius);
    keys.Int("SegementNumber", segementNumber);
    keys.Float("CircleWidth", circleWidth);
    keys.Int("CircleOffset", circleOffset);
    keys.Int("LineLiveTime", lineLiveTime);
    keys.Int("CircleLiveTime", circleLiveTime);
    keys.Int("X1", x1);
    keys.Int("X2", x2);
    keys.Int("Y1", y1);
    keys.Int("Y2", y2);
    keys.Int("Z1", z1);
    keys.Int("Z2", z2);
    keys.Int("OverLimitDistance", overLimitDistance);
    keys.Float("Reduce", reduce);
    char textureName[kLightningTextureNameSize] = {};
    if (!keys.Text("TextureName", textureName, sizeof textureName)) return false;
    if (textureName[0] == '\0' || textureName[0] == ' ') return false;
    return LoadTexture(textureName);
}

bool KLightning::LoadTexture(const char* textureName) {
    KPakFile file;
    if (!file.Open(textureName)) return false;
    std::vector<uint8_t> bytes(file.Size());
    if (file.Read(bytes.data(), uint32_t(bytes.size())) != bytes.size()) return false;
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return false;
    ReleaseAndNull(texture);
    if (FAILED(D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), UINT(bytes.size()), 0, 0, 1, 0,
                                                   D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                                   0xFF000000, nullptr, nullptr, &texture)))
        texture = nullptr;
    return texture != nullptr;
}

// What the generation divides by or takes a remainder by must not be 0
// (negative values are ranges like the others), and the ring's step must
// leave 360 / N above 0.
bool KLightning::ValuesUsable() const {
    if (randomA == 0 || randomB == 0 || randomC == 0) return false;
    if (version != 1)
        return RangeHoldsValues(x1, x2) && RangeHoldsValues(y1, y2) && RangeHoldsValues(z1, z2);
    if (!(segLength > 0.0f)) return false;
    if (distanceLimit > 0.0f)
        return circleOffset != 0 && segementNumber >= 1 && segementNumber <= kLightningMaxRingSteps;
    return true;
}

bool KLightning::Load(const char* path) {
    m_loaded = ReadKeys(path) && ValuesUsable();
    if (m_loaded) name = path;
    return m_loaded;
}

void KLightning::Render() {
    if (!m_loaded) return;
    if (startTime == 0) startTime = timeGetTime();
    const DWORD now = timeGetTime();
    if (now - startTime > DWORD(lineLiveTime)) return;
    if (now - lastGeneration > DWORD(liveTime)) {
        if (version == 1)
            GenerateCircles();
        else
            GenerateBolt();
        lastGeneration = timeGetTime();
    }
    Draw();
}

void KLightning::Draw() {
    IDirect3DDevice9* device = g_D3DDevice.device;
    if (!device) return;
    device->SetTexture(0, texture);
    device->SetFVF(kSceneVertexFvf);
    auto strip = [device](const KSceneVertex* first, int count) {
        if (count >= 3) device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(count - 2), first, sizeof(KSceneVertex));
    };
    if (version != 1) {
        strip(vertices, vertexCount);
        return;
    }
    strip(vertices, firstStripCount);
    if (ringFlag) strip(vertices + firstStripCount, vertexCount - firstStripCount);
}
