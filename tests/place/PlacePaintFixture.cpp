#include "PlacePaintFixture.h"

#include <algorithm>

#include "support/ActiveRegionMerge.h"

#include "d3d9/Control.h"
#include "place/RegionReader.h"
#include "place/ScenePlaceHost.h"
#include "shell/D3DDevice.h"
#include "textures/KJpgImage.h"

namespace place_test {

void PaintHost::PaintObject(int32_t kind, int32_t id, int32_t x, int32_t y, int32_t, int32_t, int32_t pass) {
    painted.push_back(Painted{kind, id, x, y, pass, lumiva::d3d9::RecordedCalls().size()});
}

void PlacePaintTest::SetUp() {
    ScenePlaceTest::SetUp();
    SetScenePlaceHost(&host);
}

void PlacePaintTest::TearDown() {
    lumiva::d3d9::SetNoRaster(false);
    ScenePlaceTest::TearDown();
}

std::string PlacePaintTest::HostPath(const std::string& modulePath) {
    std::string path = modulePath.substr(modulePath[0] == '\\' ? 1 : 0);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void PlacePaintTest::WriteRegion(int32_t rx, int32_t ry, const RegionFileFields& fields) {
    WriteDataFile(HostPath(RegionFilePath("\\Maps\\east", rx, ry)), BuildRegionFile(fields));
}

void PlacePaintTest::WriteSprite(const std::string& modulePath, uint16_t width, uint16_t height,
                                 const std::vector<uint32_t>& pixels, int frames, uint16_t interval) {
    SprSpriteInfo info{width, height};
    info.word18 = interval;
    const SprPixels frame{width, height, 0, 0, pixels};
    WriteDataFile(HostPath(modulePath), WriteSpr(info, std::vector<SprPixels>(size_t(frames), frame)));
}

void PlacePaintTest::Open(const WorSettings& settings) {
    WriteEastMap(settings);
    ASSERT_TRUE(InitAndLoad());
    Place().SetViewSize(800, 600);
    Place().SetFocus(kCentreX + 256, kCentreY + 512, 0);
    Place().CommitViewCenter();  // the camera there at once, not eased
    for (int i = 0; i < 9; ++i) {
        auto* region = const_cast<KSceneRegion*>(Place().OrderedRegion(i));
        ReadRegionFile(*region, "\\Maps\\east");  // a missing file leaves an empty region
        region->state = kRegionLoaded;
    }
    Place().MarkLoadedForTests(9);
    Place().RebuildActiveWindow();
    Merge();
}

KSceneRegion* PlacePaintTest::Active(int dx, int dy) {
    return Place().Window().slots[KActiveWindow::SlotOf(dx, dy)];
}

void PlacePaintTest::Merge() { test_support::MergeActiveRegions(Place()); }

lumiva::d3d9::Image PlacePaintTest::PaintFrames(int frames, D3DCOLOR clear) {
    lumiva::d3d9::ClearRecording();
    lumiva::d3d9::EnableRecording(true);
    for (int i = 0; i < frames; ++i) {
        Place().CommitViewCenter();
        m_shell->BeginFrame(0, clear, nullptr);
        Place().Paint();
        g_D3DDevice.EndScene();
    }
    lumiva::d3d9::EnableRecording(false);
    return BackBuffer();
}

lumiva::d3d9::Image PlacePaintTest::PicturePixels(const char* name) {
    const bool recording = lumiva::d3d9::IsRecording();
    lumiva::d3d9::EnableRecording(false);
    lumiva::d3d9::Image image;
    KImageTexture* picture = m_shell->imageCache.GetImageNoPin(name, nullptr, nullptr, 0, kImageBlank32, 0, 1, 0);
    IDirect3DTexture9* texture = picture ? static_cast<KJpgImage*>(picture)->GetTexture() : nullptr;
    IDirect3DSurface9* level = nullptr;
    if (texture && SUCCEEDED(texture->GetSurfaceLevel(0, &level))) {
        image = lumiva::d3d9::SurfaceImage(level);
        level->Release();
    }
    lumiva::d3d9::EnableRecording(recording);
    return image;
}

RegionObjectFields WallFields(const std::string& name, int32_t x, int32_t y, int16_t width, int16_t height) {
    RegionObjectFields f;
    f.flags = 0x100;
    f.name = name;
    f.width = width;
    f.height = height;
    // Wrapping, for records at the ends of the range.
    const int32_t top = int32_t(uint32_t(y) - 2u * uint32_t(height));
    const int32_t right = int32_t(uint32_t(x) + uint32_t(width));
    const int32_t tl[3] = {x, top, 0}, tr[3] = {right, top, 0}, br[3] = {right, y, 0}, bl[3] = {x, y, 0};
    std::copy(tl, tl + 3, f.topLeft);
    std::copy(tr, tr + 3, f.topRight);
    std::copy(br, br + 3, f.bottomRight);
    std::copy(bl, bl + 3, f.bottomLeft);
    f.x = x;
    f.y = y;
    f.endX = right;
    f.endY = y;
    f.keyA = 0;
    f.keyB = float(y);
    return f;
}

RegionObjectFields PointFields(const std::string& name, int32_t x, int32_t y, int16_t width, int16_t height) {
    RegionObjectFields f;
    f.name = name;
    f.width = width;
    f.height = height;
    const int32_t tl[3] = {x, int32_t(uint32_t(y) - 2u * uint32_t(height)), 0};
    const int32_t br[3] = {int32_t(uint32_t(x) + uint32_t(width)), y, 0};
    std::copy(tl, tl + 3, f.topLeft);
    std::copy(br, br + 3, f.bottomRight);
    f.x = x;
    f.y = y;
    f.endX = x;
    f.endY = y;
    return f;
}

}  // namespace place_test
