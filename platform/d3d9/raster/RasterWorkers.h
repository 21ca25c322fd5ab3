// Worker threads for large draws and for a scene's kept draws (FrameBins.h,
// one band a strip of rows). A draw that covers much of the target is cut
// into bands of rows; each band runs every primitive of the draw in
// order, clipped to its rows, so each pixel sees the same writes in the
// same order whichever thread runs its band and however many there are.
#pragma once

#include <functional>
#include <vector>

namespace raster {

// Threads that rasterize a large draw, the caller included. 1 draws on the
// caller alone, as before; 0 (the start) means the processor count.
void SetRasterThreads(int count);
int RasterThreads();

// Runs job(band) for every band in [0, bands), on the workers and the
// caller, and returns when all have finished.
void RunBands(int bands, const std::function<void(int band)>& job);

// For tests: when set, RunBands hands the caller the bands in the order the
// hook gives (a permutation of 0..bands-1) and uses no thread.
using BandOrderHook = std::function<std::vector<int>(int bands)>;
void SetBandOrderForTests(BandOrderHook hook);

}  // namespace raster
