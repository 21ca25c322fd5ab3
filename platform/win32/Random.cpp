// The process's one random source behind rand and srand. These definitions
// live in libbasrel.so, so every caller in the process reaches them before
// the C library's.
#include "Random.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include "win32/Control.h"

namespace lumiva::win32 {
namespace {

struct RandomSource {
    std::mutex lock;
    unsigned seed = 1;  // the platform's generator state
    unsigned lastSeed = 1;
    bool scripted = false;
    std::vector<int> script;
    size_t next = 0;
};

RandomSource& Source() {
    static auto* source = new RandomSource;
    return *source;
}

int NextPlatformValue(RandomSource& s) {
    s.seed = s.seed * 214013u + 2531011u;
    return int((s.seed >> 16) & 0x7FFF);
}

int NextScriptedValue(RandomSource& s) {
    if (s.script.empty()) return 0;
    int value = s.script[s.next];
    s.next = (s.next + 1) % s.script.size();
    return value;
}

}  // namespace

namespace detail {

void ResetRandom() { UseDefaultRandom(); }

}  // namespace detail

void InstallScriptedRandom(std::vector<int> values) {
    RandomSource& s = Source();
    std::lock_guard lock(s.lock);
    s.scripted = true;
    s.script = std::move(values);
    s.next = 0;
}

void UseDefaultRandom() {
    RandomSource& s = Source();
    std::lock_guard lock(s.lock);
    s.scripted = false;
    s.script.clear();
    s.next = 0;
    s.seed = 1;
    s.lastSeed = 1;
}

unsigned LastRandomSeed() {
    RandomSource& s = Source();
    std::lock_guard lock(s.lock);
    return s.lastSeed;
}

}  // namespace lumiva::win32

int rand() noexcept {
    using namespace lumiva::win32;
    RandomSource& s = Source();
    std::lock_guard lock(s.lock);
    return s.scripted ? NextScriptedValue(s) : NextPlatformValue(s);
}

void srand(unsigned seed) noexcept {
    using namespace lumiva::win32;
    RandomSource& s = Source();
    std::lock_guard lock(s.lock);
    s.lastSeed = seed;
    if (!s.scripted) s.seed = seed;
}
