#include "effects/EffectFileFixture.h"

#include "effects/K3DEffectSetCache.h"
#include "effects/ReplacingFile.h"

namespace effect_file_test {

KModelProxy* FakeModels::Create() {
    calls.push_back("Create");
    if (createFails || made >= std::size(m_handles)) return nullptr;
    return &m_handles[made++];
}

void FakeModels::Release(KModelProxy*) {
    calls.push_back("Release");
    ++released;
}

HRESULT FakeModels::SetMesh(KModelProxy*, const char* name) {
    calls.push_back(std::string("SetMesh ") + name);
    return meshResult;
}

HRESULT FakeModels::InitMesh(KModelProxy*, const char* name) {
    calls.push_back(std::string("InitMesh ") + name);
    return S_OK;
}

HRESULT FakeModels::SetMaterial(KModelProxy*, const char* name) {
    calls.push_back(std::string("SetMaterial ") + name);
    return materialResult;
}

HRESULT FakeModels::InitMaterial(KModelProxy*, const char* name) {
    calls.push_back(std::string("InitMaterial ") + name);
    return S_OK;
}

void FakeModels::PlayAnimation(KModelProxy*, const char* name, DWORD unused, int mode) {
    calls.push_back(std::string("PlayAnimation ") + name + " " + std::to_string(unused) + " " + std::to_string(mode));
    playedName = name;
}

bool FakeModels::GetBounds(KModelProxy*, D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) {
    if (!hasBounds) return false;
    *minimum = boundsMin;
    *maximum = boundsMax;
    return true;
}

void EffectFileTest::SetUp() {
    ShellFixture::SetUp();
    ResetEffectElementSerialForTests();
    EffectSetCache().ResetForTests();
    replacing_file::ResetForTests();
    element_model::SetDoubleForTests(nullptr);
}

void EffectFileTest::TearDown() {
    // Cached sets give their models back while the shell and double live.
    EffectSetCache().ResetForTests();
    element_model::SetDoubleForTests(nullptr);
    replacing_file::ResetForTests();
    ShellFixture::TearDown();
}

std::unique_ptr<K3DEffectSet> EffectFileTest::Load(const char* name, int* result) {
    auto set = std::make_unique<K3DEffectSet>();
    const int loaded = LoadEffectSet(set.get(), name);
    if (result) *result = loaded;
    return set;
}

void EffectFileTest::WriteSprite(const std::string& relative, int frames, uint16_t intervalMs) {
    SprSpriteInfo info{4, 4};
    info.word18 = intervalMs;
    const SprPixels frame{4, 4, 0, 0, std::vector<uint32_t>(16, 0xFF336699)};
    WriteDataFile(relative, WriteSpr(info, std::vector<SprPixels>(size_t(frames), frame)));
}

a3e::Element WriterElement(uint8_t type, const std::string& name, float d1, float d2, float d3) {
    a3e::Element e;
    e.type = type;
    e.name = name;
    e.dimension = {d1, d2, d3};
    return e;
}

a3e::File FileOfTypes(const std::vector<uint8_t>& types, uint32_t version) {
    a3e::File file;
    file.version = version;
    for (uint8_t type : types) {
        file.elements.push_back(WriterElement(type, "t" + std::to_string(type)));
        file.tracks.emplace_back();
    }
    return file;
}

a3e::Tracks BusyTracks(int32_t shift) {
    a3e::Tracks t;
    t.position = {{{1, 2, 3}, 0 + shift}, {{4, 5, 6}, 500 + shift}};
    t.rotation = {{0.5f, 250 + shift}};
    t.color = {{0x80FF8040u, 100 + shift}, {0xFF000000u, 900 + shift}};
    t.scale = {{{2, 2, 2}, 1000 + shift}};
    t.visible = {{0, 300 + shift}, {1, 600 + shift}};
    t.offset = {{{0, 1, 0}, 200 + shift}};
    return t;
}

}  // namespace effect_file_test
