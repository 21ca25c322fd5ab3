#include <gtest/gtest.h>

#include <vector>

#include "ByteWriter.h"
#include "DeviceFixture.h"
#include "ImageTestUtil.h"
#include "d3dx9/Codecs.h"
#include "d3dx9/Resample.h"

namespace {

using d3dx::ArgbImage;
using Bytes = std::vector<uint8_t>;

Bytes Png(const ArgbImage& image) {
    Bytes file;
    EXPECT_EQ(d3dx::EncodePng(image, true, &file), S_OK);
    return file;
}

Bytes Dds(D3DFORMAT format, const std::vector<ArgbImage>& levels) {
    std::vector<Bytes> stored;
    std::vector<d3dx::StoredLevel> views;
    for (const ArgbImage& level : levels) {
        Bytes bits(d3dx::SurfaceBytes(format, level.width, level.height));
        uint64_t pitch = d3dx::RowBytes(format, level.width);
        d3dx::WriteRect(d3dx::SurfaceView{format, bits.data(), pitch, level.width, level.height},
                        RECT{0, 0, LONG(level.width), LONG(level.height)}, level);
        stored.push_back(std::move(bits));
        views.push_back({level.width, level.height, stored.back().data(), pitch});
    }
    Bytes file;
    EXPECT_EQ(d3dx::EncodeDds(format, views, &file), S_OK);
    return file;
}

struct TextureShape {
    UINT width, height, levels;
    D3DFORMAT format;
};

TextureShape ShapeOf(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    return {desc.Width, desc.Height, UINT(texture->GetLevelCount()), desc.Format};
}

using D3dxTexture = D3dxDeviceTest;

TEST_F(D3dxTexture, CreateTextureRoundsOnlyWhereCapsRequire) {
    struct Case {
        const char* name;
        long caps;
        UINT levels;
        UINT width, height, levelsOut;
    };
    const long mip = D3DPTEXTURECAPS_MIPMAP;
    const Case cases[] = {
        {"free sizes", mip, 1, 800, 600, 1},
        {"conditional, one level", mip | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 1, 800, 600, 1},
        {"conditional, full chain", mip | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 0, 1024, 1024, 11},
        {"powers of two only", mip | D3DPTEXTURECAPS_POW2, 1, 1024, 1024, 1},
        {"square only", mip | D3DPTEXTURECAPS_SQUAREONLY, 1, 800, 800, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();  // a fresh device per set of caps
        SetUp();
        CreateDevice(c.caps);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTexture(m_device, 800, 600, c.levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
                  D3D_OK);
        TextureShape shape = ShapeOf(texture);
        EXPECT_EQ(shape.width, c.width);
        EXPECT_EQ(shape.height, c.height);
        EXPECT_EQ(shape.levels, c.levelsOut);
        texture->Release();
    }
}

TEST_F(D3dxTexture, CreateTextureFitsBlocksAndRefusedFormats) {
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(m_device, 6, 10, 1, 0, D3DFMT_DXT5, D3DPOOL_SYSTEMMEM, &texture), D3D_OK);
    TextureShape shape = ShapeOf(texture);
    EXPECT_EQ(shape.width, 8u);
    EXPECT_EQ(shape.height, 12u);
    EXPECT_EQ(shape.format, D3DFMT_DXT5);
    texture->Release();

    lumiva::d3d9::RejectFormat(D3DFMT_A4R4G4B4);
    ASSERT_EQ(D3DXCreateTexture(m_device, 16, 16, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(ShapeOf(texture).format, D3DFMT_A8R8G8B8);
    texture->Release();

    UINT w = 0, h = D3DX_DEFAULT, levels = 0;
    D3DFORMAT f = D3DFMT_UNKNOWN;
    ASSERT_EQ(D3DXCheckTextureRequirements(m_device, &w, &h, &levels, 0, &f, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(w, 256u);
    EXPECT_EQ(h, 256u);
    EXPECT_EQ(levels, 9u);
    EXPECT_EQ(f, D3DFMT_A8R8G8B8);

    EXPECT_EQ(D3DXCreateTexture(nullptr, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
}

TEST_F(D3dxTexture, CreateTextureReportsDeviceFailure) {
    CreateDevice();
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        D3DXCreateTexture(m_device, 128, 128, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture),
        D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(D3dxTexture, FromMemoryKeepsFileSizeAndReportsImageInfo) {
    CreateDevice();
    ArgbImage image = MakePatternImage(12, 5);
    Bytes file = Png(image);
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                  1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  &info, nullptr, &texture),
              D3D_OK);
    TextureShape shape = ShapeOf(texture);
    EXPECT_EQ(shape.width, 12u);
    EXPECT_EQ(shape.height, 5u);
    EXPECT_EQ(MaxDifference(image, ReadLevel(texture, 0)), 0);
    EXPECT_EQ(info.Width, 12u);
    EXPECT_EQ(info.Height, 5u);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    texture->Release();

    // The short form: full chain, file format, managed pool.
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(m_device, file.data(), UINT(file.size()), &texture), D3D_OK);
    shape = ShapeOf(texture);
    EXPECT_EQ(shape.width, 12u);
    EXPECT_EQ(shape.levels, 4u);
    texture->Release();
}

TEST_F(D3dxTexture, FromMemoryResamplesToRequestedSize) {
    CreateDevice();
    ArgbImage image = MakeGradientImage(16, 8);
    Bytes file = Png(image);
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(
        D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 8, 4, 1, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &texture),
        D3D_OK);
    EXPECT_EQ(ShapeOf(texture).width, 8u);
    // Each texel is the mean of the 2 x 2 texels it covers.
    ArgbImage level = ReadLevel(texture, 0);
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 8; ++x) {
            for (int shift = 0; shift < 32; shift += 8) {
                int sum = 0;
                for (UINT k = 0; k < 4; ++k) sum += int((image.At(2 * x + k % 2, 2 * y + k / 2) >> shift) & 0xFF);
                EXPECT_NEAR(int((level.At(x, y) >> shift) & 0xFF), sum / 4.0, 0.5) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(info.Width, 16u);  // the source's size, not the texture's
    texture->Release();
}

TEST_F(D3dxTexture, FromMemoryConvertsFormatsIncludingDxt5) {
    CreateDevice();
    ArgbImage image = MakeGradientImage(32, 24);
    Bytes file = Png(image);
    struct Case {
        D3DFORMAT format;
        int maxError;
    };
    for (const Case& c : {Case{D3DFMT_DXT5, 16}, Case{D3DFMT_A4R4G4B4, 8}, Case{D3DFMT_X8R8G8B8, 0}}) {
        SCOPED_TRACE(c.format);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 0, 0, 1, 0, c.format,
                                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                      &texture),
                  D3D_OK);
        EXPECT_EQ(ShapeOf(texture).format, c.format);
        ArgbImage expected = c.format == D3DFMT_X8R8G8B8 ? Opaque(image) : image;
        EXPECT_LE(MaxDifference(expected, ReadLevel(texture, 0)), c.maxError);
        texture->Release();
    }
}

TEST_F(D3dxTexture, ColourKeyTurnsMatchingTexelsTransparentBlack) {
    CreateDevice();
    ArgbImage image(4, 2, 0xFF000000u);
    image.At(1, 0) = 0xFF102030u;
    image.At(2, 1) = 0x80000000u;  // black but not opaque: not the key
    Bytes file = Png(image);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFF000000u, nullptr,
                                                  nullptr, &texture),
              D3D_OK);
    ArgbImage level = ReadLevel(texture, 0);
    EXPECT_EQ(level.At(0, 0), 0x00000000u);
    EXPECT_EQ(level.At(3, 1), 0x00000000u);
    EXPECT_EQ(level.At(1, 0), 0xFF102030u);
    EXPECT_EQ(level.At(2, 1), 0x80000000u);
    texture->Release();
}

TEST_F(D3dxTexture, DdsBlocksLoadUnchangedAndMipsComeFromFile) {
    CreateDevice();
    std::vector<ArgbImage> levels = {MakeGradientImage(8, 8), MakePatternImage(4, 4), MakePatternImage(2, 2),
                                     MakePatternImage(1, 1)};
    Bytes file = Dds(D3DFMT_DXT5, levels);
    d3dx::DecodedImage decoded;
    ASSERT_EQ(d3dx::DecodeImageFile(file.data(), file.size(), &decoded), S_OK);
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                  D3DX_FROM_FILE, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 0, &info, nullptr, &texture),
              D3D_OK);
    TextureShape shape = ShapeOf(texture);
    EXPECT_EQ(shape.format, D3DFMT_DXT5);
    ASSERT_EQ(shape.levels, 4u);
    for (UINT level = 0; level < 4; ++level)
        EXPECT_EQ(StoredBytes(texture, level), decoded.storedLevels[level]) << level;
    EXPECT_EQ(info.MipLevels, 4u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
    texture->Release();
}

