// Draw calls: validation of scenes, streams and counts; the call recorder
// with its state snapshots; stream 0 after a draw from user memory.
#include <vector>

#include "DeviceFixture.h"

using namespace lumiva::d3d9;

namespace draw_and_recorder_test {
namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD color;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

uint64_t PointerOf(const void* object) { return reinterpret_cast<uintptr_t>(object); }

class DrawAndRecorderTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        CreateDevice();
        ASSERT_EQ(device_->CreateVertexBuffer(28 * 8, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT,
                                              &buffer_, nullptr),
                  D3D_OK);
        device_->SetFVF(0x144);
    }
    void TearDown() override {
        if (device_) {
            device_->SetStreamSource(0, nullptr, 0, 0);
            device_->SetIndices(nullptr);
        }
        if (buffer_) {
            EXPECT_EQ(buffer_->Release(), 0u);
        }
        D3D9Test::TearDown();
    }
    IDirect3DVertexBuffer9* buffer_ = nullptr;
};

TEST_F(DrawAndRecorderTest, DrawsNeedAScene) {
    device_->SetStreamSource(0, buffer_, 0, 28);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(DrawAndRecorderTest, DrawsCheckStreamsFormatsAndCounts) {
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);  // no stream
    device_->SetStreamSource(0, buffer_, 0, 28);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);               // 6 of 8 vertices
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 2), D3DERR_INVALIDCALL);   // 9 > 8
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 4), D3D_OK);              // ends at 8 exactly
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(7), 0, 1), D3DERR_INVALIDCALL);
    device_->SetStreamSource(0, buffer_, 56, 28);  // two vertices in
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_LINELIST, 0, 3), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_LINELIST, 0, 4), D3DERR_INVALIDCALL);
    device_->SetFVF(0);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);  // no vertex format
    device_->EndScene();
}

TEST_F(DrawAndRecorderTest, IndexedDrawsCheckBothBuffers) {
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
    device_->SetStreamSource(0, buffer_, 0, 28);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);  // no indices
    device_->SetIndices(indices);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 1, 2), D3DERR_INVALIDCALL);  // 7 indices
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2), D3D_OK);  // vertices 4..7
    // The indices are all 0: vertex 5 is in the stream, whatever the range says.
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 5, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    device_->EndScene();
    device_->SetIndices(nullptr);
    EXPECT_EQ(indices->Release(), 0u);
}

// Direct3D 9 takes MinVertexIndex and NumVertices as hints: the draw is
// bound by the vertices its indices name. Indices 4 to 7 name a red quad at
// the top left of the target; ranges that do not fit the 8-vertex stream
// still draw, and only an index past the stream refuses the draw.
TEST_F(DrawAndRecorderTest, IndexedDrawRangesAreHints) {
    void* data = nullptr;
    ASSERT_EQ(buffer_->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    ScreenVertex* vertices = static_cast<ScreenVertex*>(data);
    const float corners[4][2] = {{0, 0}, {8, 0}, {0, 8}, {8, 8}};
    for (int i = 0; i < 8; ++i)
        vertices[i] = ScreenVertex{corners[i % 4][0], corners[i % 4][1], 0.5f, 1.0f, 0xFFFF0000u, 0, 0};
    buffer_->Unlock();
    IDirect3DIndexBuffer9* indices = nullptr;
    const WORD quad[9] = {4, 5, 6, 6, 5, 7, 8, 0, 1};  // the last triangle starts past the stream
    ASSERT_EQ(device_->CreateIndexBuffer(sizeof quad, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
    ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, quad, sizeof quad);
    indices->Unlock();
    device_->SetStreamSource(0, buffer_, 0, 28);
    device_->SetIndices(indices);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &target), D3D_OK);
    const struct {
        INT base;
        UINT minIndex, numVertices, startIndex, primitives;
        HRESULT result;
    } cases[] = {
        {0, 4, 4, 0, 2, D3D_OK},             // the exact range
        {0, 0, 100, 0, 2, D3D_OK},           // a range far past the stream
        {0, 6, 1, 0, 2, D3D_OK},             // a range that misses vertices drawn
        {-4, 20, 4, 0, 2, D3D_OK},           // vertices 0 to 3
        {1, 0, 4, 0, 2, D3DERR_INVALIDCALL},  // 7 + 1 is past the stream
        {-5, 0, 4, 0, 2, D3DERR_INVALIDCALL},  // 4 - 5 is before it
        {0, 0, 4, 6, 1, D3DERR_INVALIDCALL},  // index 8
        {0x7FFFFFFF, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 2, D3DERR_INVALIDCALL},
    };
    EnableRecording(true);
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(device_->BeginScene(), D3D_OK);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, c.base, c.minIndex, c.numVertices, c.startIndex,
                                                c.primitives),
                  c.result)
            << c.base << " " << c.minIndex << " " << c.numVertices;
        device_->EndScene();
        EXPECT_EQ(PixelOf(target, 4, 4), c.result == D3D_OK ? 0xFFFF0000u : 0xFF000000u) << c.base;
        EXPECT_EQ(PixelOf(target, 12, 12), 0xFF000000u);
        const RecordedCall recorded = RecordedCallsNamed("DrawIndexedPrimitive").back();
        EXPECT_EQ(recorded.result, c.result);
        EXPECT_EQ(recorded.args[2], c.minIndex);
        EXPECT_EQ(recorded.args[3], c.numVertices);
    }
    EXPECT_EQ(RecordedCallsNamed("DrawIndexedPrimitive").size(), std::size(cases));
    EnableRecording(false);
    ClearRecording();
    target->Release();
    device_->SetIndices(nullptr);
    EXPECT_EQ(indices->Release(), 0u);
}

