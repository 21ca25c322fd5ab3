#include <windows.h>
#include <d3d9.h>
#include <d3dx9tex.h>

#include <cstring>

#include "JpegWriter.h"
#include "ScreenCaptureSupport.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "shell/PreviewRender.h"
#include "shell/PreviewSources.h"
#include "lumiva/PrimitiveRecords.h"
#include "textures/KImageTexture.h"
#include "textures/NamedTexturePool.h"

namespace shell_test {
namespace {

constexpr int kPictureWidth = 64, kPictureHeight = 32;
constexpr D3DCOLOR kLeftColour = 0xFF2040C0, kRightColour = 0xFFE0A010;

// Mask pixel values: the keep value leaves the back buffer alone.
constexpr D3DCOLOR kKeep = 0x00FFFFFF;
bool KeepAt(int x, int y) { return (x + 2 * y) % 3 == 0; }

// A host record of zero bytes (a new record keeps what its memory held).
KPrimPicture ClearedRecord() {
    KPrimPicture record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    return record;
}

class PreviewCaptureTest : public ScreenCaptureTest {
protected:
    // A created shell, a blank 32-bit preview picture "\pic\preview.jpg"
    // made through the shell, and two mask files.
    void SetUpPreview() {
        MakeCreatedShell();
        MakePreviewPicture();
        WriteMask("\\masks\\dotted.dds", [](int x, int y) { return KeepAt(x, y) ? kKeep : 0xFF000000u; });
        WriteMask("\\masks\\open.dds", [](int, int) { return D3DCOLOR(0); });
    }

    void MakePreviewPicture() {
        ASSERT_NE(m_shell->CreateImage("\\pic\\preview.jpg", kPictureWidth, kPictureHeight, kImageBlank32, 1), 0u);
        m_record = ClearedRecord();
        std::strcpy(m_record.fileName, "\\pic\\preview.jpg");
        m_record.imageType = kImageBlank32;
        KPreviewPicture picture;
        ASSERT_TRUE(preview_sources::GetPreviewPicture(m_shell, &m_record, &picture));
        ASSERT_NE(picture.texture, nullptr);
        ASSERT_NE(picture.systemCopy, nullptr);
        m_texture = picture.texture;
    }

    void WriteMask(const char* name, const PixelPicture& picture) {
        IDirect3DTexture9* mask = nullptr;
        ASSERT_EQ(g_D3DDevice.device->CreateTexture(kPictureWidth, kPictureHeight, 1, 0, D3DFMT_A8R8G8B8,
                                                    D3DPOOL_SYSTEMMEM, &mask, nullptr),
                  D3D_OK);
        IDirect3DSurface9* level = nullptr;
        ASSERT_EQ(mask->GetSurfaceLevel(0, &level), D3D_OK);
        PaintSurface(level, picture);
        level->Release();
        ASSERT_EQ(D3DXSaveTextureToFileA(name, D3DXIFF_DDS, mask, nullptr), D3D_OK);
        mask->Release();
    }

