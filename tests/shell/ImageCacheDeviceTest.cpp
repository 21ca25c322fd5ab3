// Device-object hooks, memory counting, the stats title, the texture list
// file and the cache's re-entrant lock.
#include <atomic>
#include <cstring>
#include <thread>

#include "ImageCacheFixture.h"
#include "d3d9/Control.h"
#include "shell/D3DDevice.h"
#include "textures/KJpgImage.h"

namespace shell_test {
namespace {

class ImageCacheDevice : public ImageCacheTest {
protected:
    // A 4 x 4 blank A8R8G8B8 picture with a copy, painted one colour.
    KJpgImage* PaintedCanvas(D3DCOLOR colour) {
        EXPECT_NE(m_shell->CreateImage("canvas", 4, 4, 2, 1), 0u);
        int32_t info[5] = {};
        auto* bits = static_cast<uint8_t*>(m_shell->LockImage("canvas", info));
        EXPECT_NE(bits, nullptr);
        if (!bits) return nullptr;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) std::memcpy(bits + y * info[2] + x * 4, &colour, 4);
        m_shell->UnlockImage("canvas", 0);
        return static_cast<KJpgImage*>(Get("canvas", 2));
    }
    D3DCOLOR TexelOf(KJpgImage* picture) {
        IDirect3DSurface9* level = nullptr;
        if (!picture->GetTexture() || FAILED(picture->GetTexture()->GetSurfaceLevel(0, &level))) return 0xDEADBEEF;
        const auto image = lumiva::d3d9::SurfaceImage(level);
        level->Release();
        return image.At(1, 1);
    }
};

TEST_F(ImageCacheDevice, InvalidateAndRestoreKeepPicturesDrawable) {
    KJpgImage* canvas = PaintedCanvas(0xFF204060u);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(TexelOf(canvas), 0xFF204060u);
    ASSERT_EQ(m_shell->InvalidateDeviceObjects(), 0);
    EXPECT_EQ(canvas->GetTexture(), nullptr);
    // Invalidation gave the default-pool textures back.
    EXPECT_GT(Cache().invSub2, Cache().invSub1);
    EXPECT_EQ(m_shell->GetDevice()->Reset(&g_D3DDevice.presentParams), D3D_OK);
    ASSERT_EQ(m_shell->RestoreDeviceObjects(), 0);
    EXPECT_LT(Cache().resSub2, Cache().resSub1);
    EXPECT_EQ(TexelOf(canvas), 0xFF204060u);
}

TEST_F(ImageCacheDevice, RestoreFailsWhenAPictureCannotComeBack) {
    ASSERT_NE(PaintedCanvas(0xFF000000u), nullptr);
    ASSERT_EQ(m_shell->InvalidateDeviceObjects(), 0);
    // The picture's retry after purging idle pictures fails too.
    lumiva::d3d9::FailCreationAt(1, D3DERR_OUTOFVIDEOMEMORY, 2);
    EXPECT_FALSE(Cache().RestoreDeviceObjects());
    EXPECT_TRUE(Cache().RestoreDeviceObjects());
}

TEST_F(ImageCacheDevice, MemoryCountAndStatsTitle) {
    WriteJpeg("a.jpg", 16, 16);
    WriteJpeg("b.jpg", 32, 32);
    KImageTexture* a = Get("a.jpg");
    KImageTexture* b = Get("b.jpg");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    Cache().BeginUsageCount();
    EXPECT_FALSE(a->IsUsed());
    ASSERT_EQ(Get("b.jpg"), b);
    Cache().CountImageMemory();
    EXPECT_EQ(Cache().counting, 0);
    uint32_t all = 0, memory = 0;
    for (const KImageCacheEntry& entry : Cache().Entries())
        if (entry.picture) all += entry.picture->GetCost(), memory += entry.picture->GetMemory();
    EXPECT_EQ(Cache().textureBytes, all);
    EXPECT_EQ(Cache().memoryBytes, memory);
    EXPECT_EQ(Cache().usedTextureBytes, b->GetCost());
    EXPECT_GT(b->GetCost(), 0u);

    // Enough for a whole megabyte figure.
    Cache().textureBytes = 5u << 20;
    const UINT available = m_shell->GetDevice()->GetAvailableTextureMem();
    const std::string expected = "Tex:5M  VM:" + std::to_string(available >> 20) + "M";
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    Cache().ShowStats(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), expected);
    char title[64] = {};
    GetWindowTextA(m_window, title, sizeof title);
    EXPECT_EQ(std::string(title), expected);
    // Too small a buffer still sets the title but is left alone.
    char small[4] = {'k', 'e', 'e', 'p'};
    Cache().ShowStats(small, sizeof small);
    EXPECT_EQ(std::string(small, 4), "keep");
    Cache().ShowStats(nullptr, 64);
}

TEST_F(ImageCacheDevice, DumpTextureListWritesTheDeviceCounters) {
    Cache().invSub1 = 64u << 20;
    Cache().invSub2 = (70u << 20) + 5;
    Cache().resSub1 = 3u << 20;
    Cache().resSub2 = 0;
    Cache().DumpTextureList();
    EXPECT_EQ(ReadDataFile("TextureList.txt"), "InvSub1: 64\nInvSub2: 70\nResSub1: 3\nResSub2: 0\n");
    // Written anew each time, not appended.
    Cache().DumpTextureList();
    EXPECT_EQ(ReadDataFile("TextureList.txt"), "InvSub1: 64\nInvSub2: 70\nResSub1: 3\nResSub2: 0\n");
}

TEST_F(ImageCacheDevice, LockAdmitsItsHolderAndShutsOutOtherThreads) {
    WriteJpeg("r.jpg");
    g_ImageCacheMutex.Lock();
    // The holder may look up, create and purge: each takes the lock again.
    EXPECT_NE(Get("r.jpg"), nullptr);
    EXPECT_NE(Cache().CreateImage("r2", 4, 4, 0, 0), 0u);
    Cache().PurgeAll();
    std::atomic<bool> otherGotIt{true};
    std::thread other([&] {
        otherGotIt = g_ImageCacheMutex.TryLock();
        if (otherGotIt) g_ImageCacheMutex.Unlock();
    });
    other.join();
    EXPECT_FALSE(otherGotIt);
    g_ImageCacheMutex.Unlock();
    std::thread after([&] {
        otherGotIt = g_ImageCacheMutex.TryLock();
        if (otherGotIt) g_ImageCacheMutex.Unlock();
    });
    after.join();
    EXPECT_TRUE(otherGotIt);
}

TEST_F(ImageCacheDevice, LookupsFromTwoThreadsKeepOneEntryPerName) {
    for (int i = 0; i < 8; ++i) WriteJpeg("th" + std::to_string(i) + ".jpg");
    auto work = [&] {
        for (int round = 0; round < 20; ++round)
            for (int i = 0; i < 8; ++i) Get(("th" + std::to_string(i) + ".jpg").c_str());
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    int entries = 0;
    for (const KImageCacheEntry& entry : Cache().Entries()) entries += entry.name.rfind("th", 0) == 0;
    EXPECT_EQ(entries, 8);
    for (int i = 0; i < 8; ++i) EXPECT_NE(Get(("th" + std::to_string(i) + ".jpg").c_str()), nullptr);
}

}  // namespace
}  // namespace shell_test