// A viewport past the target is drawn clipped to the target: twice the
// target's size, its top-left quarter (x -1 to 0, y 0 to 1) is the target;
// geometry in the other quarters draws nothing, and a clear stays on it.
TEST_F(DrawAndRecorderTest, ViewportsPastTheTargetAreClippedToIt) {
    struct Vertex {
        float x, y, z;
        DWORD color;
    };
    auto quad = [](float x0, float y0, float x1, float y1, DWORD color) {
        return std::vector<Vertex>{{x0, y1, 0.5f, color}, {x1, y1, 0.5f, color}, {x0, y0, 0.5f, color},
                                   {x1, y0, 0.5f, color}};
    };
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    const D3DVIEWPORT9 twice{0, 0, 2 * kWidth, 2 * kHeight, 0.0f, 1.0f};
    ASSERT_EQ(device_->SetViewport(&twice), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030u, 1.0f, 0), D3D_OK);
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &target), D3D_OK);
    EXPECT_EQ(PixelOf(target, kWidth - 1, kHeight - 1), 0xFF102030u);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    const std::vector<Vertex> offTarget = quad(0, -1, 1, 1, 0xFF00FF00u);  // the right half: all off
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, offTarget.data(), sizeof(Vertex)), D3D_OK);
    const std::vector<Vertex> corner = quad(-0.5f, 0, 0, 0.5f, 0xFFFF0000u);  // the target's bottom-right quarter
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, corner.data(), sizeof(Vertex)), D3D_OK);
    device_->EndScene();
    const Image image = SurfaceImage(target);
    EXPECT_EQ(image.At(kWidth / 2 - 1, kHeight / 2 - 1), 0xFF102030u);
    EXPECT_EQ(image.At(kWidth / 2, kHeight / 2), 0xFFFF0000u);
    EXPECT_EQ(image.At(kWidth - 1, kHeight - 1), 0xFFFF0000u);
    EXPECT_EQ(image.At(kWidth - 1, 0), 0xFF102030u);
    target->Release();
}

TEST_F(DrawAndRecorderTest, UserMemoryDrawsUnbindStreamZero) {
    ScreenVertex quad[4] = {};
    device_->SetStreamSource(0, buffer_, 0, 28);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
    IDirect3DVertexBuffer9* bound = nullptr;
    UINT offset = 9, stride = 9;
    device_->GetStreamSource(0, &bound, &offset, &stride);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(stride, 0u);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nullptr, 28), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, 0), D3DERR_INVALIDCALL);
    const WORD indices[6] = {0, 1, 2, 2, 1, 3};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, quad, 28), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_A8R8G8B8, quad, 28),
              D3DERR_INVALIDCALL);
    device_->EndScene();
}

