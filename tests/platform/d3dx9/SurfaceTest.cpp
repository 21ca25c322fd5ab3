#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "DeviceFixture.h"
#include "ImageTestUtil.h"
#include "d3dx9/Codecs.h"

namespace {

using d3dx::ArgbImage;
using Bytes = std::vector<uint8_t>;

Bytes Pack(D3DFORMAT format, const ArgbImage& image) {
    Bytes bits(d3dx::SurfaceBytes(format, image.width, image.height));
    d3dx::WriteRect(
        d3dx::SurfaceView{format, bits.data(), d3dx::RowBytes(format, image.width), image.width, image.height},
        RECT{0, 0, LONG(image.width), LONG(image.height)}, image);
    return bits;
}

ArgbImage Crop(const ArgbImage& image, UINT left, UINT top, UINT width, UINT height) {
    ArgbImage out(width, height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) out.At(x, y) = image.At(left + x, top + y);
    return out;
}

class D3dxSurface : public D3dxDeviceTest {
protected:
    IDirect3DTexture9* MakeTexture(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_device->CreateTexture(width, height, 1, 0, format, pool, &texture, nullptr), D3D_OK);
        m_textures.push_back(texture);
        return texture;
    }
    IDirect3DSurface9* Level0(IDirect3DTexture9* texture) {
        IDirect3DSurface9* surface = nullptr;
        EXPECT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
        m_surfaces.push_back(surface);
        return surface;
    }
    void TearDown() override {
        for (IDirect3DSurface9* s : m_surfaces) s->Release();
        for (IDirect3DTexture9* t : m_textures) t->Release();
        D3dxDeviceTest::TearDown();
    }

    std::vector<IDirect3DTexture9*> m_textures;
    std::vector<IDirect3DSurface9*> m_surfaces;
};

TEST_F(D3dxSurface, FromMemoryCopiesSourceRectangleIntoDestinationRectangle) {
    CreateDevice();
    // A 16-bit tile cut from the middle of a larger picture, as sprite frames are.
    ArgbImage picture = MakePatternImage(10, 6);
    Bytes bits = Pack(D3DFMT_A4R4G4B4, picture);
    IDirect3DTexture9* texture = MakeTexture(8, 8, D3DFMT_A4R4G4B4);
    WriteLevel(texture, 0, ArgbImage(8, 8, 0x11223344u));
    RECT source{3, 1, 7, 5}, dest{2, 2, 6, 6};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(Level0(texture), nullptr, &dest, bits.data(), D3DFMT_A4R4G4B4, 10 * 2, nullptr,
                                        &source, D3DX_FILTER_NONE, 0),
              D3D_OK);
    ArgbImage level = ReadLevel(texture, 0);
    ArgbImage packedPicture =
        d3dx::ReadRect(d3dx::SurfaceView{D3DFMT_A4R4G4B4, bits.data(), 20, 10, 6}, RECT{0, 0, 10, 6});
    EXPECT_EQ(MaxDifference(Crop(packedPicture, 3, 1, 4, 4), Crop(level, 2, 2, 4, 4)), 0);
    // Outside the rectangle the fill stays: 0x11223344 as A4R4G4B4 is 0x1234.
    Bytes stored = StoredBytes(texture, 0);
    EXPECT_EQ(stored[0], 0x34);
    EXPECT_EQ(stored[1], 0x12);
    EXPECT_EQ(stored[7 * 2 + 7 * 16], 0x34);
}

TEST_F(D3dxSurface, FromMemoryMovesDxt5BlocksUnchanged) {
    CreateDevice();
    ArgbImage frame = MakeGradientImage(12, 8);
    Bytes blocks = Pack(D3DFMT_DXT5, frame);
    IDirect3DTexture9* texture = MakeTexture(8, 8, D3DFMT_DXT5);
    // Pitch: one row of blocks, 4 bytes per texel column, as DDS frames give it.
    RECT source{4, 0, 12, 8};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(Level0(texture), nullptr, nullptr, blocks.data(), D3DFMT_DXT5, 4 * 12, nullptr,
                                        &source, D3DX_FILTER_NONE, 0),
              D3D_OK);
    Bytes stored = StoredBytes(texture, 0);
    ASSERT_EQ(stored.size(), 4u * 16);
    // Block (1, 0) of the frame is block (0, 0) of the texture.
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + 16, blocks.begin() + 16));
    EXPECT_TRUE(std::equal(stored.begin() + 32, stored.begin() + 48, blocks.begin() + 3 * 16 + 16));

    // Into a plain texture the blocks are decoded.
    IDirect3DTexture9* plain = MakeTexture(8, 8, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(Level0(plain), nullptr, nullptr, blocks.data(), D3DFMT_DXT5, 4 * 12, nullptr,
                                        &source, D3DX_FILTER_NONE, 0),
              D3D_OK);
    ArgbImage decodedFrame = d3dx::ReadRect(d3dx::SurfaceView{D3DFMT_DXT5, blocks.data(), 48, 12, 8}, source);
    EXPECT_EQ(MaxDifference(decodedFrame, ReadLevel(plain, 0)), 0);
}

