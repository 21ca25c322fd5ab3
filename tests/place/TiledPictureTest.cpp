// Large JPEG pictures cut into 64 x 64 shell images and drawn by parts.
#include <gtest/gtest.h>

#include "FileNameId.h"
#include "JpegImage.h"
#include "KStringMap.h"
#include "OverlayFixture.h"
#include "place/PlaceClocks.h"
#include "place/TiledPicture.h"
#include "shell/ShellGlobals.h"
#include "shell/VideoPolicy.h"
#include "win32/Control.h"

namespace overlay_test {
namespace {

class TiledPictureTest : public OverlayTest {};

TEST_F(TiledPictureTest, CutsThePictureIntoTilesWithNarrowEdges) {
    WritePatternJpeg("sky.jpg", 130, 70);
    KTiledPicture picture;
    ASSERT_TRUE(picture.LoadJpgPicture("sky.jpg"));
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(picture.Columns(), 3);
    EXPECT_EQ(picture.Rows(), 2);
    ASSERT_EQ(picture.TileCount(), 6);
    const int widths[3] = {64, 64, 2}, heights[2] = {64, 6};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column) {
            const KPictureTile& tile = picture.Tile(column + row * 3);
            EXPECT_EQ(tile.width, widths[column]) << column;
            EXPECT_EQ(tile.height, heights[row]) << row;
            EXPECT_NE(tile.image, 0u);
        }
}

TEST_F(TiledPictureTest, OneRowPictureOfOneHundredThirtyPixels) {
    WritePatternJpeg("strip.jpg", 130, 64);
    KTiledPicture picture;
    ASSERT_TRUE(picture.LoadJpgPicture("strip.jpg"));
    EXPECT_EQ(picture.Columns(), 3);
    EXPECT_EQ(picture.Rows(), 1);
    EXPECT_EQ(picture.Tile(2).width, 2);
}

TEST_F(TiledPictureTest, TileKeysComeFromTheClockAndTheFileIdAndSkipTakenKeys) {
    WritePatternJpeg("sky.jpg", 64, 64);
    lumiva::win32::SetClock(0x1000);
    RefreshPlaceClock();
    const uint32_t fileId = KTiledPicture::LowerFileNameToId("sky.jpg", 0);
    char base[16], taken[32];
    std::snprintf(base, sizeof base, "%x", unsigned(0x1000 + fileId));
    // The first key of the cut is already an image of someone else's.
    std::snprintf(taken, sizeof taken, "%4d#%s#%4d", 0, base, 0);
    ASSERT_NE(m_shell->CreateImage(taken, 64, 64, 0, 1), 0u);

    KTiledPicture picture;
    ASSERT_TRUE(picture.AllocateTiles(1));  // the probe of a picture without id
    ASSERT_TRUE(picture.LoadJpgPicture("sky.jpg"));
    char expected[32];
    std::snprintf(expected, sizeof expected, "%4d#%s#%4d", 1, base, 1);
    EXPECT_STREQ(picture.Tile(0).key, expected);
}

TEST_F(TiledPictureTest, FileIdsAreOfTheLowerCasedName) {
    EXPECT_EQ(KTiledPicture::LowerFileNameToId("", 0), 0u);
    EXPECT_EQ(KTiledPicture::LowerFileNameToId(nullptr, 0), 0u);
    EXPECT_EQ(KTiledPicture::LowerFileNameToId("Maps\\SKY.JPG", 0), g_FileName2Id("maps\\sky.jpg"));
}

// Draws the picture rectangle at the screen's top-left and checks each
// drawn pixel against the decoded picture.
void ExpectDrawnPixels(const OverlayTest& test, const lumiva::d3d9::Image& screen, const DecodedPicture& decoded,
                       int picX, int picY, int w, int h, D3DCOLOR (*colour)(uint16_t)) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(screen.At(UINT(x), UINT(y)), test.OnScreen(colour(decoded.At(picX + x, picY + y))))
                << "screen " << x << "," << y;
}

TEST_F(TiledPictureTest, DrawsFromTheMiddleOfATileWithThePicturesPixels) {
    WritePatternJpeg("strip.jpg", 130, 64);
    // Both picture texture formats: 32-bit tiles through the shell's
    // conversion, 16-bit ones as decoded.
    const std::pair<D3DFORMAT, D3DCOLOR (*)(uint16_t)> formats[] = {{D3DFMT_X8R8G8B8, ShellColour565},
                                                                     {D3DFMT_R5G6B5, DeviceColour565}};
    for (const auto& [format, colour] : formats) {
        SCOPED_TRACE(format);
        g_PictureTextureFormat = format;
        KTiledPicture picture;
        ASSERT_TRUE(picture.LoadJpgPicture("strip.jpg"));
        BeginDrawing();
        int drawnW = 0, drawnH = 0;
        picture.DrawPart(0, 0, 100, 10, 200, 20, &drawnW, &drawnH);
        // Column 1 from pixel 36 (28 wide), then the 2-pixel last column.
        EXPECT_EQ(drawnW, 30);
        EXPECT_EQ(drawnH, 20);
        EXPECT_EQ(DrawCount(), 2u);
        const auto screen = EndDrawing();
        ExpectDrawnPixels(*this, screen, Decode("strip.jpg", JPEG_MASK_565), 100, 10, 30, 20, colour);
        EXPECT_EQ(screen.At(30, 5), 0xFF000000u);
        EXPECT_EQ(screen.At(5, 20), 0xFF000000u);
    }
}