// Only stream 0 comes from user memory: a declaration reading stream 1 is
// refused by both user-memory draws, not drawn from an empty stream.
TEST_F(DrawAndRecorderTest, UserMemoryDrawsRefuseDeclarationsReadingOtherStreams) {
    const D3DVERTEXELEMENT9 twoStreams[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
                                            {1, 0, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                            D3DDECL_END()};
    const D3DVERTEXELEMENT9 oneStream[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
                                           {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                           D3DDECL_END()};
    IDirect3DVertexDeclaration9* split = nullptr;
    IDirect3DVertexDeclaration9* single = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(twoStreams, &split), D3D_OK);
    ASSERT_EQ(device_->CreateVertexDeclaration(oneStream, &single), D3D_OK);
    ScreenVertex quad[4] = {};
    const WORD indices[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    for (auto [declaration, expected] : {std::pair{split, D3DERR_INVALIDCALL}, std::pair{single, D3D_OK}}) {
        device_->SetVertexDeclaration(declaration);
        EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, 28), expected);
        EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, quad, 28),
                  expected);
    }
    device_->EndScene();
    device_->SetVertexDeclaration(nullptr);
    EXPECT_EQ(split->Release(), 0u);
    EXPECT_EQ(single->Release(), 0u);
}

TEST_F(DrawAndRecorderTest, RecorderKeepsCallsArgumentsAndDrawState) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_FALSE(IsRecording());
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);  // not recorded
    EnableRecording(true);
    DWORD saved = 0;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &saved);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetTexture(0, texture);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    ScreenVertex quad[4] = {};
    device_->BeginScene();
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, 28);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, saved);
    device_->EndScene();
    device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(0), 1);  // refused, still recorded

    const auto& calls = RecordedCalls();
    std::vector<std::string> names;
    for (const RecordedCall& call : calls) names.push_back(call.name);
    const std::vector<std::string> expected = {"GetRenderState", "SetRenderState", "SetTexture",
                                               "SetSamplerState", "BeginScene", "DrawPrimitiveUP",
                                               "SetRenderState", "EndScene", "SetRenderState"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(calls[1].args, (std::vector<uint64_t>{D3DRS_ALPHABLENDENABLE, TRUE}));
    EXPECT_EQ(calls[8].result, D3DERR_INVALIDCALL);
    EXPECT_EQ(calls[1].state, nullptr);
    const RecordedCall& draw = calls[5];
    ASSERT_NE(draw.state, nullptr);
    EXPECT_EQ(draw.args[0], static_cast<uint64_t>(D3DPT_TRIANGLESTRIP));
    EXPECT_EQ(draw.args[1], 2u);
    EXPECT_EQ(draw.state->RenderState(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(draw.state->RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(draw.state->SamplerState(0, D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(draw.state->textures[0], texture);
    EXPECT_EQ(draw.state->fvf, 0x144u);
    // The state left after the drawer: blending given back.
    EXPECT_EQ(RecordedCallsNamed("SetRenderState").back().args[1], 1u);
    EXPECT_EQ(RecordedCallsNamed("SetRenderState")[1].args[1], saved);

    ClearRecording();
    EXPECT_TRUE(RecordedCalls().empty());
    EnableRecording(false);
    device_->SetTexture(0, nullptr);
    EXPECT_TRUE(RecordedCalls().empty());
    texture->Release();
}

TEST_F(DrawAndRecorderTest, RecorderKeepsMatricesAndPresentRectangles) {
    EnableRecording(true);
    D3DMATRIX m{};
    m._11 = 2.0f;
    m._44 = 1.0f;
    device_->SetTransform(D3DTS_PROJECTION, &m);
    const RECT r{1, 2, 3, 4};
    device_->Present(&r, &r, nullptr, nullptr);
    const auto& calls = RecordedCalls();
    ASSERT_EQ(calls.size(), 2u);
    ASSERT_EQ(calls[0].args.size(), 17u);
    EXPECT_EQ(calls[0].args[0], static_cast<uint64_t>(D3DTS_PROJECTION));
    EXPECT_EQ(calls[0].args[1], 0x40000000u);  // 2.0f
    EXPECT_EQ(calls[1].name, "Present");
    EXPECT_EQ(calls[1].args[2], 3u);
    EXPECT_EQ(calls[1].args[7], 4u);
}

TEST_F(DrawAndRecorderTest, RecorderSeesLocksAndFormatChecks) {
    EnableRecording(true);
    void* data = nullptr;
    buffer_->Lock(0, 112, &data, D3DLOCK_NOOVERWRITE);
    buffer_->Unlock();
    buffer_->Lock(0, 0, &data, D3DLOCK_DISCARD);
    buffer_->Unlock();
    d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8);
    IDirect3DTexture9* texture = nullptr;
    device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT locked;
    const RECT part{0, 4, 8, 8};
    texture->LockRect(0, &locked, &part, D3DLOCK_READONLY);
    texture->UnlockRect(0);

    const auto locks = RecordedCallsNamed("VertexBuffer::Lock");
    ASSERT_EQ(locks.size(), 2u);
    EXPECT_EQ(locks[0].args, (std::vector<uint64_t>{PointerOf(buffer_), 0, 112, D3DLOCK_NOOVERWRITE}));
    EXPECT_EQ(locks[1].args[3], static_cast<uint64_t>(D3DLOCK_DISCARD));
    EXPECT_EQ(RecordedCallsNamed("VertexBuffer::Unlock").size(), 2u);
    const auto checks = RecordedCallsNamed("Direct3D::CheckDeviceFormat");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].args[5], static_cast<uint64_t>(D3DFMT_D24S8));
    const auto textureLocks = RecordedCallsNamed("Texture::LockRect");
    ASSERT_EQ(textureLocks.size(), 1u);
    EXPECT_EQ(textureLocks[0].args, (std::vector<uint64_t>{PointerOf(texture), 0, 0, 4, 8, 8, D3DLOCK_READONLY}));
    texture->Release();
}

TEST_F(DrawAndRecorderTest, NoRasterStillValidatesAndRecords) {
    SetNoRaster(true);
    EnableRecording(true);
    device_->SetStreamSource(0, buffer_, 0, 28);
    device_->BeginScene();
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3DERR_INVALIDCALL);
    device_->EndScene();
    EXPECT_EQ(RecordedCallsNamed("DrawPrimitive").size(), 2u);
    EXPECT_TRUE(NoRaster());
}

TEST_F(DrawAndRecorderTest, DrawsWithEqualStatesShareOneSnapshot) {
    SetNoRaster(true);
    EnableRecording(true);
    device_->SetStreamSource(0, buffer_, 0, 28);
    device_->BeginScene();
    // A drawer that sets a state and gives it back: A, B, A, B, ...
    for (int i = 0; i < 6; ++i) {
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, i % 2 ? TRUE : FALSE);
        device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
    }
    device_->EndScene();
    const std::vector<RecordedCall> draws = RecordedCallsNamed("DrawPrimitive");
    ASSERT_EQ(draws.size(), 6u);
    EXPECT_NE(draws[0].state, draws[1].state);
    for (size_t i = 2; i < draws.size(); ++i) EXPECT_EQ(draws[i].state, draws[i % 2].state) << i;
    EXPECT_EQ(draws[1].state->RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
}

TEST_F(DrawAndRecorderTest, RecorderStopsAtItsSnapshotLimitAndClearingStartsAfresh) {
    SetNoRaster(true);
    EnableRecording(true);
    device_->SetStreamSource(0, buffer_, 0, 28);
    device_->BeginScene();
    auto drawDistinct = [&](int count) {
        for (int i = 0; i < count; ++i) {
            device_->SetRenderState(D3DRS_TEXTUREFACTOR, DWORD(i));
            device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        }
    };
    drawDistinct(4100);
    EXPECT_FALSE(IsRecording());
    EXPECT_EQ(RecordedCallsNamed("DrawPrimitive").size(), 4096u);
    ClearRecording();
    EnableRecording(true);
    drawDistinct(10);
    EXPECT_TRUE(IsRecording());
    EXPECT_EQ(RecordedCallsNamed("DrawPrimitive").size(), 10u);
    device_->EndScene();
}

}  // namespace
}  // namespace draw_and_recorder_test
