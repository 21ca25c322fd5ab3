// Screen lists drawn through DrawPrimitives' drawers: short lists record by
// record, long ones composed, scaled and clipped lists, the grey surface.
#include <cstring>
#include <vector>

#include "ListsFixture.h"
#include "draw2d/PendingDrawers.h"
#include "lumiva/PrimitiveRecords.h"

namespace {

using lists_test::ListsTest;

struct ListRecords {
    explicit ListRecords(size_t size = 208) : recordSize(size) {}
    size_t recordSize;
    std::vector<uint8_t> bytes;
    uint8_t* Add(const char* name, int16_t imageType, int32_t x, int32_t y, int16_t frame = 0) {
        const size_t at = bytes.size();
        bytes.resize(at + recordSize, 0);
        uint8_t* r = bytes.data() + at;
        const float fx = float(x), fy = float(y);
        std::memcpy(r + 0, &x, 4);
        std::memcpy(r + 4, &y, 4);
        std::memcpy(r + 12, &fx, 4);
        std::memcpy(r + 16, &fy, 4);
        const uint32_t colour = 0xFFFFFFFFu;
        std::memcpy(r + 48, &colour, 4);
        std::memcpy(r + 54, &imageType, 2);
        std::strcpy(reinterpret_cast<char*>(r + 56), name);
        std::memcpy(r + 190, &frame, 2);
        return r;
    }
    // Point B, both forms.
    static void SetB(uint8_t* r, int32_t x, int32_t y) {
        const float fx = float(x), fy = float(y);
        std::memcpy(r + 24, &x, 4);
        std::memcpy(r + 28, &y, 4);
        std::memcpy(r + 36, &fx, 4);
        std::memcpy(r + 40, &fy, 4);
    }
    template <typename T>
    T* As() {
        return reinterpret_cast<T*>(bytes.data());
    }
    int Count() const { return int(bytes.size() / recordSize); }
};

class ScreenLists : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        WriteFlatSprite("red.spr", 4, 4, 0xFFFF0000u, 2);
    }
    size_t DrawCalls() const { return lumiva::d3d9::RecordedCallsNamed("DrawPrimitive").size(); }
    void StartRecordedScene() {
        BeginScene(0xFF000000);
        lumiva::d3d9::EnableRecording(true);
        lumiva::d3d9::ClearRecording();
    }
    static uint32_t Red(const lumiva::d3d9::Image& image, int x, int y) { return (image.At(x, y) >> 16) & 0xFFu; }
    static uint32_t Rgb(const lumiva::d3d9::Image& image, int x, int y) { return image.At(x, y) & 0xFFFFFFu; }
};

TEST_F(ScreenLists, ThreeRecordsAreDrawnSinglyFourAreComposed) {
    for (bool floats : {false, true}) {
        for (int count : {3, 4}) {
            ListRecords records;
            for (int i = 0; i < count; ++i) records.Add("red.spr", 1, 10 + 8 * i, 20);
            StartRecordedScene();
            if (floats)
                DrawPictureListF(*Shell(), records.Count(), records.As<KPrimPicture>(), 1);
            else
                DrawPictureList(*Shell(), records.Count(), records.As<KPrimPicture>(), 1);
            EndScene();
            EXPECT_EQ(DrawCalls(), count == 3 ? 3u : 1u) << count << " floats " << floats;
            const lumiva::d3d9::Image image = BackBuffer();
            // Filtering softens the frame edges; centres are red, gaps dark.
            for (int i = 0; i < count; ++i) {
                EXPECT_GE(Red(image, 12 + 8 * i, 22), 0xC0u) << i;
                EXPECT_EQ(Rgb(image, 12 + 8 * i, 22) & 0xFFFFu, 0u) << i;
                EXPECT_LE(Red(image, 16 + 8 * i, 22), 0x40u) << i;
            }
        }
    }
}

TEST_F(ScreenLists, AGroupTheCompositionRefusesIsDrawnRecordByRecord) {
    ListRecords records;
    for (int i = 0; i < 3; ++i) records.Add("red.spr", 1, 10 + 8 * i, 20);
    records.Add("red.spr", 1, 40, 20, 1);  // a second frame is not composed
    StartRecordedScene();
    DrawPictureList(*Shell(), records.Count(), records.As<KPrimPicture>(), 1);
    EndScene();
    EXPECT_EQ(DrawCalls(), 4u);
    EXPECT_EQ(Rgb(BackBuffer(), 41, 21), 0xFF0000u);
}

