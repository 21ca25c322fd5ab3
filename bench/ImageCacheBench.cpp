// Image cache hits: every picture of every frame is looked up by name. A
// table of 2,000 entries, looked up with the caller's kept hint and without.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/FileNameId.h"
#include "textures/ImageCache.h"

namespace {

constexpr int kEntries = 2000;

struct Caller {
    std::string name;
    DWORD fileId = 0;
    int16_t hint = -1;
};

// Entries without pictures (names with no file): the lookup work is the same.
struct Table {
    KImageCache cache{nullptr};
    std::vector<Caller> callers;

    Table() {
        basrel::SetDebugLogToFile(false);  // every missing file logs a line
        for (int i = 0; i < kEntries; ++i) {
            callers.push_back({"pictures\\bench\\p" + std::to_string(i) + ".jpg"});
            Caller& c = callers.back();
            cache.GetImage(c.name.c_str(), &c.fileId, &c.hint, 0, 0, 0, 1, 1, 0);
        }
        // Hints settle only once the table is whole.
        for (Caller& c : callers) cache.GetImage(c.name.c_str(), &c.fileId, &c.hint, 0, 0, 0, 1, 1, 0);
    }
};

// Walks the table in steps of 7, so no lookup repeats the one before.
template <class Lookup>
void RunLookups(benchmark::State& state, Lookup lookup) {
    Table table;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookup(table.cache, table.callers[i]));
        i = (i + 7) % kEntries;
    }
}

void BM_ImageCacheHitWithHint(benchmark::State& state) {
    RunLookups(state, [](KImageCache& cache, Caller& c) {
        return cache.GetImage(c.name.c_str(), &c.fileId, &c.hint, 0, 0, 0, 1, 1, 0);
    });
}
BENCHMARK(BM_ImageCacheHitWithHint);

void BM_ImageCacheHitWithoutHint(benchmark::State& state) {
    RunLookups(state, [](KImageCache& cache, Caller& c) {
        int16_t hint = -1;
        return cache.GetImage(c.name.c_str(), &c.fileId, &hint, 0, 0, 0, 1, 1, 0);
    });
}
BENCHMARK(BM_ImageCacheHitWithoutHint);

void BM_ImageCacheHitNameOnly(benchmark::State& state) {
    RunLookups(state, [](KImageCache& cache, Caller& c) {
        return cache.GetImage(c.name.c_str(), nullptr, nullptr, 0, 0, 0, 1, 1, 0);
    });
}
BENCHMARK(BM_ImageCacheHitNameOnly);

}  // namespace
