// JPEG and blank pictures: the default-pool texture filled from a
// system-memory copy, clearing, locking, device loss and memory shortage.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "JpegImage.h"
#include "JpegWriter.h"
#include "PictureFixture.h"
#include "d3d9/Control.h"
#include "shell/VideoPolicy.h"
#include "textures/KJpgImage.h"
#include "textures/PictureServices.h"

namespace pictures_test {
namespace {

using Bytes = std::vector<uint8_t>;

// Four colour bands across, so rows and columns both matter.
Bytes BandedJpeg(int width, int height) {
    static const uint8_t bands[4][3] = {{250, 20, 20}, {20, 240, 30}, {10, 30, 230}, {200, 200, 40}};
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* c = bands[(x * 4 / width + y * 2 / height) % 4];
            rgb.insert(rgb.end(), c, c + 3);
        }
    return EncodeJpeg(rgb, width, height);
}

class JpgImageTest : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        CreateDevice();
        picture_services::SetPurgeIdle([this] { ++m_purgeIdle; });
    }

    // The picture's default-pool texture, decoded.
    static lumiva::d3d9::Image TextureImage(IDirect3DTexture9* texture) {
        IDirect3DSurface9* surface = nullptr;
        EXPECT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
        lumiva::d3d9::Image image = lumiva::d3d9::SurfaceImage(surface);
        surface->Release();
        return image;
    }

    int m_purgeIdle = 0;
};

TEST_F(JpgImageTest, SixteenBitPicturesCopyTheDecodedRowsIntoTheTexture) {
    WriteDataFile("p.jpg", BandedJpeg(20, 10));
    g_PictureTextureFormat = D3DFMT_R5G6B5;
    KJpgImage picture;
    ASSERT_TRUE(picture.Open("p.jpg", 0));
    EXPECT_EQ(picture.GetWidth(), 20);
    EXPECT_EQ(picture.GetHeight(), 10);
    const KSprFrame& frame = picture.GetFrame();
    EXPECT_EQ(frame.tileCount, 1);
    EXPECT_EQ(frame.tiles[0].textureWidth, 32);
    EXPECT_EQ(frame.tiles[0].textureHeight, 16);
    EXPECT_EQ(frame.tiles[0].width, 20);
    ASSERT_NE(picture.GetTexture(), nullptr);
    D3DSURFACE_DESC desc = LevelDesc(picture.GetTexture());
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(picture.GetFormat(), D3DFMT_R5G6B5);
    EXPECT_EQ(picture.GetCost(), 32u * 16 * 2);

    QivImageContent* decoded = get_jpg_image("p.jpg", JPEG_MASK_565);
    ASSERT_NE(decoded, nullptr);
    std::vector<uint16_t> copy = Texels16(picture.GetSystemCopy());
    for (int y = 0; y < 10; ++y) ASSERT_EQ(std::memcmp(&copy[size_t(y) * 32], decoded->Pixels() + y * 20, 40), 0) << y;
    release_image(decoded);
    lumiva::d3d9::Image shown = TextureImage(picture.GetTexture());
    lumiva::d3d9::Image copied = TextureImage(picture.GetSystemCopy());
    EXPECT_EQ(shown.pixels, copied.pixels);
}