TEST_F(D3dxSurface, FromMemoryRefusesBadArguments) {
    CreateDevice();
    Bytes bits(64, 0);
    IDirect3DSurface9* surface = Level0(MakeTexture(4, 4, D3DFMT_A8R8G8B8));
    RECT source{0, 0, 4, 4}, empty{2, 2, 2, 4}, outside{0, 0, 5, 4};
    struct Case {
        const char* name;
        HRESULT hr;
    };
    const Case cases[] = {
        {"no source rectangle", D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, bits.data(), D3DFMT_A8R8G8B8, 16,
                                                          nullptr, nullptr, D3DX_FILTER_NONE, 0)},
        {"empty source", D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, bits.data(), D3DFMT_A8R8G8B8, 16, nullptr,
                                                   &empty, D3DX_FILTER_NONE, 0)},
        {"pitch shorter than a row", D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, bits.data(), D3DFMT_A8R8G8B8,
                                                               8, nullptr, &source, D3DX_FILTER_NONE, 0)},
        {"destination outside", D3DXLoadSurfaceFromMemory(surface, nullptr, &outside, bits.data(), D3DFMT_A8R8G8B8, 16,
                                                          nullptr, &source, D3DX_FILTER_NONE, 0)},
        {"no memory", D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, nullptr, D3DFMT_A8R8G8B8, 16, nullptr,
                                                &source, D3DX_FILTER_NONE, 0)},
    };
    for (const Case& c : cases) EXPECT_TRUE(FAILED(c.hr)) << c.name;
}

TEST_F(D3dxSurface, FromSurfaceConvertsBothWaysThroughDxt5) {
    CreateDevice();
    // The encoder's stated tolerance holds for gradients of at most 11 per texel.
    ArgbImage image = MakeGradientImage(32, 24);
    IDirect3DTexture9* plain = MakeTexture(32, 24, D3DFMT_A8R8G8B8);
    WriteLevel(plain, 0, image);
    IDirect3DTexture9* compressed = MakeTexture(32, 24, D3DFMT_DXT5, D3DPOOL_SYSTEMMEM);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(Level0(compressed), nullptr, nullptr, Level0(plain), nullptr, nullptr,
                                         D3DX_FILTER_NONE, 0),
              D3D_OK);
    EXPECT_LE(MaxDifference(image, ReadLevel(compressed, 0)), 16);

    IDirect3DTexture9* back = MakeTexture(32, 24, D3DFMT_X8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(Level0(back), nullptr, nullptr, Level0(compressed), nullptr, nullptr,
                                         D3DX_FILTER_NONE, 0),
              D3D_OK);
    EXPECT_EQ(MaxDifference(Opaque(ReadLevel(compressed, 0)), ReadLevel(back, 0)), 0);
}

TEST_F(D3dxSurface, FromSurfaceFilterNoneCropsAndOthersScale) {
    CreateDevice();
    ArgbImage image = MakePatternImage(8, 6);
    IDirect3DTexture9* source = MakeTexture(8, 6, D3DFMT_A8R8G8B8);
    WriteLevel(source, 0, image);
    IDirect3DTexture9* small = MakeTexture(4, 4, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(Level0(small), nullptr, nullptr, Level0(source), nullptr, nullptr,
                                         D3DX_FILTER_NONE, 0),
              D3D_OK);
    EXPECT_EQ(MaxDifference(Crop(image, 0, 0, 4, 4), ReadLevel(small, 0)), 0);

    IDirect3DTexture9* big = MakeTexture(16, 12, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(Level0(big), nullptr, nullptr, Level0(source), nullptr, nullptr,
                                         D3DX_FILTER_POINT, 0),
              D3D_OK);
    ArgbImage doubled = ReadLevel(big, 0);
    EXPECT_EQ(doubled.At(5, 7), image.At(2, 3));
    EXPECT_EQ(doubled.At(15, 11), image.At(7, 5));

    RECT from{2, 2, 6, 6};
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(Level0(small), nullptr, nullptr, Level0(source), nullptr, &from,
                                         D3DX_FILTER_NONE, 0xFFFFFFFFu),
              D3D_OK);
    ArgbImage expected = Crop(image, 2, 2, 4, 4);
    EXPECT_EQ(MaxDifference(expected, ReadLevel(small, 0)), 0);
}

TEST_F(D3dxSurface, FromSurfaceOntoItselfMovesARectangle) {
    CreateDevice();
    ArgbImage image = MakePatternImage(8, 8);
    IDirect3DTexture9* texture = MakeTexture(8, 8, D3DFMT_A8R8G8B8);
    WriteLevel(texture, 0, image);
    IDirect3DSurface9* surface = Level0(texture);
    RECT from{0, 0, 4, 4}, to{4, 4, 8, 8};
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(surface, nullptr, &to, surface, nullptr, &from, D3DX_FILTER_NONE, 0), D3D_OK);
    ArgbImage level = ReadLevel(texture, 0);
    EXPECT_EQ(MaxDifference(Crop(image, 0, 0, 4, 4), Crop(level, 4, 4, 4, 4)), 0);
    EXPECT_EQ(level.At(5, 1), image.At(5, 1));
}

