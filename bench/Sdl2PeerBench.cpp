// The same sprite workload drawn by our device and by SDL2's software
// renderer in one run: 1,000 alpha-blended 64 x 64 sprites on 800 x 600.
// The "ratio" counter is our time over SDL2's. The module's real path is
// there too: the sprites as type 4 records through DrawPrimitives, from an
// SPR picture (A4R4G4B4 tiles) in blend mode 5 (LINEAR filtering).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <d3d9.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "BenchScratch.h"
#include "ByteWriter.h"
#include "SprWriter.h"
#include "basrel/BasrelReset.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/PrimitiveRecords.h"
#include "shell/ModuleExports.h"
#include "textures/KImageTexture.h"
#include "win32/Control.h"

namespace {

constexpr int kSprites = 1000;
constexpr int kSize = 64;

struct Placement {
    int x, y;
};

// Fixed positions from a small LCG, the same for both sides.
std::vector<Placement> Placements() {
    std::vector<Placement> out;
    uint32_t seed = 12345;
    for (int i = 0; i < kSprites; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int x = int((seed >> 8) % (800 - kSize));
        seed = seed * 1103515245u + 12345u;
        const int y = int((seed >> 8) % (600 - kSize));
        out.push_back({x, y});
    }
    return out;
}

// A soft disc: alpha falls from the centre to the rim.
std::vector<uint32_t> SpritePixels() {
    std::vector<uint32_t> argb(kSize * kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double d = std::hypot(x - 31.5, y - 31.5) / 32.0;
            const uint32_t alpha = d >= 1.0 ? 0 : uint32_t(255 * (1.0 - d));
            argb[size_t(y) * kSize + size_t(x)] = alpha << 24 | 0x40A0FFu;
        }
    return argb;
}

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

// The module's pictures are A4R4G4B4 drawn with LINEAR filtering; the plain
// case is A8R8G8B8 with POINT.
struct Pictures {
    D3DFORMAT format;
    DWORD filter;
};

// The sprite as the module keeps it: 4 bits a channel, rounded.
std::vector<uint16_t> To4444(const std::vector<uint32_t>& argb) {
    std::vector<uint16_t> out;
    for (uint32_t p : argb) {
        uint16_t v = 0;
        for (int shift = 0; shift < 32; shift += 8) v |= uint16_t((((p >> shift) & 255) * 15 + 127) / 255 << (shift / 2));
        out.push_back(v);
    }
    return out;
}

// The same 4-bit sprite widened back to 8 bits, for SDL2.
std::vector<uint32_t> From4444(const std::vector<uint16_t>& texels) {
    std::vector<uint32_t> out;
    for (uint16_t t : texels) {
        uint32_t v = 0;
        for (int shift = 0; shift < 16; shift += 4) v |= uint32_t(((t >> shift) & 15) * 17) << (shift * 2);
        out.push_back(v);
    }
    return out;
}

std::vector<uint32_t> PicturePixels(const Pictures& pictures) {
    const std::vector<uint32_t> argb = SpritePixels();
    return pictures.format == D3DFMT_A4R4G4B4 ? From4444(To4444(argb)) : argb;
}

class OurSide {
public:
    explicit OurSide(Pictures pictures) : m_pictures(pictures) {}
    bool Open() {
        BasrelResetForTests();
        lumiva::d3d9::ResetForTests();
        lumiva::win32::SetDesktopSize(1056, 856);
        g_SetRootPath(BenchScratchFolder().c_str());
        m_window = CreateWindowExA(0, "LumivaBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                   nullptr, nullptr);
        g_SetMainHWnd(m_window);
        m_shell = CreateLumivaShell4();
        if (!m_shell || !m_shell->Create(800, 600, 0, 0, 0)) return false;
        IDirect3DDevice9* device = m_shell->GetDevice();
        if (FAILED(device->CreateTexture(kSize, kSize, 1, 0, m_pictures.format, D3DPOOL_MANAGED, &m_texture, nullptr)))
            return false;
        D3DLOCKED_RECT locked{};
        m_texture->LockRect(0, &locked, nullptr, 0);
        const std::vector<uint32_t> pixels = SpritePixels();
        const std::vector<uint16_t> small = To4444(pixels);
        for (int y = 0; y < kSize; ++y) {
            uint8_t* row = static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch;
            if (m_pictures.format == D3DFMT_A4R4G4B4)
                std::memcpy(row, &small[size_t(y) * kSize], kSize * 2);
            else
                std::memcpy(row, &pixels[size_t(y) * kSize], kSize * 4);
        }
        m_texture->UnlockRect(0);
        return true;
    }
    void Draw(const std::vector<Placement>& placements) {
        IDirect3DDevice9* device = m_shell->GetDevice();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        device->SetTexture(0, m_texture);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, m_pictures.filter);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, m_pictures.filter);
        for (const Placement& p : placements) {
            const float x = float(p.x) - 0.5f, y = float(p.y) - 0.5f, s = float(kSize);
            const Vertex quad[4] = {{x, y, 0, 1, 0xFFFFFFFFu, 0, 0},
                                    {x + s, y, 0, 1, 0xFFFFFFFFu, 1, 0},
                                    {x, y + s, 0, 1, 0xFFFFFFFFu, 0, 1},
                                    {x + s, y + s, 0, 1, 0xFFFFFFFFu, 1, 1}};
            device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
        }
        device->EndScene();
    }
    ~OurSide() {
        if (m_texture) m_texture->Release();
        if (m_shell) m_shell->Release();
        if (m_window) DestroyWindow(m_window);
    }

private:
    Pictures m_pictures;
    HWND m_window = nullptr;
    IKDrawShell* m_shell = nullptr;
    IDirect3DTexture9* m_texture = nullptr;
};

