#include "ModelFixture.h"

#include <algorithm>

#include "DxtBlocks.h"
#include "MaterialFileWriter.h"
#include "SprWriter.h"
#include "lumiva/basrel/DebugLog.h"
#include "scene/KMaterial.h"
#include "scene/KModelManager.h"
#include "shell/D3DDevice.h"
#include "support/WindowedDevice.h"
#include "textures/TextureManager.h"
#include "win32/Control.h"

namespace model_test {

void ModelTest::SetUp() {
    ShellFixture::SetUp();
    ConfigureAdapters();
    ResetTextureManagerForTests();
    lumiva::win32::InstallManualClock(kClockStartMs);
    basrel::SetDebugLogToFile(false);
    g_AdditiveBlend = 0;
    m_targetWindow = CreateWindowExA(0, "ModelTest", "ModelTest", WS_POPUP | WS_VISIBLE, 0, 0, kTargetSize,
                                     kTargetSize, nullptr, nullptr, nullptr, nullptr);
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(m_d3d, nullptr);
    D3DPRESENT_PARAMETERS pp = WindowedTestParametersWithDepth(m_targetWindow, kTargetSize, kTargetSize);
    ASSERT_EQ(m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_targetWindow,
                                  creationFlags, &pp, &device),
              D3D_OK);
    ASSERT_TRUE(g_pTextureManager->Init(device, 1, 0));
    g_D3DDevice.device = device;
}

ModelTest::~ModelTest() {
    lumiva::d3d9::EnableRecording(false);
    lumiva::d3d9::FailBufferLockAt(0, 0);
    ResetModelManagerForTests();
    g_AdditiveBlend = 0;
    ResetTextureManagerForTests();
    // The device is the test's: the wrapper must not release it.
    g_D3DDevice.device = nullptr;
    if (device) {
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        for (DWORD s = 0; s < 8; ++s) device->SetTexture(s, nullptr);
        EXPECT_EQ(device->Release(), 0u);
    }
    if (m_d3d) m_d3d->Release();
    DestroyWindow(m_targetWindow);
    ShellFixture::TearDown();
}

void ModelTest::WriteModuleFile(const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    std::string relative = modulePath;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    while (!relative.empty() && relative.front() == '/') relative.erase(relative.begin());
    WriteDataFile(relative, bytes);
}

std::vector<uint8_t> ModelTest::Dds(const std::vector<uint32_t>& argb, int width, int height) {
    std::vector<uint8_t> file = MakeDxt5DdsHeader(uint16_t(width), uint16_t(height));
    const std::vector<uint8_t> blocks = EncodeDxt5(argb.data(), width, height);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

void ModelTest::LoadTexturedMaterial(KMaterial& material, const std::string& path, const std::string& stem,
                                     const std::vector<std::vector<uint8_t>>& textures,
                                     const std::vector<DWORD>& flags) {
    mtlfile::File file;
    for (size_t i = 0; i < textures.size(); ++i) {
        const std::string name = stem + std::to_string(i) + ".dds";
        WriteModuleFile("\\model\\texture\\" + name, textures[i]);
        mtlfile::Record record;
        record.flags = i < flags.size() ? flags[i] : 0;
        mtlfile::Stage stage;
        stage.textureName = "art\\" + name;
        record.stages = {stage};
        file.records.push_back(record);
    }
    WriteModuleFile(path, mtlfile::Write(file));
    material.SetDevice(device);
    ASSERT_EQ(material.Load(path.c_str()), 0);
}

std::vector<std::string> ModelTest::LogLinesNaming(const std::string& fileName) {
    std::vector<std::string> lines;
    for (const std::string& line : TakeLog())
        if (line.rfind("[Model]", 0) == 0 && line.find(fileName) != std::string::npos) lines.push_back(line);
    return lines;
}

void ModelTest::BeginDraw(D3DCOLOR background) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->BeginScene();
}

void ModelTest::EndDraw() { device->EndScene(); }

D3DCOLOR ModelTest::Pixel(UINT x, UINT y) { return test_support::BackBufferImage(device).At(x, y) & 0x00FFFFFFu; }

void ModelTest::UseFlatCamera(float left, float right, float bottom, float top) {
    D3DXMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixOrthoOffCenterLH(&projection, left, right, bottom, top, -10.0f, 10.0f);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

void ModelTest::DrawScreenQuad() {
    struct ScreenVertex {
        float x, y, z, rhw, u, v;
    };
    const float e = float(kTargetSize);
    const ScreenVertex quad[4] = {{0, 0, 0.5f, 1, 0, 0}, {e, 0, 0.5f, 1, 1, 0}, {0, e, 0.5f, 1, 0, 1}, {e, e, 0.5f, 1, 1, 1}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}

DWORD ModelTest::RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    device->GetRenderState(state, &value);
    return value;
}

DWORD ModelTest::StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state) {
    DWORD value = 0;
    device->GetTextureStageState(stage, state, &value);
    return value;
}

std::vector<std::string> CallsNamed(const std::vector<std::string>& names, size_t from) {
    std::vector<std::string> out;
    const auto& calls = lumiva::d3d9::RecordedCalls();
    for (size_t i = from; i < calls.size(); ++i) {
        if (std::find(names.begin(), names.end(), calls[i].name) == names.end()) continue;
        std::string text = calls[i].name;
        for (uint64_t a : calls[i].args) text += " " + std::to_string(a);
        out.push_back(text);
    }
    return out;
}

}  // namespace model_test
