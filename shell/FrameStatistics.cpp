// Frame-time statistics and the debug lines drawn while debug output is on.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "lumiva/basrel/KStringMap.h"
#include "lumiva/basrel/KTimer.h"
#include "shell/ClientSettings.h"
#include "shell/D3DDevice.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"

namespace {

constexpr size_t kFrameTimesKept = 100;
constexpr int kTextureMemoryText = 32;
constexpr uint64_t kMemoryQueryIntervalMs = 1000;
constexpr int kDebugX = 650;
constexpr int kFpsY = 120;
constexpr int kMemoryY = 140;

std::optional<KTimer>& FrameTimer() {
    static std::optional<KTimer> timer;
    return timer;
}

std::optional<KTimer>& MemoryTimer() {
    static std::optional<KTimer> timer;
    return timer;
}

uint32_t g_UsedTextureKb = 0;

int FirstFontId(const KDrawShell& shell) {
    for (int i = 0; i < KFontTable::kEntries; ++i)
        if (shell.fonts.Entry(i).id != 0) return shell.fonts.Entry(i).id;
    return -1;
}

// The first debug frame only starts the timer: there is no interval yet.
void RecordInterval(KDrawShell& shell) {
    if (!FrameTimer()) return;
    FrameTimer()->Stop();
    shell.lastFrameInterval = FrameTimer()->GetInterval();
    shell.frameTimes.push_back(shell.lastFrameInterval);
    if (shell.frameTimes.size() > kFrameTimesKept) shell.frameTimes.pop_front();
    uint32_t sum = 0;
    for (uint32_t interval : shell.frameTimes) sum += interval;
    shell.frameTimeSum = sum;
    // A sum of 0 (a frame inside one clock tick) has no rate.
    if (!shell.frameTimes.empty() && sum > 0)
        g_Fps = static_cast<float>(static_cast<double>(shell.frameTimes.size()) * 1000.0 / sum);
}

void RefreshUsedTextureMemory(KDrawShell& shell) {
    if (!MemoryTimer()) MemoryTimer().emplace();
    if (MemoryTimer()->GetElapse() <= kMemoryQueryIntervalMs) return;
    MemoryTimer()->Start();
    g_UsedTextureKb = (g_D3DDevice.availableTextureMem - shell.GetAvailableTextureMem()) >> 10;
}

}  // namespace

void ResetDebugTimersForTests() {
    FrameTimer().reset();
    MemoryTimer().reset();
    g_UsedTextureKb = 0;
}

std::string FormatTextureMemoryLine(const char* format, int megabytes, int thousandths) {
    std::string out;
    if (!format) return out;
    const int values[2] = {megabytes, thousandths};
    int used = 0;
    for (const char* p = format; *p;) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        const char* spec = p + 1;
        while (*spec && std::strchr("-+ #0", *spec)) ++spec;
        int digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*spec)) && digits < 3) ++spec, ++digits;
        if ((*spec == 'd' || *spec == 'i' || *spec == 'u') && used < 2) {
            const std::string conversion(p, spec - p);
            char piece[64];
            std::snprintf(piece, sizeof piece, (conversion + "d").c_str(), values[used++]);
            out += piece;
            p = spec + 1;
            continue;
        }
        out += *p++;
    }
    return out;
}

void UpdateFrameStatistics(KDrawShell& shell) {
    if (!g_ShowDebugInfo) return;
    if (g_DebugFontId == -1) g_DebugFontId = FirstFontId(shell);
    RecordInterval(shell);
    char fps[64];
    std::snprintf(fps, sizeof fps, "FPS: %5.2f", static_cast<double>(g_Fps));
    DrawDebugLine(shell, fps, kDebugX, kFpsY);
    RefreshUsedTextureMemory(shell);
    const int used = static_cast<int>(g_UsedTextureKb);
    DrawDebugLine(shell, FormatTextureMemoryLine(g_cStringMap.GetString(kTextureMemoryText), used / 1000, used % 1000),
                  kDebugX, kMemoryY);
    if (!FrameTimer()) FrameTimer().emplace();
    FrameTimer()->Start();
}
