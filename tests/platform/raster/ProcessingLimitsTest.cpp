// The limits of the vertex-processing mode a draw runs in: hardware has the
// caps' blend matrices, blend index and shader constants; software on a
// mixed device has four matrices, indices 0 to 255 and the whole constant
// file, and reads only buffers made for software processing.
#include <vector>

#include "support/SceneDevice.h"

namespace {

// One point at the centre of the target, blended by up to four matrices.
struct Blended {
    float x, y, z;
    float weights[3];
    BYTE indices[4];
};
constexpr DWORD kBlendedFvf = D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4;

class ProcessingLimits : public SceneDevice {
protected:
    // A mixed device whose hardware blends two matrices with indices up to 7.
    void MakeLimitedDevice(DWORD flags = D3DCREATE_MIXED_VERTEXPROCESSING) {
        MakeDevice(flags, [](D3DCAPS9& caps) {
            caps.MaxVertexBlendMatrices = 2;
            caps.MaxVertexBlendMatrixIndex = 7;
        });
        device_->SetFVF(kBlendedFvf);
    }

    void TearDown() override {
        if (device_) {
            device_->SetStreamSource(0, nullptr, 0, 0);
            device_->SetIndices(nullptr);
        }
        SceneDevice::TearDown();
    }

    HRESULT DrawPoint(BYTE index, DWORD usage = 0) {
        const std::vector<Blended> point = {{0, 0, 0.5f, {1, 0, 0}, {index, 0, 0, 0}}};
        device_->SetStreamSource(0, Vertices(point, usage), 0, sizeof(Blended));
        return device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1);
    }

    void Blend(DWORD vertexBlend, bool indexed) {
        device_->SetRenderState(D3DRS_VERTEXBLEND, vertexBlend);
        device_->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, indexed);
    }
};

TEST_F(ProcessingLimits, HardwareRefusesMoreBlendMatricesThanItsCaps) {
    MakeLimitedDevice();
    Blend(D3DVBF_3WEIGHTS, false);
    lumiva::d3d9::EnableRecording(true);
    EXPECT_EQ(DrawPoint(0, D3DUSAGE_SOFTWAREPROCESSING), D3DERR_INVALIDCALL);
    EXPECT_EQ(Pixel(16, 16), 0xFF000000u);
    // Recorded as refused, with no state snapshot.
    const auto refused = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].result, D3DERR_INVALIDCALL);
    // Within the caps it draws; so do four matrices in software.
    Blend(D3DVBF_1WEIGHTS, false);
    EXPECT_EQ(DrawPoint(0), D3D_OK);
    Blend(D3DVBF_3WEIGHTS, false);
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(TRUE), D3D_OK);
    Clear();
    EXPECT_EQ(DrawPoint(0, D3DUSAGE_SOFTWAREPROCESSING), D3D_OK);
    EXPECT_EQ(Pixel(16, 16), 0xFFFFFFFFu);
    // Limits bind transformed vertices only.
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(FALSE), D3D_OK);
    struct Screen {
        float x, y, z, rhw;
    } screen = {4, 4, 0, 1};
    device_->SetFVF(D3DFVF_XYZRHW);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &screen, sizeof screen), D3D_OK);
}

TEST_F(ProcessingLimits, HardwareRefusesBlendIndicesPastItsCaps) {
    MakeLimitedDevice();
    Blend(D3DVBF_0WEIGHTS, true);
    EXPECT_EQ(DrawPoint(7), D3D_OK);
    EXPECT_EQ(DrawPoint(8), D3DERR_INVALIDCALL);
    // Only the slots the blend reads count: slot 1 is not read with one matrix.
    const std::vector<Blended> unread = {{0, 0, 0.5f, {1, 0, 0}, {2, 200, 0, 0}}};
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, unread.data(), sizeof(Blended)), D3D_OK);
    Blend(D3DVBF_1WEIGHTS, true);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, unread.data(), sizeof(Blended)), D3DERR_INVALIDCALL);
    // Software processing takes any byte.
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(TRUE), D3D_OK);
    EXPECT_EQ(DrawPoint(255, D3DUSAGE_SOFTWAREPROCESSING), D3D_OK);

    // Without indexed blending in hardware, even index 0 is refused there.
    MakeDevice(D3DCREATE_MIXED_VERTEXPROCESSING, [](D3DCAPS9& caps) { caps.MaxVertexBlendMatrixIndex = 0; });
    device_->SetFVF(kBlendedFvf);
    Blend(D3DVBF_1WEIGHTS, true);
    EXPECT_EQ(DrawPoint(0), D3DERR_INVALIDCALL);
    Blend(D3DVBF_1WEIGHTS, false);
    EXPECT_EQ(DrawPoint(0), D3D_OK);
}

