#include "effects/BeamFixture.h"

#include <algorithm>
#include <cmath>

#include "DxtBlocks.h"
#include "SprWriter.h"
#include "effects/KChannelMagic.h"
#include "effects/KDebugMeshSet.h"
#include "effects/KLightningCache.h"
#include "win32/Control.h"

namespace beam_test {

void BeamTest::SetUp() {
    ShellFixture::SetUp();
    lumiva::win32::InstallManualClock(100000);
    g_ChannelMagicClock = 0;
    MakeCreatedShell();
    IDirect3DDevice9* device = Device();
    D3DXMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixOrthoLH(&projection, 80.0f, 60.0f, 0.0f, 100.0f);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &identity);
}

void BeamTest::TearDown() {
    if (m_shell && m_sceneOpen) Device()->EndScene();
    lumiva::d3d9::EnableRecording(false);
    DebugMeshSet().ResetForTests();
    LightningCache().DestroyAllLightning();
    g_ChannelMagicClock = 0;
    ShellFixture::TearDown();
}

void BeamTest::WriteModuleFile(const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    std::string relative = modulePath;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    while (!relative.empty() && relative.front() == '/') relative.erase(relative.begin());
    WriteDataFile(relative, bytes);
}

void BeamTest::WriteModuleFile(const std::string& modulePath, const std::string& text) {
    WriteModuleFile(modulePath, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> BeamTest::FlatDds(uint32_t argb) {
    std::vector<uint8_t> file = MakeDxt5DdsHeader(4, 4);
    const std::vector<uint32_t> pixels(16, argb);
    const std::vector<uint8_t> blocks = EncodeDxt5(pixels.data(), 4, 4);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

void BeamTest::WriteLightning(const std::string& modulePath, const beamini::Lightning& file) {
    WriteModuleFile(modulePath, beamini::WriteLightning(file));
    if (!file.textureName.empty() && file.textureName[0] != ' ')
        WriteModuleFile(file.textureName, FlatDds(0xFFFFFFFF));
}

void BeamTest::BeginDraw(D3DCOLOR background) {
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    if (!m_sceneOpen) Device()->BeginScene();
    m_sceneOpen = true;
}

D3DCOLOR BeamTest::PixelAt(float x, float y) {
    const lumiva::d3d9::Image image = BackBuffer();
    const long px = std::lround(400.0f + x * kUnitPixels), py = std::lround(300.0f - y * kUnitPixels);
    if (image.pixels.empty() || px < 0 || py < 0 || px >= long(image.width) || py >= long(image.height))
        return 0xDEADBEEF;
    return image.At(UINT(px), UINT(py));
}

void BeamTest::Record() {
    lumiva::d3d9::ClearRecording();
    lumiva::d3d9::EnableRecording(true);
}

D3DXMATRIX BeamTest::CurrentWorld() {
    D3DXMATRIX world;
    Device()->GetTransform(D3DTS_WORLD, &world);
    return world;
}

::testing::AssertionResult MatricesNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(expected.m[r][c] - actual.m[r][c]) > tolerance)
                return ::testing::AssertionFailure() << "entry " << r << "," << c << ": " << expected.m[r][c]
                                                     << " vs " << actual.m[r][c];
    return ::testing::AssertionSuccess();
}

}  // namespace beam_test