TEST_F(TiledPictureTest, FragmentsFollowTilesAcrossRowsAndColumns) {
    g_PictureTextureFormat = D3DFMT_R5G6B5;
    WritePatternJpeg("strip.jpg", 130, 70);
    KTiledPicture picture;
    ASSERT_TRUE(picture.LoadJpgPicture("strip.jpg"));
    BeginDrawing();
    int drawnW = 0, drawnH = 0;
    picture.DrawPart(3, 4, 60, 60, 100, 100, &drawnW, &drawnH);
    EXPECT_EQ(drawnW, 70);
    EXPECT_EQ(drawnH, 10);
    EXPECT_EQ(DrawCount(), 6u);  // three columns in each of two rows
    const auto screen = EndDrawing();
    const DecodedPicture decoded = Decode("strip.jpg", JPEG_MASK_565);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 70; ++x)
            ASSERT_EQ(screen.At(UINT(3 + x), UINT(4 + y)), OnScreen(DeviceColour565(decoded.At(60 + x, 60 + y))))
                << x << "," << y;
    EXPECT_EQ(screen.At(2, 4), 0xFF000000u);
    EXPECT_EQ(screen.At(73, 4), 0xFF000000u);
}

TEST_F(TiledPictureTest, ABatchDrawsAtItsEndAndForgetsTheFragmentsOfFreedTiles) {
    g_PictureTextureFormat = D3DFMT_R5G6B5;
    WritePatternJpeg("strip.jpg", 130, 64);
    KTiledPicture picture;
    ASSERT_TRUE(picture.LoadJpgPicture("strip.jpg"));
    BeginDrawing();
    picture.BeginBatch();
    // The same picture twice side by side: each tile's two fragments go out
    // as one draw, at the batch's end.
    picture.DrawPart(0, 0, 0, 0, 130, 64, nullptr, nullptr);
    picture.DrawPart(130, 0, 0, 0, 130, 64, nullptr, nullptr);
    EXPECT_EQ(DrawCount(), 0u);
    picture.EndBatch();
    const auto draws = lumiva::d3d9::RecordedCallsNamed("DrawPrimitive");
    ASSERT_EQ(draws.size(), 3u);
    for (const auto& draw : draws) EXPECT_EQ(draw.args[2], 4u);
    const auto screen = EndDrawing();
    const DecodedPicture decoded = Decode("strip.jpg", JPEG_MASK_565);
    for (int y = 0; y < 64; y += 3)
        for (int x = 0; x < 260; ++x)
            ASSERT_EQ(screen.At(UINT(x), UINT(y)), OnScreen(DeviceColour565(decoded.At(x % 130, y)))) << x << "," << y;

    // Tiles freed while the batch is open take their fragments with them.
    BeginDrawing();
    picture.BeginBatch();
    picture.DrawPart(0, 0, 0, 0, 130, 64, nullptr, nullptr);
    picture.FreeTiles();
    picture.EndBatch();
    EXPECT_EQ(DrawCount(), 0u);
    EndDrawing();
}

TEST_F(TiledPictureTest, FiveFiveFiveDisplayModesKeepTheirColours) {
    g_SixteenBitFormat = D3DFMT_X1R5G5B5;
    const auto check = [&](D3DFORMAT textureFormat) {
        g_PictureTextureFormat = textureFormat;
        WritePatternJpeg("sea.jpg", 64, 64);
        KTiledPicture picture;
        ASSERT_TRUE(picture.LoadJpgPicture("sea.jpg"));
        BeginDrawing();
        picture.DrawPart(0, 0, 0, 0, 64, 64, nullptr, nullptr);
        // The decoder gave X1R5G5B5 pixels: their colours, whatever the
        // texture holds.
        const DecodedPicture decoded = Decode("sea.jpg", JPEG_MASK_555);
        const auto screen = EndDrawing();
        for (int y = 0; y < 64; y += 7)
            for (int x = 0; x < 64; x += 5) {
                const D3DCOLOR want = OnScreen(DeviceColour555(decoded.At(x, y)));
                const D3DCOLOR got = screen.At(UINT(x), UINT(y));
                for (int shift : {0, 8, 16})  // 5-bit channels widened two ways differ by at most 7
                    ASSERT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 7)
                        << x << "," << y << " format " << textureFormat;
            }
    };
    check(D3DFMT_X8R8G8B8);
    check(D3DFMT_R5G6B5);
}

