// Worker threads for large draws and for a scene's kept draws (FrameBins.h,
// one band a strip of rows). A draw's primitives are binned into strips of
// rows; each strip runs the primitives that reach it in order, clipped to
// its rows, so each pixel sees the same writes in the same order whichever
// thread runs its strip and however many there are.
#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

namespace raster {

// Threads that rasterize a large draw, the caller included. 1 draws on the
// caller alone, as before; 0 (the start) means the processor count.
void SetRasterThreads(int count);
int RasterThreads();

// Work that covers fewer pixels than this stays on the caller: waking the
// workers would cost more than the rows.
int64_t ThreadedPixels();
// For tests: a smaller bound lets small targets reach the workers; a
// negative one restores the default.
void SetThreadedPixelsForTests(int64_t pixels);

// A borrowed band job: calling it costs one indirect call and building it
// allocates nothing, unlike a std::function over a capturing lambda.
class BandJob {
public:
    // The callable must outlive the call it is handed to.
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, BandJob>>>
    BandJob(F&& f)
        : object_(const_cast<void*>(static_cast<const void*>(&f))),
          call_([](void* o, int band) { (*static_cast<std::remove_reference_t<F>*>(o))(band); }) {}
    void operator()(int band) const { call_(object_, band); }

private:
    void* object_;
    void (*call_)(void*, int);
};

// Runs job(band) for every band in [0, bands), on the workers and the
// caller, and returns when all have finished. `threads` caps the threads
// used (the caller included); RasterThreads() caps it too.
void RunBands(int bands, BandJob job, int threads);

// For tests: when set, RunBands hands the caller the bands it would share
// with workers in the order the hook gives (a permutation of 0..bands-1)
// and uses no thread.
using BandOrderHook = std::function<std::vector<int>(int bands)>;
void SetBandOrderForTests(BandOrderHook hook);

}  // namespace raster
