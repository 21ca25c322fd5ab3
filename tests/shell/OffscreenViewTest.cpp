// The off-screen model view: its texture, the target and transforms it
// takes and gives back, the pasted quad, and the refused passes.
#include <gtest/gtest.h>

#include <cstring>

#include "FrameFixture.h"
#include "win32/Control.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "shell/VideoPolicy.h"

namespace shell_test {
namespace {

class OffscreenView : public WithCallLog<FrameTest> {
protected:
    // The records hold made-up handles: every one counts as having a mesh
    // unless a test says otherwise.
    void SetUp() override {
        WithCallLog::SetUp();
        neighbours::TestAnswers().modelHasMesh = [](KModelProxy*) { return true; };
    }
    // KPrimModel records: the handle at byte 24 of 32.
    static std::vector<uint8_t> Records(std::initializer_list<uintptr_t> handles) {
        std::vector<uint8_t> bytes(handles.size() * 32);
        size_t i = 0;
        for (uintptr_t handle : handles) {
            KModelProxy* model = reinterpret_cast<KModelProxy*>(handle);
            std::memcpy(bytes.data() + i++ * 32 + 24, &model, sizeof model);
        }
        return bytes;
    }
    IDirect3DSurface9* RenderTarget() const {
        IDirect3DSurface9* target = nullptr;
        m_device->GetRenderTarget(0, &target);
        target->Release();
        return target;
    }
    D3DMATRIX Transform(D3DTRANSFORMSTATETYPE type) const {
        D3DMATRIX m{};
        m_device->GetTransform(type, &m);
        return m;
    }
    static bool Same(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

TEST_F(OffscreenView, TextureIsMadeOnceForASizeAndAgainForANewOne) {
    Start();
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 48));
    IDirect3DTexture9* texture = m_frameShell->offscreenTexture;
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Height, 128u);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(desc.Format, g_RenderTextureFormat);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);
    const UINT created = lumiva::d3d9::ResourceCreationCount();
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 48));
    EXPECT_EQ(lumiva::d3d9::ResourceCreationCount(), created);
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 100, 100));
    EXPECT_GT(lumiva::d3d9::ResourceCreationCount(), created);
    m_frameShell->offscreenTexture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(m_frameShell->offscreenWidth, 100);
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);
}

TEST_F(OffscreenView, PassDrawsIntoTheTextureAndPastesItWithAlphaTest) {
    Start();
    m_frameShell->BeginFrame(0, 0xFF0000FF, nullptr);
    IDirect3DSurface9* back = RenderTarget();
    const D3DMATRIX view = Transform(D3DTS_VIEW), projection = Transform(D3DTS_PROJECTION);
    neighbours::CallLog().clear();
    const std::vector<uint8_t> records = Records({0x10, 0x20});
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(const_cast<uint8_t*>(records.data()), 2, 64, 64));
    EXPECT_NE(RenderTarget(), back);
    EXPECT_FALSE(Same(Transform(D3DTS_VIEW), view));
    const D3DRECT red{0, 0, 40, 40};
    m_device->Clear(1, &red, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    lumiva::d3d9::ClearRecording();
    m_frameShell->RenderOffscreenView(const_cast<uint8_t*>(records.data()), 2, 100, 100);
    EXPECT_EQ(RenderTarget(), back);
    EXPECT_TRUE(Same(Transform(D3DTS_VIEW), view));
    EXPECT_TRUE(Same(Transform(D3DTS_PROJECTION), projection));
    EXPECT_EQ(neighbours::CallLog(), (std::vector<std::string>{"KMesh::EnterOffscreen", "KMesh::EnterOffscreen",
                                                              "KMesh::LeaveOffscreen", "KMesh::LeaveOffscreen"}));
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    const lumiva::d3d9::Image image = BackBuffer();
    EXPECT_EQ(image.At(105, 105), 0xFFFF0000u);
    EXPECT_EQ(image.At(150, 150), 0xFF0000FFu);  // alpha 0 fails the alpha test
    EXPECT_EQ(image.At(95, 95), 0xFF0000FFu);
    DWORD value = 0;
    m_device->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 10u);
    m_device->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(FALSE));
    m_frameShell->EndFrame();
}

TEST_F(OffscreenView, RecordWithoutAMeshRefusesThePassAndSwitchesNothing) {
    Start();
    Frame(10);
    IDirect3DSurface9* back = RenderTarget();
    const D3DMATRIX view = Transform(D3DTS_VIEW);
    neighbours::TestAnswers().modelHasMesh = [](KModelProxy* model) {
        return model != reinterpret_cast<KModelProxy*>(uintptr_t{0x20});
    };
    neighbours::CallLog().clear();
    const std::vector<uint8_t> records = Records({0x10, 0x20});
    EXPECT_FALSE(m_frameShell->PrepareOffscreenView(const_cast<uint8_t*>(records.data()), 2, 64, 64));
    EXPECT_EQ(RenderTarget(), back);
    EXPECT_TRUE(Same(Transform(D3DTS_VIEW), view));
    EXPECT_TRUE(neighbours::CallLog().empty());
    lumiva::d3d9::ClearRecording();
    m_frameShell->RenderOffscreenView(const_cast<uint8_t*>(records.data()), 2, 0, 0);
    EXPECT_TRUE(lumiva::d3d9::RecordedCalls().empty());
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

TEST_F(OffscreenView, OutOfMemoryPurgesIdlePicturesAndASuccessfulRetryCounts) {
    Start();
    ASSERT_NE(CachePicture("idle.jpg"), nullptr);
    lumiva::win32::AdvanceClock(30000);
    lumiva::d3d9::FailCreationAt(1);
    EXPECT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 64));
    EXPECT_FALSE(IsCached("idle.jpg")) << "the out-of-memory retry purges idle pictures first";
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 2);
    EXPECT_FALSE(m_frameShell->PrepareOffscreenView(nullptr, 0, 32, 32));
    EXPECT_EQ(m_frameShell->offscreenTexture, nullptr);
}

TEST_F(OffscreenView, RepeatedPreparesKeepOneReferenceToTheSavedTarget) {
    Start();
    Frame(10);
    const UINT live = lumiva::d3d9::LiveResourceCount();
    IDirect3DSurface9* back = RenderTarget();
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 64));
    ASSERT_TRUE(m_frameShell->PrepareOffscreenView(nullptr, 0, 64, 64));
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);
    EXPECT_EQ(RenderTarget(), back);
    m_frameShell->RenderOffscreenView(nullptr, 0, 0, 0);  // no second paste
    m_frameShell->ReleaseOffscreenView();
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), live);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
}

}  // namespace
}  // namespace shell_test
