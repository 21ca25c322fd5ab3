// lumiva-soak: the demo's client screen and then its whole scene on the
// software device, through device losses and memory shortages.
//
//   lumiva-soak [--cycles N] [--seed S]
//
// Loss cycles: frames of the client screen with, now and then, a device
// that is lost for a few frames and then waits for its reset; some resets
// fail once, some restores meet an out-of-memory creation. After each loss
// the screen must be back within two frames with exactly the pixels a run
// without faults shows for that frame, and the texture memory in use must
// be what it was in that run. Start-up: every resource creation of the
// shell's Create fails in turn. The whole scene (soak/SceneSoak.h) goes
// through a tenth as many loss cycles and out-of-memory at its creations.
// At the end of each part the shell is released and no device, resource or
// over-release may remain.
//
// Time and randomness come from the stand-ins' manual clock and from the
// seed, so a failing cycle repeats with the same arguments.
#include <windows.h>
#include <d3d9.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "d3d9/Control.h"
#include "host/ClientScreen.h"
#include "lumiva/IKDrawShell.h"
#include "shell/ModuleExports.h"
#include "soak/SceneSoak.h"
#include "soak/SoakSupport.h"
#include "win32/Control.h"

namespace {

namespace fs = std::filesystem;
namespace d3d = lumiva::d3d9;

constexpr int kWidth = 800, kHeight = 600;
constexpr int kPeriod = 60;       // the client screen repeats every 60 frames
constexpr uint64_t kFrameMs = 16;
constexpr int kRecoveryFrames = 2;

struct Options {
    int cycles = 100;
    uint32_t seed = 1;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--cycles" || arg == "--seed") && i + 1 < argc) {
            const long value = std::strtol(argv[++i], nullptr, 10);
            if (value < 0) return false;
            if (arg == "--cycles")
                options->cycles = int(value);
            else
                options->seed = uint32_t(value);
        } else {
            std::fprintf(stderr, "usage: lumiva-soak [--cycles N] [--seed S]\n");
            return false;
        }
    }
    return true;
}

uint64_t Fingerprint(const d3d::Image& image) {
    uint64_t hash = 1469598103934665603ull;
    for (D3DCOLOR pixel : image.pixels) hash = (hash ^ pixel) * 1099511628211ull;
    return hash ^ uint64_t(image.width) << 32 ^ image.height;
}

// The stand-ins, the host library and the module back to their start, with
// the sample data in a scratch root.
class World {
public:
    explicit World(const fs::path& root) : m_root(root) {}

    bool Prepare() { return soak::PrepareSampleRoot(m_root); }
    void Start() { soak::StartStandIns(m_root, kWidth, kHeight); }
    // Nothing of the device may outlive the shell.
    void ExpectNothingLeft(const char* part, int index) { soak::ExpectNothingLeft(part, index); }
    void Finish() { soak::ResetStandIns(); }

private:
    fs::path m_root;
};

struct FrameResult {
    uint64_t fingerprint = 0;
    uint64_t textureMemory = 0;
};

// The frame as drawn: the back buffer after EndFrame (the window it is
// presented to may move when the display mode is set again).
uint64_t BackBufferFingerprint(IKDrawShell* shell) {
    IDirect3DDevice9* device = shell->GetDevice();
    IDirect3DSurface9* back = nullptr;
    if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return 0;
    const uint64_t fingerprint = Fingerprint(d3d::SurfaceImage(back));
    back->Release();
    return fingerprint;
}

FrameResult DrawFrame(IKDrawShell* shell, ClientScreen& screen, int frame) {
    lumiva::win32::AdvanceClock(kFrameMs);
    screen.DrawFrame(frame % kPeriod);
    return {BackBufferFingerprint(shell), d3d::UsedTextureMemory()};
}

IKDrawShell* CreateShell() {
    IKDrawShell* shell = CreateLumivaShell4();
    if (shell && !shell->Create(kWidth, kHeight, 0, 0, 0)) {
        shell->Release();
        return nullptr;
    }
    return shell;
}

// One period drawn twice, so every picture is loaded; the second pass is
// what a run without faults shows.
std::vector<FrameResult> Reference(World& world, const fs::path& data) {
    world.Start();
    std::vector<FrameResult> frames;
    IKDrawShell* shell = CreateShell();
    if (!shell) {
        soak::Fail("the shell's Create failed without faults");
        return frames;
    }
    ClientScreen screen(shell, kWidth, kHeight);
    if (screen.Load(data.string())) {
        for (int frame = 0; frame < 2 * kPeriod; ++frame) {
            const FrameResult result = DrawFrame(shell, screen, frame);
            if (frame >= kPeriod) frames.push_back(result);
        }
    }
    shell->Release();
    world.ExpectNothingLeft("reference", 0);
    return frames;
}

enum class Fault { LostThenReset, FailingReset, OutOfMemoryOnRestore, NotResetAtOnce, Count };