    // Draws the preview picture through the shell: left half one colour,
    // right half another.
    void RenderPreview() {
        m_shell->SetPreviewObject(&m_record);
        m_shell->BeginPreviewRender();
        IDirect3DDevice9* device = g_D3DDevice.device;
        D3DRECT left{0, 0, kPictureWidth / 2, kPictureHeight}, right{kPictureWidth / 2, 0, kPictureWidth, kPictureHeight};
        ASSERT_EQ(device->Clear(1, &left, D3DCLEAR_TARGET, kLeftColour, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->Clear(1, &right, D3DCLEAR_TARGET, kRightColour, 1.0f, 0), D3D_OK);
        m_shell->EndPreviewRender();
    }

    static D3DCOLOR PreviewAt(int x) { return x < kPictureWidth / 2 ? kLeftColour : kRightColour; }

    IDirect3DSurface9* CurrentTarget() {
        IDirect3DSurface9* target = nullptr;
        EXPECT_EQ(g_D3DDevice.device->GetRenderTarget(0, &target), D3D_OK);
        if (target) target->Release();
        return target;
    }

    // The back buffer after a capture at (x, y) with `dotted` telling where
    // the mask keeps it, compared pixel by pixel with what it must be.
    void ExpectComposited(int x, int y, int width, int height, bool dotted) {
        UINT backWidth = 0, backHeight = 0;
        std::vector<D3DCOLOR> back = SurfacePixels(m_shell->backBufferSurface, &backWidth, &backHeight);
        int copied = 0;
        for (int py = 0; py < int(backHeight); ++py)
            for (int px = 0; px < int(backWidth); ++px) {
                const int c = px - x, r = py - y;
                const bool inRect = c >= 0 && r >= 0 && c < width && r < height;
                const bool takes = inRect && !(dotted && KeepAt(c, r));
                const D3DCOLOR want = takes ? PreviewAt(c) : Pattern(px, py);
                copied += takes;
                ASSERT_EQ(back[size_t(py) * backWidth + px] | 0xFF000000u, want) << px << "," << py;
            }
        EXPECT_GT(copied, 0);
    }

    IDirect3DTexture9* m_texture = nullptr;  // the cache's
    KPrimPicture m_record;
};

TEST_F(PreviewCaptureTest, BeginAndEndRenderIntoThePictureAndRestoreTheBackBuffer) {
    SetUpPreview();
    IDirect3DSurface9* pictureLevel = nullptr;
    ASSERT_EQ(m_texture->GetSurfaceLevel(0, &pictureLevel), D3D_OK);
    pictureLevel->Release();

    m_shell->SetPreviewObject(&m_record);
    m_shell->BeginPreviewRender();
    EXPECT_EQ(CurrentTarget(), pictureLevel);
    EXPECT_EQ(SavedPreviewTarget(), m_shell->backBufferSurface);
    // A second begin keeps the first saved target.
    m_shell->BeginPreviewRender();
    EXPECT_EQ(SavedPreviewTarget(), m_shell->backBufferSurface);
    // Changing the object in between does not strand the saved target.
    m_shell->SetPreviewObject(nullptr);
    m_shell->EndPreviewRender();
    EXPECT_EQ(CurrentTarget(), m_shell->backBufferSurface);
    EXPECT_EQ(SavedPreviewTarget(), nullptr);
    // End without Begin leaves the target alone.
    m_shell->EndPreviewRender();
    EXPECT_EQ(CurrentTarget(), m_shell->backBufferSurface);
}

TEST_F(PreviewCaptureTest, BeginWithoutAnObjectOrAPictureChangesNothing) {
    SetUpPreview();
    m_shell->BeginPreviewRender();
    EXPECT_EQ(CurrentTarget(), m_shell->backBufferSurface);
    KPrimPicture unknown = ClearedRecord();
    std::strcpy(unknown.fileName, "\\pic\\missing.jpg");
    m_shell->SetPreviewObject(&unknown);
    m_shell->BeginPreviewRender();
    EXPECT_EQ(CurrentTarget(), m_shell->backBufferSurface);
    EXPECT_EQ(SavedPreviewTarget(), nullptr);
}

TEST_F(PreviewCaptureTest, ShellReleaseDropsTheTargetOfABeginWithoutEnd) {
    SetUpPreview();
    m_shell->SetPreviewObject(&m_record);
    m_shell->BeginPreviewRender();
    ASSERT_NE(SavedPreviewTarget(), nullptr);
    ReleaseShell();
    EXPECT_EQ(SavedPreviewTarget(), nullptr);
    EXPECT_TRUE(lumiva::d3d9::OverReleases().empty());
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);
}

TEST_F(PreviewCaptureTest, ShellReleaseGivesBackTheMaskAndANewShellLoadsItAgain) {
    SetUpPreview();
    RenderPreview();
    m_shell->CapturePreview("\\masks\\dotted.dds", 10, 10, kPictureWidth, kPictureHeight);
    ASSERT_NE(m_shell->previewMask, nullptr);
    ReleaseShell();
    EXPECT_EQ(NamedTexturePool().Count(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveDeviceCount(), 0u);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u);

    // The next shell's mask is made on its own device.
    SetUpPreview();
    RenderPreview();
    PaintBackBuffer(Pattern);
    m_shell->CapturePreview("\\masks\\dotted.dds", 10, 10, kPictureWidth, kPictureHeight);
    ExpectComposited(10, 10, kPictureWidth, kPictureHeight, true);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_NE(m_shell->previewMask, nullptr);
    ASSERT_EQ(m_shell->previewMask->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, g_D3DDevice.device);
    owner->Release();
}

TEST_F(PreviewCaptureTest, PictureLookupFillsTheRecordsCacheFields) {
    SetUpPreview();
    EXPECT_NE(m_record.fileId, 0u);
    KPrimPicture sprite = m_record;
    sprite.imageType = kImageSprite;
    KPreviewPicture picture;
    EXPECT_FALSE(preview_sources::GetPreviewPicture(m_shell, &sprite, &picture));
    KPrimPicture unnamed = ClearedRecord();
    EXPECT_FALSE(preview_sources::GetPreviewPicture(m_shell, &unnamed, &picture));
}

TEST_F(PreviewCaptureTest, RecordsAreReadWithinTheirNameFieldAtAnyAddress) {
    SetUpPreview();
    KPreviewPicture picture;
    // One byte into a buffer: the lookup works and its id goes back there.
    std::vector<uint8_t> bytes(1 + sizeof(KPrimPicture), 0);
    KPrimPicture named = ClearedRecord();
    std::strcpy(named.fileName, "\\pic\\preview.jpg");
    named.imageType = kImageBlank32;
    std::memcpy(bytes.data() + 1, &named, sizeof named);
    auto* misaligned = reinterpret_cast<KPrimPicture*>(bytes.data() + 1);
    EXPECT_TRUE(preview_sources::GetPreviewPicture(m_shell, misaligned, &picture));
    uint32_t fileId = 0;
    std::memcpy(&fileId, bytes.data() + 1 + offsetof(KPrimPicture, fileId), sizeof fileId);
    EXPECT_EQ(fileId, m_record.fileId);
    // The same name with the rest of its field filled: no terminator, no picture.
    std::memset(named.fileName + std::strlen(named.fileName), 'x',
                sizeof named.fileName - std::strlen(named.fileName));
    EXPECT_FALSE(preview_sources::GetPreviewPicture(m_shell, &named, &picture));
    EXPECT_EQ(preview_sources::SetPictureAsRenderTarget(m_shell, &named), nullptr);
}

TEST_F(PreviewCaptureTest, CaptureCopiesThePictureWhereTheMaskIsNotTheKeepColour) {
    SetUpPreview();
    RenderPreview();
    PaintBackBuffer(Pattern);
    lumiva::d3d9::EnableRecording(true);
    m_shell->CapturePreview("\\masks\\dotted.dds", 100, 50, kPictureWidth, kPictureHeight);
    lumiva::d3d9::EnableRecording(false);
    ExpectComposited(100, 50, kPictureWidth, kPictureHeight, true);

    // The picture is read back from its texture, and the back buffer is
    // locked without the system lock, then unlocked.
    EXPECT_EQ(lumiva::d3d9::RecordedCallsNamed("GetRenderTargetData").size(), 1u);
    const uint64_t back = uint64_t(reinterpret_cast<uintptr_t>(m_shell->backBufferSurface));
    int backLocks = 0, backUnlocks = 0;
    for (const auto& call : lumiva::d3d9::RecordedCallsNamed("Surface::LockRect"))
        if (call.args[0] == back) {
            ++backLocks;
            EXPECT_EQ(call.args.back(), uint64_t(D3DLOCK_NOSYSLOCK));
        }
    for (const auto& call : lumiva::d3d9::RecordedCallsNamed("Surface::UnlockRect")) backUnlocks += call.args[0] == back;
    EXPECT_EQ(backLocks, 1);
    EXPECT_EQ(backUnlocks, 1);
}

TEST_F(PreviewCaptureTest, CaptureTakesAJpegPictureLoadedFromTheDataRoot) {
    MakeCreatedShell();
    constexpr int kWidth = 16, kHeight = 8;
    constexpr uint8_t kRed = 0x30, kGreen = 0xA0, kBlue = 0x60;
    std::vector<uint8_t> rgb;
    for (int i = 0; i < kWidth * kHeight; ++i) rgb.insert(rgb.end(), {kRed, kGreen, kBlue});
    const std::vector<uint8_t> jpeg = EncodeJpeg(rgb, kWidth, kHeight, JpegOptions{100});
    WriteDataFile("pic/solid.jpg", std::string(jpeg.begin(), jpeg.end()));
    WriteMask("\\masks\\open.dds", [](int, int) { return D3DCOLOR(0); });
    m_record = ClearedRecord();
    std::strcpy(m_record.fileName, "\\pic\\solid.jpg");
    m_record.imageType = kImageJpeg;
    m_shell->SetPreviewObject(&m_record);
    PaintBackBuffer(Pattern);
    m_shell->CapturePreview("\\masks\\open.dds", 40, 30, kWidth, kHeight);

    UINT width = 0;
    std::vector<D3DCOLOR> back = SurfacePixels(m_shell->backBufferSurface, &width);
    auto near = [](int got, int want) { return std::abs(got - want) <= 8; };
    for (int y = 29; y < 30 + kHeight + 1; ++y)
        for (int x = 39; x < 40 + kWidth + 1; ++x) {
            const D3DCOLOR got = back[size_t(y) * width + x];
            const bool inside = x >= 40 && y >= 30 && x < 40 + kWidth && y < 30 + kHeight;
            if (!inside) {
                ASSERT_EQ(got | 0xFF000000u, Pattern(x, y)) << x << "," << y;
                continue;
            }
            ASSERT_TRUE(near(Red(got), kRed) && near(Green(got), kGreen) && near(Blue(got), kBlue))
                << x << "," << y << " got " << std::hex << got;
        }
}

TEST_F(PreviewCaptureTest, TheFirstMaskStaysInUse) {
    SetUpPreview();
    RenderPreview();
    PaintBackBuffer(Pattern);
    m_shell->CapturePreview("\\masks\\dotted.dds", 10, 10, kPictureWidth, kPictureHeight);
    PaintBackBuffer(Pattern);
    m_shell->CapturePreview("\\masks\\open.dds", 10, 10, kPictureWidth, kPictureHeight);
    ExpectComposited(10, 10, kPictureWidth, kPictureHeight, true);
    EXPECT_EQ(NamedTexturePool().Find("\\masks\\open.dds"), nullptr);
}

TEST_F(PreviewCaptureTest, RectanglesAreClippedToThePictureTheMaskAndTheBackBuffer) {
    SetUpPreview();
    RenderPreview();
    struct Case {
        int x, y, width, height;
    };
    for (const Case& c : {Case{780, 590, kPictureWidth, kPictureHeight}, Case{-20, -10, kPictureWidth, kPictureHeight},
                          Case{300, 300, 500, 400}, Case{0, 0, 16, 8}}) {
        PaintBackBuffer(Pattern);
        m_shell->CapturePreview("\\masks\\open.dds", c.x, c.y, c.width, c.height);
        ExpectComposited(c.x, c.y, std::min(c.width, kPictureWidth), std::min(c.height, kPictureHeight), false);
    }
}

TEST_F(PreviewCaptureTest, RefusedCapturesLeaveTheBackBufferAlone) {
    SetUpPreview();
    RenderPreview();
    auto unchanged = [&](const char* what) {
        UINT width = 0;
        std::vector<D3DCOLOR> back = SurfacePixels(m_shell->backBufferSurface, &width);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x)
                ASSERT_EQ(back[size_t(y) * width + x] | 0xFF000000u, Pattern(x, y)) << what << " " << x << "," << y;
    };
    PaintBackBuffer(Pattern);
    m_shell->SetPreviewObject(nullptr);
    m_shell->CapturePreview("\\masks\\open.dds", 0, 0, 64, 32);
    unchanged("no object");