TEST_F(ScreenLists, ScaledListStretchesToPointBAndStopsAtAMissingJpeg) {
    ListRecords records;
    ListRecords::SetB(records.Add("red.spr", 1, 10, 10), 18, 18);
    records.Add("missing.jpg", 0, 0, 0);
    ListRecords::SetB(records.Add("red.spr", 1, 40, 10), 44, 14);
    for (bool floats : {false, true}) {
        StartRecordedScene();
        if (floats)
            DrawScaledPictureListPoint(*Shell(), records.Count(), records.As<KPrimPicture>());
        else
            DrawScaledPictureList(*Shell(), records.Count(), records.As<KPrimPicture>());
        EndScene();
        const lumiva::d3d9::Image image = BackBuffer();
        EXPECT_EQ(Rgb(image, 10, 10), 0xFF0000u) << floats;
        EXPECT_EQ(Rgb(image, 17, 17), 0xFF0000u) << floats;
        // The scaled renderer grows the stretched quad half a pixel on every
        // side, 9.5 to 18.5: column and row 18 are inside it, nothing past.
        EXPECT_EQ(Rgb(image, 18, 18), 0xFF0000u) << floats;
        for (int x = 19; x < 24; ++x) EXPECT_EQ(Rgb(image, x, 17), 0u) << floats << " x " << x;
        EXPECT_EQ(Rgb(image, 17, 19), 0u) << floats;
        EXPECT_EQ(Rgb(image, 9, 9), 0u) << floats;
        // The integer list ends at the missing JPEG; the float list skips it.
        EXPECT_EQ(Rgb(image, 41, 11), floats ? 0xFF0000u : 0u) << floats;
        EXPECT_EQ(DrawCalls(), floats ? 2u : 1u) << floats;
    }
}

TEST_F(ScreenLists, ClippedListCutsTheStretchedFrameAtTheOffsetsFromPointA) {
    ListRecords records(240);
    uint8_t* r = records.Add("red.spr", 1, 10, 10);
    ListRecords::SetB(r, 18, 18);
    const float clip[4] = {0.0f, 0.0f, 5.0f, 3.0f};  // left, top, right, bottom offsets
    std::memcpy(r + 224, clip, sizeof clip);
    r[53] = 1;  // anchoring moves the frame, never the clip
    StartRecordedScene();
    DrawClippedPictureList(*Shell(), records.Count(), records.As<KPrimPictureEx>());
    EndScene();
    const lumiva::d3d9::Image image = BackBuffer();
    // The sprite's centre is (0, 0): anchoring changes nothing here, so the
    // frame covers 10..17 and the clip keeps 10..14 by 10..12.
    EXPECT_EQ(Rgb(image, 10, 10), 0xFF0000u);
    EXPECT_EQ(Rgb(image, 14, 12), 0xFF0000u);
    EXPECT_EQ(Rgb(image, 15, 12), 0u);
    EXPECT_EQ(Rgb(image, 14, 13), 0u);
}

TEST_F(ScreenLists, GreySurfaceTexelsAndPixels) {
    const uint8_t grey[4] = {255, 254, 0, 128};
    KPrimSurface surface{};
    surface.x = 30;
    surface.y = 40;
    surface.width = 2;
    surface.height = 2;
    surface.pixels = grey;
    surface.dirty = 1;
    UpdateSurfacePrimitive(*Shell(), &surface);
    ASSERT_NE(Shell()->surfaceTexture, nullptr);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(Shell()->surfaceTexture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto texel = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x];
    };
    EXPECT_EQ(texel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(texel(1, 0), 0xFFFEFEFEu);
    EXPECT_EQ(texel(0, 1), 0xFF000000u);
    EXPECT_EQ(texel(1, 1), 0xFF808080u);
    Shell()->surfaceTexture->UnlockRect(0);

    BeginScene(0xFF102030);
    Device()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    Device()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    lumiva::d3d9::EnableRecording(true);
    lumiva::d3d9::ClearRecording();
    DrawSurfacePrimitive(*Shell(), &surface);
    EndScene();
    EXPECT_EQ(DrawCalls(), 1u);
    const lumiva::d3d9::Image image = BackBuffer();
    EXPECT_EQ(Rgb(image, 31, 40), 0xFEFEFEu);
    EXPECT_EQ(Rgb(image, 30, 41), 0u);
    EXPECT_EQ(Rgb(image, 31, 41), 0x808080u);
    EXPECT_EQ(Rgb(image, 32, 41), 0x102030u);

    // Device loss gives the default-pool texture back.
    Shell()->InvalidateDeviceObjects();
    EXPECT_EQ(Shell()->surfaceTexture, nullptr);
}

}  // namespace