// The sprites as the module draws them: records of an SPR picture, looked
// up in the image cache and drawn by the dispatcher.
class ModuleRecordSide {
public:
    explicit ModuleRecordSide(Pictures) {}
    bool Open(const std::vector<Placement>& placements) {
        BasrelResetForTests();
        lumiva::d3d9::ResetForTests();
        lumiva::win32::SetDesktopSize(1056, 856);
        const std::string root = BenchScratchFolder() + "/module-sprites";
        std::filesystem::create_directories(root);
        g_SetRootPath(root.c_str());
        const uint16_t side = uint16_t(kSize);
        WriteFileBytes(root + "/disc.spr",
                       WriteSpr(SprSpriteInfo{side, side, 0, 0, 1, 1}, {{side, side, 0, 0, SpritePixels()}}));
        m_window = CreateWindowExA(0, "LumivaBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                   nullptr, nullptr);
        g_SetMainHWnd(m_window);
        m_shell = CreateLumivaShell4();
        if (!m_shell || !m_shell->Create(800, 600, 0, 0, 0)) return false;
        for (const Placement& p : placements) {
            KPrimPictureEx r;
            std::memset(static_cast<void*>(&r), 0, sizeof r);
            new (&r) KPrimPictureEx();
            r.ax = p.x, r.ay = p.y;
            r.blue = r.green = r.red = 0xFF;
            r.blendMode = 5;  // full colour (white here), LINEAR filtering
            r.imageType = kImageSprite;
            std::strcpy(r.fileName, "disc.spr");
            r.r0 = -1000, r.r1 = -1000, r.r2 = 1000, r.r3 = 1000;
            m_records.push_back(r);
        }
        return true;
    }
    void Draw(const std::vector<Placement>&) {
        IDirect3DDevice9* device = m_shell->GetDevice();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        m_shell->DrawPrimitives(int(m_records.size()), m_records.data(), PRIM_RECT_PICTURES, 1, 0, -1, -1.0f);
        device->EndScene();
    }
    ~ModuleRecordSide() {
        if (m_shell) m_shell->Release();
        if (m_window) DestroyWindow(m_window);
    }

private:
    HWND m_window = nullptr;
    IKDrawShell* m_shell = nullptr;
    std::vector<KPrimPictureEx> m_records;
};

class SdlSide {
public:
    bool Open(const Pictures& pictures) {
        m_target = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_ARGB8888);
        if (m_target) m_renderer = SDL_CreateSoftwareRenderer(m_target);
        if (!m_renderer) return false;
        std::vector<uint32_t> pixels = PicturePixels(pictures);
        SDL_Surface* sprite = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kSize, kSize, 32, kSize * 4,
                                                                 SDL_PIXELFORMAT_ARGB8888);
        if (!sprite) return false;
        m_texture = SDL_CreateTextureFromSurface(m_renderer, sprite);
        SDL_FreeSurface(sprite);
        if (!m_texture) return false;
        SDL_SetTextureBlendMode(m_texture, SDL_BLENDMODE_BLEND);
        return true;
    }
    void Draw(const std::vector<Placement>& placements) {
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
        SDL_RenderClear(m_renderer);
        for (const Placement& p : placements) {
            const SDL_Rect rect{p.x, p.y, kSize, kSize};
            SDL_RenderCopy(m_renderer, m_texture, nullptr, &rect);
        }
        SDL_RenderFlush(m_renderer);
    }
    ~SdlSide() {
        if (m_texture) SDL_DestroyTexture(m_texture);
        if (m_renderer) SDL_DestroyRenderer(m_renderer);
        if (m_target) SDL_FreeSurface(m_target);
    }