    KPrimPicture unnamed = ClearedRecord();
    m_shell->SetPreviewObject(&unnamed);
    m_shell->CapturePreview("\\masks\\open.dds", 0, 0, 64, 32);
    unchanged("empty name");

    m_shell->SetPreviewObject(&m_record);
    m_shell->deviceLost = 1;
    m_shell->CapturePreview("\\masks\\open.dds", 0, 0, 64, 32);
    m_shell->deviceLost = 0;
    unchanged("device lost");

    m_shell->CapturePreview("\\masks\\missing.dds", 0, 0, 64, 32);
    unchanged("missing mask");
    EXPECT_EQ(m_shell->previewMask, nullptr);
}

TEST_F(PreviewCaptureTest, SixteenBitBackBufferTakesConvertedPicturePixels) {
    lumiva::d3d9::AdapterConfig adapter = lumiva::d3d9::DefaultAdapter();
    adapter.displayMode.Format = D3DFMT_R5G6B5;
    lumiva::d3d9::SetAdapters({adapter});
    MakeCreatedShell();
    // A 32-bit picture onto the 16-bit back buffer.
    MakePreviewPicture();
    WriteMask("\\masks\\dotted.dds", [](int x, int y) { return KeepAt(x, y) ? kKeep : 0xFF000000u; });
    RenderPreview();
    PaintBackBuffer([](int, int) { return D3DCOLOR(0xFF000000); });
    m_shell->CapturePreview("\\masks\\dotted.dds", 5, 6, kPictureWidth, kPictureHeight);

    UINT width = 0;
    std::vector<D3DCOLOR> back = SurfacePixels(m_shell->backBufferSurface, &width);
    auto near = [](D3DCOLOR got, D3DCOLOR want) {
        return std::abs(Red(got) - Red(want)) <= 8 && std::abs(Green(got) - Green(want)) <= 4 &&
               std::abs(Blue(got) - Blue(want)) <= 8;
    };
    for (int r = 0; r < kPictureHeight; ++r)
        for (int c = 0; c < kPictureWidth; ++c) {
            D3DCOLOR got = back[size_t(6 + r) * width + 5 + c];
            D3DCOLOR want = KeepAt(c, r) ? 0xFF000000u : PreviewAt(c);
            ASSERT_TRUE(near(got, want)) << c << "," << r << " got " << std::hex << got;
        }
}

}  // namespace
}  // namespace shell_test
