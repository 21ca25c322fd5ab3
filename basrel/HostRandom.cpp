#include "HostRandom.h"

#include <windows.h>

#include <cstdint>

namespace {

constexpr int64_t kRandRange = 0x8000;  // the platform's rand() gives 0..0x7FFF

}  // namespace

int g_Random(int n) {
    if (n <= 0) return 0;
    int64_t draw = rand();
    if (n > kRandRange) draw = (draw & 0x7FFF) << 15 | (int64_t(rand()) & 0x7FFF);
    int64_t value = draw % n;
    return int(value < 0 ? value + n : value);
}