private:
    SDL_Surface* m_target = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
};

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// This thread's processor time in milliseconds: on a loaded machine the
// wall clock also counts the time other processes held the core.
double ThreadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

bool OpenSide(OurSide& side, const std::vector<Placement>&, int) { return side.Open(); }
bool OpenSide(ModuleRecordSide& side, const std::vector<Placement>& placements, int threads) {
    if (!side.Open(placements)) return false;
    lumiva::d3d9::SetRasterThreadCount(threads);
    return true;
}

template <class Ours = OurSide>
void RunSprites(benchmark::State& state, Pictures pictures, int threads = 0) {
    const std::vector<Placement> placements = Placements();
    Ours ours(pictures);
    SdlSide sdl;
    if (!OpenSide(ours, placements, threads) || !sdl.Open(pictures)) {
        state.SkipWithError("cannot set up both renderers");
        return;
    }
    double oursMs = 0, sdlMs = 0, oursCpuMs = 0, sdlCpuMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double startCpu = ThreadCpuMilliseconds();
        ours.Draw(placements);
        const auto middle = std::chrono::steady_clock::now();
        const double middleCpu = ThreadCpuMilliseconds();
        sdl.Draw(placements);
        oursMs += Milliseconds(middle - start);
        sdlMs += Milliseconds(std::chrono::steady_clock::now() - middle);
        oursCpuMs += middleCpu - startCpu;
        sdlCpuMs += ThreadCpuMilliseconds() - middleCpu;
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = oursMs / n;
    state.counters["sdl2_ms"] = sdlMs / n;
    state.counters["ratio"] = sdlMs > 0 ? oursMs / sdlMs : 0;
    state.counters["cpu_ratio"] = sdlCpuMs > 0 ? oursCpuMs / sdlCpuMs : 0;
}

}  // namespace

void BM_SpritesOursVsSdl2(benchmark::State& state) { RunSprites(state, {D3DFMT_A8R8G8B8, D3DTEXF_POINT}); }
// The module's real pictures: A4R4G4B4, LINEAR.
void BM_ModulePicturesOursVsSdl2(benchmark::State& state) { RunSprites(state, {D3DFMT_A4R4G4B4, D3DTEXF_LINEAR}); }
// The same pictures as sprite records through the dispatcher; the argument
// is the rasterizer's thread count (0: the processor count). The records
// share one texture, so they reach the device as one large draw, which the
// rasterizer splits into bands across its threads.
void BM_ModuleSpriteRecordsOursVsSdl2(benchmark::State& state) {
    RunSprites<ModuleRecordSide>(state, {D3DFMT_A4R4G4B4, D3DTEXF_LINEAR}, int(state.range(0)));
    lumiva::d3d9::SetRasterThreadCount(0);
}

BENCHMARK(BM_SpritesOursVsSdl2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModulePicturesOursVsSdl2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModuleSpriteRecordsOursVsSdl2)->ArgName("threads")->Arg(1)->Arg(4)->Arg(0)->Unit(benchmark::kMillisecond);