// The check of a buffer's blend indices is kept between draws; every way
// the indices a draw reads can differ must be seen: another range, another
// stream offset, more matrices, a lock that rewrites them, a write while
// the buffer is locked.
TEST_F(ProcessingLimits, BlendIndexCheckSeesEveryChangeToWhatTheDrawReads) {
    MakeLimitedDevice();
    Blend(D3DVBF_0WEIGHTS, true);
    const std::vector<Blended> points = {{0, 0, 0.5f, {1, 0, 0}, {3, 12, 0, 0}},
                                         {0, 0, 0.5f, {1, 0, 0}, {9, 0, 0, 0}}};
    IDirect3DVertexBuffer9* buffer = Vertices(points);
    device_->SetStreamSource(0, buffer, 0, sizeof(Blended));
    const auto rewrite = [&](BYTE index) {
        void* p = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &p, 0), D3D_OK);
        static_cast<Blended*>(p)[0].indices[0] = index;
        buffer->Unlock();
    };
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 1, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
    device_->SetStreamSource(0, buffer, sizeof(Blended), sizeof(Blended));
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    device_->SetStreamSource(0, buffer, 0, sizeof(Blended));
    Blend(D3DVBF_1WEIGHTS, true);  // slot 1 read too
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    Blend(D3DVBF_0WEIGHTS, true);
    rewrite(8);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    rewrite(2);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
    // Indexed draws check the range their indices name.
    device_->SetIndices(Indices({0}));
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_POINTLIST, 0, 0, 1, 0, 1), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_POINTLIST, 1, 0, 1, 0, 1), D3DERR_INVALIDCALL);
    // Written while locked: read afresh, not from what was kept.
    void* p = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &p, 0), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
    static_cast<Blended*>(p)[0].indices[0] = 200;
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    buffer->Unlock();
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
}

TEST_F(ProcessingLimits, SoftwareProcessingOnAMixedDeviceNeedsSoftwareBuffers) {
    MakeLimitedDevice();
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(TRUE), D3D_OK);
    EXPECT_EQ(DrawPoint(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(Pixel(16, 16), 0xFF000000u);
    EXPECT_EQ(DrawPoint(0, D3DUSAGE_SOFTWAREPROCESSING), D3D_OK);
    // The index buffer too.
    device_->SetIndices(Indices({0}));
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_POINTLIST, 0, 0, 1, 0, 1), D3DERR_INVALIDCALL);
    device_->SetIndices(Indices({0}, D3DUSAGE_SOFTWAREPROCESSING));
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_POINTLIST, 0, 0, 1, 0, 1), D3D_OK);
    // User memory is no buffer.
    const Blended point = {0, 0, 0.5f, {1, 0, 0}, {0, 0, 0, 0}};
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof point), D3D_OK);
    // Back in hardware any buffer serves.
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(FALSE), D3D_OK);
    EXPECT_EQ(DrawPoint(0), D3D_OK);

    // A software device reads plain buffers with the software limits.
    MakeLimitedDevice(D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    Blend(D3DVBF_3WEIGHTS, true);
    EXPECT_EQ(DrawPoint(200), D3D_OK);
}

TEST_F(ProcessingLimits, ShaderConstantsPastTheCapsAreRefusedInHardware) {
    MakeDevice(D3DCREATE_MIXED_VERTEXPROCESSING, [](D3DCAPS9& caps) { caps.MaxVertexShaderConst = 96; });
    const std::vector<float> registers(4 * 60, 1.0f);
    EXPECT_EQ(device_->SetVertexShaderConstantF(95, registers.data(), 1), D3D_OK);
    EXPECT_EQ(device_->SetVertexShaderConstantF(96, registers.data(), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetVertexShaderConstantF(90, registers.data(), 10), D3DERR_INVALIDCALL);
    float read[4] = {};
    ASSERT_EQ(device_->GetVertexShaderConstantF(90, read, 1), D3D_OK);
    EXPECT_EQ(read[0], 0.0f);  // the refused range left nothing behind
    ASSERT_EQ(device_->SetSoftwareVertexProcessing(TRUE), D3D_OK);
    EXPECT_EQ(device_->SetVertexShaderConstantF(196, registers.data(), 60), D3D_OK);
    EXPECT_EQ(device_->SetVertexShaderConstantF(197, registers.data(), 60), D3DERR_INVALIDCALL);
}

}  // namespace