void LossCycles(World& world, const fs::path& data, const Options& options, const std::vector<FrameResult>& reference) {
    world.Start();
    IKDrawShell* shell = CreateShell();
    if (!shell) return soak::Fail("the shell's Create failed without faults");
    ClientScreen screen(shell, kWidth, kHeight);
    if (!screen.Load(data.string())) return soak::Fail("the client screen does not load");
    std::mt19937 random(options.seed);
    int frame = 0;
    for (; frame < 2 * kPeriod; ++frame) {
        const FrameResult result = DrawFrame(shell, screen, frame);
        if (frame >= kPeriod && result.fingerprint != reference[size_t(frame % kPeriod)].fingerprint)
            return soak::Fail("frame %d differs from the same frame of the first run, without any fault", frame);
    }
    for (int cycle = 0; cycle < options.cycles; ++cycle) {
        const int calmFrames = int(random() % 4);
        for (int i = 0; i < calmFrames; ++i, ++frame) DrawFrame(shell, screen, frame);
        const auto fault = Fault(random() % uint32_t(Fault::Count));
        if (fault != Fault::NotResetAtOnce) {
            d3d::SetCooperativeLevel(D3DERR_DEVICELOST);
            const int lostFrames = 1 + int(random() % 3);
            for (int i = 0; i < lostFrames; ++i, ++frame) DrawFrame(shell, screen, frame);
        }
        d3d::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
        if (fault == Fault::FailingReset) d3d::FailNextReset();
        if (fault == Fault::OutOfMemoryOnRestore) d3d::FailCreationAt(1);
        bool recovered = false;
        const int allowed = kRecoveryFrames;
        for (int i = 0; i < allowed && !recovered; ++i, ++frame) {
            const FrameResult result = DrawFrame(shell, screen, frame);
            const FrameResult& wanted = reference[size_t(frame % kPeriod)];
            recovered = result.fingerprint == wanted.fingerprint;
        }
        // One frame more and every lazily made texture is back as well.
        const FrameResult after = DrawFrame(shell, screen, frame++);
        const FrameResult& wanted = reference[size_t((frame - 1) % kPeriod)];
        if (recovered && after.textureMemory != wanted.textureMemory)
            soak::Fail("cycle %d: texture memory %llu KB after recovery, %llu KB without faults", cycle,
                       static_cast<unsigned long long>(after.textureMemory >> 10),
                       static_cast<unsigned long long>(wanted.textureMemory >> 10));
        d3d::FailCreationAt(0, D3DERR_OUTOFVIDEOMEMORY, 0);
        if (!recovered)
            soak::Fail("cycle %d (fault %d): the screen is not back after %d frames", cycle, int(fault), allowed);
        if (soak::FailureCount() > 10) break;
    }
    shell->Release();
    world.ExpectNothingLeft("loss cycles", options.cycles);
}

// Every creation of start-up fails once, in turn: Create fails cleanly or
// the shell it makes draws the first frame right.
void StartUpShortages(World& world, const fs::path& data, const std::vector<FrameResult>& reference) {
    world.Start();
    IKDrawShell* clean = CreateShell();
    const UINT creations = d3d::ResourceCreationCount();
    if (clean) clean->Release();
    for (UINT n = 1; n <= creations; ++n) {
        world.Start();
        d3d::FailCreationAt(n);
        IKDrawShell* shell = CreateShell();
        if (shell) {
            ClientScreen screen(shell, kWidth, kHeight);
            if (screen.Load(data.string())) {
                uint64_t last = 0;
                for (int frame = 0; frame < 2 * kPeriod; ++frame) last = DrawFrame(shell, screen, frame).fingerprint;
                if (last != reference[kPeriod - 1].fingerprint)
                    soak::Fail("start-up with creation %u failing: frame %d differs", n, 2 * kPeriod - 1);
            }
            shell->Release();
        }
        world.ExpectNothingLeft("start-up creation", int(n));
    }
    std::printf("lumiva-soak: %u start-up creations failed in turn\n", creations);
}

}  // namespace

int main(int argc, char** argv) {
    soak::SetProgramName("lumiva-soak");
    Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    const char* base = std::getenv("LUMIVA_TEST_TMP");
    const fs::path root = fs::path(base ? base : fs::temp_directory_path().string()) /
                          ("lumiva-soak-" + std::to_string(options.seed));
    World world(root);
    if (!world.Prepare()) {
        std::fprintf(stderr, "lumiva-soak: cannot write the sample data into %s\n", root.c_str());
        return 1;
    }
    const std::vector<FrameResult> reference = Reference(world, root);
    if (reference.size() == size_t(kPeriod)) {
        LossCycles(world, root, options, reference);
        StartUpShortages(world, root, reference);
        const SceneSoakWorld scene{[&world] { world.Start(); },
                                   [&world](const char* part, int index) { world.ExpectNothingLeft(part, index); },
                                   [](const std::string& what) { soak::Fail("%s", what.c_str()); }};
        SceneLossCycles(scene, root.string(), std::max(1, options.cycles / 10), options.seed);
        // The long soak fails every creation; the short one every seventh.
        SceneCreationShortages(scene, root.string(), options.cycles >= 1000 ? 1 : 7);
    } else {
        soak::Fail("no reference frames");
    }
    world.Finish();
    std::error_code error;
    fs::remove_all(root, error);
    if (soak::FailureCount()) return 1;
    std::printf("lumiva-soak: %d loss cycles (seed %u) recovered within %d frames\n", options.cycles, options.seed,
                kRecoveryFrames);
    return 0;
}