TEST_F(D3dxSurface, ScreenshotOfRenderTargetSavesAsDxt5Dds) {
    CreateDevice(-1, 64, 48);
    std::string root = UseScratchRoot();
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(m_device->GetRenderTarget(0, &target), D3D_OK);
    m_surfaces.push_back(target);
    ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0), D3D_OK);

    IDirect3DTexture9* shot = nullptr;
    ASSERT_EQ(D3DXCreateTexture(m_device, 32, 32, 1, 0, D3DFMT_DXT5, D3DPOOL_SYSTEMMEM, &shot), D3D_OK);
    m_textures.push_back(shot);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(Level0(shot), nullptr, nullptr, target, nullptr, nullptr, D3DX_FILTER_NONE, 0),
              D3D_OK);
    ASSERT_EQ(D3DXSaveTextureToFileA("ScreenShot.DDS", D3DXIFF_DDS, shot, nullptr), D3D_OK);

    std::ifstream in(root + "/ScreenShot.DDS", std::ios::binary);
    Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    d3dx::DecodedImage decoded;
    ASSERT_EQ(d3dx::DecodeImageFile(file.data(), file.size(), &decoded), S_OK);
    EXPECT_EQ(decoded.info.Format, D3DFMT_DXT5);
    EXPECT_EQ(decoded.info.Width, 32u);
    EXPECT_LE(ChannelDifference(decoded.levels[0].At(17, 9), 0xFF336699u), 4);
    EXPECT_EQ(decoded.storedLevels[0], StoredBytes(shot, 0));
}

TEST_F(D3dxSurface, SavedFilesDecodeToTheSurfacePixels) {
    CreateDevice();
    ArgbImage image = MakePatternImage(7, 5);
    IDirect3DTexture9* texture = MakeTexture(7, 5, D3DFMT_A8R8G8B8);
    WriteLevel(texture, 0, image);
    struct Case {
        D3DXIMAGE_FILEFORMAT format;
        int tolerance;
    };
    for (const Case& c : {Case{D3DXIFF_DDS, 0}, Case{D3DXIFF_BMP, 0}, Case{D3DXIFF_PNG, 0}, Case{D3DXIFF_TGA, 0}}) {
        SCOPED_TRACE(c.format);
        LPD3DXBUFFER buffer = nullptr;
        ASSERT_EQ(D3DXSaveSurfaceToFileInMemory(&buffer, c.format, Level0(texture), nullptr, nullptr), D3D_OK);
        d3dx::DecodedImage decoded;
        ASSERT_EQ(d3dx::DecodeImageFile(buffer->GetBufferPointer(), buffer->GetBufferSize(), &decoded), S_OK);
        EXPECT_EQ(decoded.info.ImageFileFormat, c.format);
        EXPECT_LE(MaxDifference(image, decoded.levels[0]), c.tolerance);
        buffer->Release();
    }
    RECT part{1, 1, 4, 3};
    LPD3DXBUFFER buffer = nullptr;
    ASSERT_EQ(D3DXSaveSurfaceToFileInMemory(&buffer, D3DXIFF_PNG, Level0(texture), nullptr, &part), D3D_OK);
    d3dx::DecodedImage decoded;
    ASSERT_EQ(d3dx::DecodeImageFile(buffer->GetBufferPointer(), buffer->GetBufferSize(), &decoded), S_OK);
    EXPECT_EQ(MaxDifference(Crop(image, 1, 1, 3, 2), decoded.levels[0]), 0);
    buffer->Release();
}

TEST_F(D3dxSurface, TextureSavesEveryLevelToDds) {
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(8, 4, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    m_textures.push_back(texture);
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        WriteLevel(texture, level, MakePatternImage(desc.Width, desc.Height, true));
    }
    LPD3DXBUFFER buffer = nullptr;
    ASSERT_EQ(D3DXSaveTextureToFileInMemory(&buffer, D3DXIFF_DDS, texture, nullptr), D3D_OK);
    d3dx::DecodedImage decoded;
    ASSERT_EQ(d3dx::DecodeImageFile(buffer->GetBufferPointer(), buffer->GetBufferSize(), &decoded), S_OK);
    buffer->Release();
    ASSERT_EQ(decoded.levels.size(), texture->GetLevelCount());
    for (UINT level = 0; level < texture->GetLevelCount(); ++level)
        EXPECT_EQ(decoded.storedLevels[level], StoredBytes(texture, level)) << level;
    EXPECT_EQ(decoded.info.Format, D3DFMT_R5G6B5);
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileA("", D3DXIFF_DDS, texture, nullptr)));
}

}  // namespace