TEST_F(D3dxTexture, MissingMipLevelsAreBoxFilteredFromTheLevelAbove) {
    CreateDevice();
    ArgbImage image = MakePatternImage(4, 4);
    Bytes file = Png(image);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_BOX, 0, nullptr,
                                                  nullptr, &texture),
              D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    ArgbImage half = d3dx::Resample(image, 2, 2, D3DX_FILTER_BOX);
    EXPECT_EQ(MaxDifference(half, ReadLevel(texture, 1)), 0);
    EXPECT_EQ(MaxDifference(d3dx::Resample(half, 1, 1, D3DX_FILTER_BOX), ReadLevel(texture, 2)), 0);
    texture->Release();
}

TEST_F(D3dxTexture, DefaultPoolTextureIsFilledThroughSystemMemory) {
    CreateDevice();
    ArgbImage image = MakePatternImage(8, 8);
    Bytes file = Png(image);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
        D3D_OK);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
    lumiva::d3d9::Image pixels = lumiva::d3d9::SurfaceImage(surface);
    ASSERT_EQ(pixels.width, 8u);
    EXPECT_EQ(pixels.At(3, 5), image.At(3, 5));
    surface->Release();
    texture->Release();
}

TEST_F(D3dxTexture, MalformedFilesCreateNothing) {
    CreateDevice();
    Bytes file = Png(MakePatternImage(4, 4));
    file.resize(file.size() / 2);
    UINT before = lumiva::d3d9::LiveResourceCount();
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_EQ(
        D3DXCreateTextureFromFileInMemoryEx(m_device, file.data(), UINT(file.size()), 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                            D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
        D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), before);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(m_device, file.data(), 0, &texture), D3DERR_INVALIDCALL);
}

TEST_F(D3dxTexture, FromFileReadsThroughTheDataRoot) {
    CreateDevice();
    std::string root = UseScratchRoot();
    ArgbImage image = MakePatternImage(6, 6);
    ASSERT_TRUE(WriteFileBytes(root + "/Mesh/Skin.png", Png(image)));
    IDirect3DTexture9* texture = nullptr;
    // Backslashes and any letter case, as the module names files.
    ASSERT_EQ(D3DXCreateTextureFromFileExA(m_device, "\\mesh\\SKIN.PNG", D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                           D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0,
                                           nullptr, nullptr, &texture),
              D3D_OK);
    EXPECT_EQ(MaxDifference(image, ReadLevel(texture, 0)), 0);
    texture->Release();
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileExA(m_device, "\\mesh\\missing.png", D3DX_DEFAULT, D3DX_DEFAULT,
                                                    D3DX_DEFAULT, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                    D3DX_DEFAULT, 0, nullptr, nullptr, &texture)));
    EXPECT_EQ(texture, nullptr);
}

}  // namespace