TEST_F(TiledPictureTest, PartsOutsideThePictureDrawNothing) {
    WritePatternJpeg("strip.jpg", 130, 64);
    KTiledPicture picture;
    ASSERT_TRUE(picture.LoadJpgPicture("strip.jpg"));
    BeginDrawing();
    const int starts[][2] = {{130, 0}, {0, 64}, {-1, 0}, {0, -5}};
    for (const auto& start : starts) {
        int drawnW = -1, drawnH = -1;
        picture.DrawPart(0, 0, start[0], start[1], 10, 10, &drawnW, &drawnH);
        EXPECT_EQ(drawnW, 0);
        EXPECT_EQ(drawnH, 0);
    }
    EXPECT_EQ(DrawCount(), 0u);
    picture.SuppressDrawing(true);
    int drawnW = 0, drawnH = 0;
    picture.DrawPart(0, 0, 0, 0, 500, 500, &drawnW, &drawnH);
    EXPECT_EQ(drawnW, 130);
    EXPECT_EQ(drawnH, 64);
    EXPECT_EQ(DrawCount(), 0u);
    EndDrawing();
}

TEST_F(TiledPictureTest, MissingOrBrokenPicturesLoadNothing) {
    WriteDataFile("broken.jpg", std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3});
    KTiledPicture picture;
    EXPECT_FALSE(picture.LoadJpgPicture("absent.jpg"));
    EXPECT_FALSE(picture.LoadJpgPicture("broken.jpg"));
    EXPECT_FALSE(picture.LoadJpgPicture(""));
    EXPECT_FALSE(picture.IsLoaded());
    BeginDrawing();
    int drawnW = -1, drawnH = -1;
    picture.DrawPart(0, 0, 0, 0, 64, 64, &drawnW, &drawnH);
    EXPECT_EQ(drawnW, 0);
    EXPECT_EQ(DrawCount(), 0u);
    EndDrawing();
}

TEST_F(TiledPictureTest, AFailedImageCreationFreesEveryTile) {
    WritePatternJpeg("sky.jpg", 200, 64);
    KTiledPicture picture;
    ASSERT_TRUE(picture.LoadJpgPicture("sky.jpg"));
    ASSERT_EQ(picture.TileCount(), 4);
    const std::string firstKey = picture.Tile(0).key;
    // Room for two more images, then none.
    lumiva::d3d9::FailCreationAt(5, D3DERR_OUTOFVIDEOMEMORY, 1u << 20);
    EXPECT_FALSE(picture.AllocateTiles(-1));
    EXPECT_EQ(picture.TileCount(), 0);
    EXPECT_FALSE(picture.IsLoaded());
    // The first two images of the attempt were made under the old keys.
    EXPECT_FALSE(m_shell->RemoveImage(firstKey.c_str()));
}

TEST_F(TiledPictureTest, FreeingGivesTheImagesBack) {
    WritePatternJpeg("sky.jpg", 64, 64);
    std::string key;
    {
        KTiledPicture picture;
        ASSERT_TRUE(picture.LoadJpgPicture("sky.jpg"));
        key = picture.Tile(0).key;
        int32_t info[5] = {};
        ASSERT_NE(m_shell->LockImage(key.c_str(), info), nullptr);
        m_shell->UnlockImage(key.c_str(), 0);
    }
    EXPECT_FALSE(m_shell->RemoveImage(key.c_str()));
}

TEST_F(TiledPictureTest, OtherTextureFormatsEndTheProcessWithAFailingCode) {
    std::vector<std::pair<UINT, lumiva::win32::ExitKind>> exits;
    lumiva::win32::SetFatalHook([&](UINT code, lumiva::win32::ExitKind kind) { exits.emplace_back(code, kind); });
    g_PictureTextureFormat = D3DFMT_A8R8G8B8;
    WritePatternJpeg("sky.jpg", 64, 64);
    KTiledPicture picture;
    EXPECT_FALSE(picture.LoadJpgPicture("sky.jpg"));
    EXPECT_EQ(picture.TileCount(), 0);
    const auto boxes = lumiva::win32::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, g_cStringMap.GetString(48));
    EXPECT_EQ(boxes[0].caption, g_cStringMap.GetString(44));
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_NE(exits[0].first, 0u);
    EXPECT_EQ(exits[0].second, lumiva::win32::ExitKind::RunExitList);
}

}  // namespace
}  // namespace overlay_test
