// The shell's named-picture slots over the image cache.
#include <cstring>
#include <string>

#include "ImageCacheFixture.h"
#include "lumiva/basrel/FileNameId.h"
#include "d3d9/Control.h"
#include "shell/D3DShell.h"
#include "shell/ShellGlobals.h"
#include "textures/KJpgImage.h"
#include "textures/PictureServices.h"

namespace shell_test {
namespace {

class ShellImageOperations : public ImageCacheTest {
protected:
    IDirect3DSurface9* CurrentTarget() {
        IDirect3DSurface9* target = nullptr;
        m_shell->GetDevice()->GetRenderTarget(0, &target);
        if (target) target->Release();  // compared only
        return target;
    }
    IDirect3DSurface9* LevelOf(const char* name, int type) {
        auto* picture = static_cast<KJpgImage*>(Get(name, type));
        IDirect3DSurface9* level = nullptr;
        if (picture && picture->GetTexture()) picture->GetTexture()->GetSurfaceLevel(0, &level);
        if (level) level->Release();
        return level;
    }
};

TEST_F(ShellImageOperations, LostDeviceAndEmptyNamesAreRefused) {
    WriteJpeg("a.jpg");
    m_shell->deviceLost = 1;
    EXPECT_EQ(m_shell->CreateImage("made", 8, 8, 0, 1), 0u);
    EXPECT_EQ(IndexOf("made"), -1);
    EXPECT_EQ(m_shell->LockImage("a.jpg", nullptr), nullptr);
    EXPECT_EQ(m_shell->GetImageAlphaAt("a.jpg", 0, 1, 1, 0), 0);
    EXPECT_FALSE(m_shell->CanDraw("a.jpg", 0, 0, 0, 0, 0, 0));
    const int32_t offset[2] = {m_shell->screenOffset[0], m_shell->screenOffset[1]};
    EXPECT_EQ(m_shell->SetViewCenter(100, 100, 0), 0);
    EXPECT_EQ(m_shell->screenOffset[0], offset[0]);
    EXPECT_EQ(m_shell->screenOffset[1], offset[1]);
    m_shell->deviceLost = 0;
    EXPECT_TRUE(m_shell->CanDraw("a.jpg", 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(m_shell->CanDraw("", 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(m_shell->CanDraw(nullptr, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(m_shell->GetImageAlphaAt("", 0, 1, 1, 0), 0);
    int16_t values[7];
    int32_t rect[2];
    EXPECT_FALSE(m_shell->GetImageInfo("a.jpg", nullptr, 0));
    EXPECT_FALSE(m_shell->GetImageInfo("", values, 0));
    EXPECT_FALSE(m_shell->GetImageFrameRect("a.jpg", 0, nullptr, rect, 0));
    EXPECT_FALSE(m_shell->GetImageFrameRect(nullptr, 0, rect, rect, 0));
}

TEST_F(ShellImageOperations, CreateImageReturnsTheId) {
    EXPECT_EQ(m_shell->CreateImage("made", 8, 8, 0, 1), g_FileName2Id("made"));
    EXPECT_EQ(m_shell->CreateImage("made", 8, 8, 0, 1), 0u);
}

TEST_F(ShellImageOperations, InfoOfJpegAndSprite) {
    WriteJpeg("a.jpg", 8, 4);
    WriteSprite("s.spr");
    int16_t values[7];
    ASSERT_TRUE(m_shell->GetImageInfo("a.jpg", values, 0));
    EXPECT_EQ(std::vector<int16_t>(values, values + 7), (std::vector<int16_t>{1, 0, 8, 4, 0, 0, 1}));
    ASSERT_TRUE(m_shell->GetImageInfo("s.spr", values, 1));
    EXPECT_EQ(std::vector<int16_t>(values, values + 7), (std::vector<int16_t>{2, 18, 40, 30, 11, 12, 16}));
    // An unknown type fails and leaves the output alone.
    std::memset(values, 0x55, sizeof values);
    EXPECT_FALSE(m_shell->GetImageInfo("a.jpg", values, 7));
    EXPECT_EQ(values[0], 0x5555);
    EXPECT_FALSE(m_shell->GetImageInfo("none.jpg", values, 0));
}

TEST_F(ShellImageOperations, FrameRectangles) {
    WriteJpeg("a.jpg", 8, 4);
    WriteSprite("s.spr");
    struct Case {
        const char* name;
        int frame, type;
        bool ok;
        int32_t x, y, w, h;
    } cases[] = {
        {"a.jpg", 0, 0, true, 0, 0, 8, 4},  {"s.spr", 0, 1, true, 5, 7, 3, 2},  {"s.spr", 1, 1, true, 0, 0, 2, 1},
        {"s.spr", 2, 1, false, 0, 0, 0, 0}, {"a.jpg", 0, 2, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " frame " + std::to_string(c.frame));
        int32_t offset[2] = {-1, -1}, size[2] = {-1, -1};
        ASSERT_EQ(m_shell->GetImageFrameRect(c.name, c.frame, offset, size, c.type), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(offset[0], c.x);
        EXPECT_EQ(offset[1], c.y);
        EXPECT_EQ(size[0], c.w);
        EXPECT_EQ(size[1], c.h);
    }
    int32_t offset[2];
    EXPECT_TRUE(m_shell->GetImageFrameRect("s.spr", 0, offset, nullptr, 1));
    EXPECT_EQ(offset[0], 5);
}

TEST_F(ShellImageOperations, AlphaOfJpegAndSprite) {
    WriteJpeg("a.jpg", 8, 4);
    WriteSprite("s.spr");
    struct Case {
        const char* name;
        int x, y, type, alpha;
    } cases[] = {
        {"a.jpg", 0, 0, 0, 255}, {"a.jpg", 7, 3, 0, 255}, {"a.jpg", 8, 0, 0, 0}, {"a.jpg", 0, -1, 0, 0},
        {"s.spr", 5, 7, 1, 255}, {"s.spr", 6, 7, 1, 0},   {"s.spr", 0, 0, 1, 0}, {"a.jpg", 1, 1, 2, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_shell->GetImageAlphaAt(c.name, 0, c.x, c.y, c.type), c.alpha) << c.name << " " << c.x << "," << c.y;
}

TEST_F(ShellImageOperations, LockWriteUnlockUploadsAndClearZeroes) {
    ASSERT_NE(m_shell->CreateImage("nocopy", 4, 4, 2, 0), 0u);
    EXPECT_EQ(m_shell->LockImage("nocopy", nullptr), nullptr);

    ASSERT_NE(m_shell->CreateImage("paint", 4, 2, 2, 1), 0u);
    int32_t info[5] = {};
    g_SixteenBitFormat = D3DFMT_X1R5G5B5;
    ASSERT_NE(m_shell->LockImage("paint", info), nullptr);
    EXPECT_EQ(info[3], 1);
    m_shell->UnlockImage("paint", 0);
    g_SixteenBitFormat = D3DFMT_R5G6B5;
    auto* bits = static_cast<uint8_t*>(m_shell->LockImage("paint", info));
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(info[0], 4);
    EXPECT_EQ(info[1], 2);
    EXPECT_GE(info[2], 16);
    EXPECT_EQ(info[3], 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const D3DCOLOR colour = 0xFF000000u | static_cast<D3DCOLOR>(x * 0x40 + y);
            std::memcpy(bits + y * info[2] + x * 4, &colour, 4);
        }
    m_shell->UnlockImage("paint", 0);
    IDirect3DSurface9* level = LevelOf("paint", 2);
    ASSERT_NE(level, nullptr);
    auto image = lumiva::d3d9::SurfaceImage(level);
    EXPECT_EQ(image.At(3, 1), 0xFF0000C1u);
    EXPECT_EQ(image.At(0, 0), 0xFF000000u);

    IDirect3DSurface9* before = CurrentTarget();
    int16_t hint = -1;
    m_shell->ClearImage("paint", 0, &hint);
    EXPECT_GE(hint, 0);
    image = lumiva::d3d9::SurfaceImage(level);
    EXPECT_EQ(image.At(3, 1), 0u);
    EXPECT_EQ(CurrentTarget(), before);
}

TEST_F(ShellImageOperations, SetRenderTargetImageHandsBackThePreviousTarget) {
    ASSERT_NE(m_shell->CreateImage("target", 8, 8, 2, 0), 0u);
    IDirect3DSurface9* backBuffer = CurrentTarget();
    int16_t hint = -1;
    IDirect3DSurface9* previous = m_shell->SetRenderTargetImage("target", 0, &hint, 2);
    ASSERT_EQ(previous, backBuffer);
    EXPECT_EQ(CurrentTarget(), LevelOf("target", 2));
    EXPECT_GE(hint, 0);
    m_shell->GetDevice()->SetRenderTarget(0, previous);
    previous->Release();
    EXPECT_EQ(CurrentTarget(), backBuffer);
    // Wrong type, sprites and unknown names give null and leave the target.
    WriteSprite("s.spr");
    EXPECT_EQ(m_shell->SetRenderTargetImage("target", 0, &hint, 0), nullptr);
    EXPECT_EQ(m_shell->SetRenderTargetImage("s.spr", 0, &hint, 1), nullptr);
    EXPECT_EQ(m_shell->SetRenderTargetImage("", 0, &hint, 2), nullptr);
    EXPECT_EQ(CurrentTarget(), backBuffer);
}

// A 208-byte picture record with the fields DrawImage reads.
std::vector<uint8_t> PictureRecord(const char* name, int16_t type, int16_t frame, uint8_t blend, uint8_t flags) {
    std::vector<uint8_t> record(208, 0);
    const int32_t point[2] = {10, 20};
    std::memcpy(record.data(), point, sizeof point);
    record[52] = blend;
    record[53] = flags;
    std::memcpy(record.data() + 54, &type, 2);
    std::strncpy(reinterpret_cast<char*>(record.data() + 56), name, 127);
    std::memcpy(record.data() + 190, &frame, 2);
    return record;
}

TEST_F(ShellImageOperations, DrawImageLooksUpTheRecordsAndRestoresTheTarget) {
    ASSERT_NE(m_shell->CreateImage("into", 64, 64, 0, 0), 0u);
    WriteSprite("s.spr");
    WriteJpeg("j.jpg");
    std::vector<uint8_t> records = PictureRecord("s.spr", 1, 0, 0, 1);
    const std::vector<uint8_t> jpeg = PictureRecord("j.jpg", 0, 0, 0, 0);
    records.insert(records.end(), jpeg.begin(), jpeg.end());
    IDirect3DSurface9* backBuffer = CurrentTarget();

    int16_t hint = -1;
    m_shell->DrawImage(2, records.data(), 5, "into", 0, &hint, 0, 0);
    EXPECT_EQ(CurrentTarget(), backBuffer);
    EXPECT_EQ(IndexOf("s.spr"), -1);  // other primitive types walk no records
    DWORD fileId = 1;
    std::memcpy(&fileId, records.data() + 184, 4);
    EXPECT_EQ(fileId, 0u);

    m_shell->DrawImage(2, records.data(), 3, "into", 0, &hint, 0x3F800000u, 0x3F800000u);
    EXPECT_EQ(CurrentTarget(), backBuffer);
    EXPECT_GE(IndexOf("s.spr"), 0);
    EXPECT_GE(IndexOf("j.jpg"), 0);
    std::memcpy(&fileId, records.data() + 184, 4);
    EXPECT_EQ(fileId, g_FileName2Id("s.spr"));
    int16_t recordHint = -1;
    std::memcpy(&recordHint, records.data() + 188, 2);
    EXPECT_EQ(recordHint, IndexOf("s.spr"));
    std::memcpy(&fileId, records.data() + 208 + 184, 4);
    EXPECT_EQ(fileId, g_FileName2Id("j.jpg"));

    // No target, or a lost device: nothing at all.
    m_shell->DrawImage(2, records.data(), 3, "nowhere", 0, &hint, 0, 0);
    m_shell->DrawImage(2, nullptr, 3, "into", 0, &hint, 0, 0);
    EXPECT_EQ(CurrentTarget(), backBuffer);
}

// A sprite that runs out of video memory purges the cache, here the target
// picture with it; the target stays until the drawing ends (freed memory
// was read).
TEST_F(ShellImageOperations, DrawImageKeepsItsTargetThroughAPurge) {
    WriteJpeg("t.jpg");
    ASSERT_NE(Get("t.jpg", 0), nullptr);
    std::vector<uint8_t> records;
    for (int i = 0; i < 2; ++i) {
        const std::string name = "s" + std::to_string(i) + ".spr";
        WriteSprite(name.c_str());
        const std::vector<uint8_t> record = PictureRecord(name.c_str(), 1, 0, 0, 1);
        records.insert(records.end(), record.begin(), record.end());
    }
    IDirect3DSurface9* backBuffer = CurrentTarget();
    picture_services::SetPurgeIdle([this] { Cache().PurgeAll(); });  // the target idles long enough
    lumiva::d3d9::FailCreationAt(1);
    int16_t hint = -1;
    m_shell->DrawImage(2, records.data(), 3, "t.jpg", 0, &hint, 0x3F800000u, 0x3F800000u);
    picture_services::Reset();
    EXPECT_EQ(IndexOf("t.jpg"), -1);  // purged
    EXPECT_GE(IndexOf("s1.spr"), 0);  // drawn into the held target
    EXPECT_EQ(CurrentTarget(), backBuffer);
}

TEST_F(ShellImageOperations, ViewCentreOffsets) {
    struct Case {
        int x, y, h;
        int32_t offsetX, offsetY;
    } cases[] = {
        {400, 365, 0, 0, -150},
        {1000, 865, -100, 600, 187},  // (-88700 >> 10) = -87
        {0, 0, 100, -400, -32 - 86 - 300},
        {10, 64, -1, -390, -299},  // (-1 * 887) >> 10 = -1; (64 - 65) / 2 = 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + "," + std::to_string(c.h));
        EXPECT_EQ(m_shell->SetViewCenter(c.x, c.y, c.h), 1);
        EXPECT_EQ(m_shell->screenOffset[0], c.offsetX);
        EXPECT_EQ(m_shell->screenOffset[1], c.offsetY);
        EXPECT_EQ(m_shell->pendingViewCentre[0], static_cast<float>(c.x));
        EXPECT_EQ(m_shell->pendingViewCentre[1], static_cast<float>(c.y - 65));
        EXPECT_EQ(m_shell->pendingViewCentre[2], static_cast<float>(c.h));
    }
}

TEST_F(ShellImageOperations, ViewCentreAtTheEndsOfTheIntegerRangeSaturates) {
    constexpr int32_t lowest = std::numeric_limits<int32_t>::min(), highest = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(m_shell->SetViewCenter(lowest, lowest, highest), 1);
    EXPECT_EQ(m_shell->screenOffset[0], lowest);
    EXPECT_EQ(m_shell->screenOffset[1], lowest);
    EXPECT_EQ(m_shell->pendingViewCentre[1], static_cast<float>(int64_t{lowest} - 65));
    EXPECT_EQ(m_shell->SetViewCenter(highest, highest, lowest), 1);
    EXPECT_EQ(m_shell->screenOffset[0], highest - 400);
    EXPECT_EQ(m_shell->screenOffset[1], highest);
}

TEST_F(ShellImageOperations, ViewCentreOnALargeScreenLeansWithTheCamera) {
    g_ScreenWidth = 1024;
    g_ScreenHeight = 768;
    m_shell->cameraDistanceMin = 2200.0f;
    m_shell->cameraDistanceMax = 4500.0f;
    struct Case {
        float distance;
        int32_t addX, addY;
    } cases[] = {{2200.0f, 60, 50}, {4500.0f, 0, 0}, {3350.0f, 30, 25}, {2430.0f, 54, 45}};
    for (const Case& c : cases) {
        m_shell->cameraDistance = c.distance;
        EXPECT_EQ(m_shell->SetViewCenter(600, 465, 0), 1);
        EXPECT_EQ(m_shell->screenOffset[0], 600 - 512 + c.addX) << c.distance;
        EXPECT_EQ(m_shell->screenOffset[1], 200 - 384 + c.addY) << c.distance;
    }
}

}  // namespace
}  // namespace shell_test