TEST_F(JpgImageTest, ThirtyTwoBitPicturesWidenEachPixel) {
    WriteDataFile("p.jpg", BandedJpeg(9, 8));
    KJpgImage picture;
    ASSERT_TRUE(picture.Open("p.jpg", 0));
    EXPECT_EQ(picture.GetFormat(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(picture.GetCost(), 16u * 8 * 4);
    QivImageContent* decoded = get_jpg_image("p.jpg", JPEG_MASK_565);
    ASSERT_NE(decoded, nullptr);
    lumiva::d3d9::Image shown = TextureImage(picture.GetTexture());
    // Each field moves to the top of its byte; the low bits stay clear.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x) {
            const uint32_t p = decoded->Pixels()[y * 9 + x];
            const uint32_t widened = (p >> 11 & 0x1F) << 19 | (p >> 5 & 0x3F) << 10 | (p & 0x1F) << 3;
            ASSERT_EQ(shown.At(x, y) & 0xFFFFFF, widened) << x << "," << y;
        }
    release_image(decoded);
}

TEST_F(JpgImageTest, WhiteAndPrimariesWidenWithClearLowBits) {
    const struct {
        uint8_t r, g, b;
        uint32_t texel;
    } cases[] = {{255, 255, 255, 0xF8FCF8}, {255, 0, 0, 0xF80000}, {0, 255, 0, 0x00FC00}, {0, 0, 0, 0x000000}};
    for (const auto& c : cases) {
        Bytes rgb;
        for (int i = 0; i < 8 * 8; ++i) rgb.insert(rgb.end(), {c.r, c.g, c.b});
        JpegOptions options;
        options.quality = 100;
        WriteDataFile("flat.jpg", EncodeJpeg(rgb, 8, 8, options));
        KJpgImage picture;
        ASSERT_TRUE(picture.Open("flat.jpg", 0));
        ASSERT_EQ(picture.GetFormat(), D3DFMT_X8R8G8B8);
        EXPECT_EQ(TextureImage(picture.GetTexture()).At(3, 3) & 0xFFFFFF, c.texel) << int(c.r) << int(c.g) << int(c.b);
    }
}

TEST_F(JpgImageTest, RefusesPicturesLargerThanATextureAndOtherTypes) {
    WriteDataFile("wide.jpg", BandedJpeg(1025, 4));
    WriteDataFile("p.jpg", BandedJpeg(8, 8));
    KJpgImage picture;
    EXPECT_FALSE(picture.Open("wide.jpg", 0));
    EXPECT_EQ(picture.GetTexture(), nullptr);
    EXPECT_EQ(picture.GetWidth(), 0);
    EXPECT_FALSE(picture.Open("missing.jpg", 0));
    EXPECT_FALSE(picture.Open("p.jpg", 1));
    EXPECT_FALSE(picture.Open("", 0));
    EXPECT_TRUE(picture.Open("p.jpg", 0));
    EXPECT_EQ(picture.GetFrameCount(), 1);
}

TEST_F(JpgImageTest, BlankPicturesOfBothTypes) {
    struct Case {
        int type, width, height;
        bool copy, made;
        D3DFORMAT format;
        UINT textureWidth;
    } cases[] = {{2, 100, 30, true, true, D3DFMT_A8R8G8B8, 128}, {0, 1024, 1, false, true, D3DFMT_X8R8G8B8, 1024},
                 {0, 0, 0, false, true, D3DFMT_X8R8G8B8, 8},     {1, 8, 8, false, false, D3DFMT_UNKNOWN, 0},
                 {2, 1025, 8, false, false, D3DFMT_UNKNOWN, 0},  {2, -1, 8, false, false, D3DFMT_UNKNOWN, 0}};
    for (const Case& c : cases) {
        KJpgImage picture;
        EXPECT_EQ(picture.Create("blank", c.width, c.height, c.type, c.copy), c.made) << c.type << " " << c.width;
        if (!c.made) {
            EXPECT_EQ(picture.GetTexture(), nullptr);
            continue;
        }
        EXPECT_EQ(picture.GetType(), c.type);
        EXPECT_EQ(LevelDesc(picture.GetTexture()).Format, c.format);
        EXPECT_EQ(LevelDesc(picture.GetTexture()).Width, c.textureWidth);
        EXPECT_EQ(picture.GetSystemCopy() != nullptr, c.copy);
        EXPECT_EQ(uint64_t(picture.GetCost()), lumiva::d3d9::UsedTextureMemory());
    }
    KJpgImage unnamed;
    EXPECT_FALSE(unnamed.Create("", 8, 8, 2, false));
}

TEST_F(JpgImageTest, LockedPixelsReachTheTextureAndClearingBlanksIt) {
    KJpgImage picture;
    ASSERT_TRUE(picture.Create("blank", 8, 8, 2, true));
    void* bits = nullptr;
    int pitch = 0;
    ASSERT_TRUE(picture.LockPixels(&bits, &pitch));
    static_cast<uint32_t*>(bits)[3] = 0x80FF0000u;
    reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(bits) + pitch)[0] = 0xFF00FF00u;
    ASSERT_TRUE(picture.UnlockPixels());
    lumiva::d3d9::Image image = TextureImage(picture.GetTexture());
    EXPECT_EQ(image.At(3, 0), 0x80FF0000u);
    EXPECT_EQ(image.At(0, 1), 0xFF00FF00u);

    IDirect3DSurface9* before = nullptr;
    ASSERT_EQ(m_device->GetRenderTarget(0, &before), D3D_OK);
    ASSERT_TRUE(picture.ClearTexture());
    image = TextureImage(picture.GetTexture());
    EXPECT_EQ(image.At(3, 0), 0u);
    EXPECT_EQ(image.At(0, 1), 0u);
    IDirect3DSurface9* after = nullptr;
    ASSERT_EQ(m_device->GetRenderTarget(0, &after), D3D_OK);
    EXPECT_EQ(after, before);
    before->Release();
    after->Release();

    KJpgImage noCopy;
    ASSERT_TRUE(noCopy.Create("blank", 8, 8, 2, false));
    EXPECT_FALSE(noCopy.LockPixels(&bits, &pitch));
    EXPECT_FALSE(noCopy.UnlockPixels());
}

