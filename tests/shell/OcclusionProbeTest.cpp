// The occlusion probe on 32-bit and 16-bit back buffers: unchanged pixels
// test false, something drawn over the view origin tests true, and points
// off the back buffer are not read.
#include <gtest/gtest.h>

#include "FrameFixture.h"
#include "shell/ShellGlobals.h"

namespace shell_test {
namespace {

class OcclusionProbe : public FrameTest {
protected:
    void DrawOverTheCentre() {
        const D3DRECT centre{390, 290, 410, 310};
        m_device->Clear(1, &centre, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    }
};

TEST_F(OcclusionProbe, DetectsDrawingOverTheViewOriginIn32BitAnd16BitFormats) {
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        SCOPED_TRACE(format);
        ResetShellForTests();
        lumiva::d3d9::ResetForTests();
        auto adapter = lumiva::d3d9::DefaultAdapter();
        adapter.displayMode.Format = format;
        lumiva::d3d9::SetAdapters({adapter});
        m_frameShell = MakeShell();
        ASSERT_TRUE(m_frameShell->Create(800, 600, 1, 0, 0));
        m_device = m_frameShell->GetDevice();
        D3DSURFACE_DESC desc{};
        IDirect3DSurface9* back = nullptr;
        m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        back->GetDesc(&desc);
        back->Release();
        EXPECT_EQ(desc.Format, format);

        m_frameShell->BeginFrame(0, 0xFF204080, nullptr);
        m_frameShell->SampleOcclusionPixels();
        EXPECT_NEAR(m_frameShell->occlusionSamples.points[0][0], 400.0f, 0.01f);
        EXPECT_NEAR(m_frameShell->occlusionSamples.points[0][1], 300.0f, 0.01f);
        EXPECT_FALSE(m_frameShell->TestOcclusionPixels());
        DrawOverTheCentre();
        EXPECT_TRUE(m_frameShell->TestOcclusionPixels());
        m_frameShell->EndFrame();
    }
}

TEST_F(OcclusionProbe, PointsOffTheBackBufferAreNotRead) {
    Start();
    m_frameShell->pendingViewCentre[0] = m_frameShell->viewCentre[0] = 0.0f;
    m_frameShell->BeginFrame(0, 0xFF000000, nullptr);
    m_frameShell->viewOrigin[0] = 1.0e6f;  // projects far to the right
    m_frameShell->occlusionSamples.samples[0] = 0x12345678;
    m_frameShell->SampleOcclusionPixels();
    EXPECT_EQ(m_frameShell->occlusionSamples.samples[0], 0x12345678u);
    EXPECT_GT(m_frameShell->occlusionSamples.points[0][0], 800.0f);
    EXPECT_FALSE(m_frameShell->TestOcclusionPixels());
    m_frameShell->EndFrame();
}

}  // namespace
}  // namespace shell_test