TEST_F(JpgImageTest, DeviceLossReleasesTheTextureAndRestoreRefillsIt) {
    WriteDataFile("p.jpg", BandedJpeg(12, 6));
    g_PictureTextureFormat = D3DFMT_R5G6B5;
    KJpgImage picture;
    ASSERT_TRUE(picture.Open("p.jpg", 0));
    lumiva::d3d9::Image original = TextureImage(picture.GetTexture());
    uint32_t cost = picture.GetCost();
    EXPECT_TRUE(picture.InvalidateDeviceObjects());
    EXPECT_EQ(picture.GetTexture(), nullptr);
    EXPECT_EQ(picture.GetCost(), 0u);
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), 0u);
    ASSERT_TRUE(picture.RestoreDeviceObjects());
    ASSERT_NE(picture.GetTexture(), nullptr);
    EXPECT_EQ(LevelDesc(picture.GetTexture()).Format, D3DFMT_R5G6B5);
    EXPECT_EQ(picture.GetCost(), cost);
    EXPECT_EQ(TextureImage(picture.GetTexture()).pixels, original.pixels);
}

TEST_F(JpgImageTest, BlankPictureWithoutACopyRestoresItsTexture) {
    KJpgImage picture;
    ASSERT_TRUE(picture.Create("blank", 20, 20, 2, false));
    picture.InvalidateDeviceObjects();
    ASSERT_TRUE(picture.RestoreDeviceObjects());
    ASSERT_NE(picture.GetTexture(), nullptr);
    EXPECT_EQ(LevelDesc(picture.GetTexture()).Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(picture.GetCost(), 32u * 32 * 4);
    // Restore with the texture still there changes nothing.
    IDirect3DTexture9* texture = picture.GetTexture();
    EXPECT_TRUE(picture.RestoreDeviceObjects());
    EXPECT_EQ(picture.GetTexture(), texture);
}

TEST_F(JpgImageTest, TrimClosesThePicture) {
    KJpgImage picture;
    ASSERT_TRUE(picture.Create("blank", 8, 8, 2, true));
    EXPECT_FALSE(picture.Trim());
    EXPECT_EQ(picture.GetTexture(), nullptr);
    EXPECT_EQ(picture.GetSystemCopy(), nullptr);
    EXPECT_EQ(picture.GetCost(), 0u);
}

TEST_F(JpgImageTest, OutOfMemoryPurgesIdlePicturesAndRetriesOnce) {
    WriteDataFile("p.jpg", BandedJpeg(8, 8));
    KJpgImage picture;
    lumiva::d3d9::FailCreationAt(1);
    EXPECT_TRUE(picture.Open("p.jpg", 0));
    EXPECT_EQ(m_purgeIdle, 1);

    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 2);
    EXPECT_FALSE(picture.Open("p.jpg", 0));
    EXPECT_EQ(m_purgeIdle, 2);
    EXPECT_EQ(picture.GetTexture(), nullptr);
    EXPECT_EQ(picture.GetWidth(), 0);

    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 2);
    EXPECT_FALSE(picture.Create("blank", 8, 8, 2, false));
    EXPECT_EQ(m_purgeIdle, 3);

    ASSERT_TRUE(picture.Create("blank", 8, 8, 2, false));
    picture.InvalidateDeviceObjects();
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 2);
    EXPECT_FALSE(picture.RestoreDeviceObjects());
    EXPECT_EQ(lumiva::d3d9::UsedTextureMemory(), 0u);
    EXPECT_TRUE(picture.RestoreDeviceObjects());
}

}  // namespace
}  // namespace pictures_test
