#include "d3d9/raster/RasterWorkers.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace raster {

namespace {

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// Pauses a thread spins before it sleeps: draws come in bursts, and a
// sleeping worker costs the caller a system call and a wake-up that can
// take longer than a band's work.
constexpr int kSpinPauses = 1 << 12;

// One set of bands at a time. The run's band count and next band share one
// word, so a worker claims a band of whichever run is current and reads
// the job only after the claim: a worker that wakes late never runs a job
// that has returned. Workers spin briefly for the next run, then sleep.
class WorkerPool {
public:
    ~WorkerPool() { Stop(); }

    void Run(int threads, int bands, BandJob job) {
        std::lock_guard<std::mutex> runLock(runMutex_);  // one draw's bands at a time
        EnsureWorkers(threads - 1);
        job_ = &job;
        unfinished_.store(bands, std::memory_order_relaxed);
        ticket_.store(uint64_t(uint32_t(bands)) << 32, std::memory_order_release);
        posted_.fetch_add(1, std::memory_order_seq_cst);
        if (sleepers_.load(std::memory_order_seq_cst) > 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            wake_.notify_all();
        }
        TakeBands();
        WaitUntilFinished();
    }

private:
    void EnsureWorkers(int wanted) {
        if (int(workers_.size()) == wanted) return;
        Stop();
        stopping_.store(false, std::memory_order_relaxed);
        const uint64_t posted = posted_.load(std::memory_order_relaxed);
        for (int i = 0; i < wanted; ++i) workers_.emplace_back([this, posted] { WorkerLoop(posted); });
    }

    void Stop() {
        stopping_.store(true, std::memory_order_seq_cst);
        posted_.fetch_add(1, std::memory_order_seq_cst);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            wake_.notify_all();
        }
        for (std::thread& t : workers_) t.join();
        workers_.clear();
    }

    void WorkerLoop(uint64_t seen) {
        for (;;) {
            seen = AwaitPost(seen);
            if (stopping_.load(std::memory_order_acquire)) return;
            TakeBands();
        }
    }

    uint64_t AwaitPost(uint64_t seen) {
        for (int i = 0; i < kSpinPauses; ++i) {
            const uint64_t now = posted_.load(std::memory_order_acquire);
            if (now != seen) return now;
            CpuRelax();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        sleepers_.fetch_add(1, std::memory_order_seq_cst);
        uint64_t now;
        wake_.wait(lock, [&] { return (now = posted_.load(std::memory_order_seq_cst)) != seen; });
        sleepers_.fetch_sub(1, std::memory_order_relaxed);
        return now;
    }

    bool ClaimBand(int& band) {
        uint64_t ticket = ticket_.load(std::memory_order_acquire);
        for (;;) {
            const uint32_t bands = uint32_t(ticket >> 32), next = uint32_t(ticket);
            if (next >= bands) return false;
            if (ticket_.compare_exchange_weak(ticket, ticket + 1, std::memory_order_acq_rel,
                                              std::memory_order_acquire)) {
                band = int(next);
                return true;
            }
        }
    }

    void TakeBands() {
        for (int band; ClaimBand(band);) {
            (*job_)(band);
            if (unfinished_.fetch_sub(1, std::memory_order_seq_cst) == 1 &&
                callerSleeping_.load(std::memory_order_seq_cst)) {
                std::lock_guard<std::mutex> lock(mutex_);
                done_.notify_all();
            }
        }
    }

    void WaitUntilFinished() {
        for (int i = 0; i < kSpinPauses; ++i) {
            if (unfinished_.load(std::memory_order_acquire) == 0) return;
            CpuRelax();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        callerSleeping_.store(true, std::memory_order_seq_cst);
        done_.wait(lock, [&] { return unfinished_.load(std::memory_order_seq_cst) == 0; });
        callerSleeping_.store(false, std::memory_order_relaxed);
    }

    std::mutex runMutex_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::thread> workers_;
    const BandJob* job_ = nullptr;  // written before a run is posted, read after a claim
    std::atomic<uint64_t> ticket_{0};  // band count << 32 | next band
    std::atomic<int> unfinished_{0};
    std::atomic<uint64_t> posted_{0};
    std::atomic<int> sleepers_{0};
    std::atomic<bool> callerSleeping_{false};
    std::atomic<bool> stopping_{false};
};

constexpr int64_t kThreadedPixels = 1 << 16;

std::atomic<int> g_threads{0};
std::atomic<int64_t> g_threadedPixels{kThreadedPixels};
std::mutex g_hookMutex;
BandOrderHook g_bandOrder;

WorkerPool& Pool() {
    static WorkerPool pool;
    return pool;
}

// The processors this process may run on: a container or a pinned run
// offers fewer than the machine has, and more workers than those only wait.
int UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    return std::max(1, int(std::thread::hardware_concurrency()));
}

}  // namespace

void SetRasterThreads(int count) { g_threads.store(std::max(0, count), std::memory_order_relaxed); }

int RasterThreads() {
    const int count = g_threads.load(std::memory_order_relaxed);
    if (count > 0) return count;
    // Asked once: the library reads it from the system on every call.
    static const int processors = UsableProcessors();
    return processors;
}

int64_t ThreadedPixels() { return g_threadedPixels.load(std::memory_order_relaxed); }

void SetThreadedPixelsForTests(int64_t pixels) {
    g_threadedPixels.store(pixels < 0 ? kThreadedPixels : pixels, std::memory_order_relaxed);
}

void SetBandOrderForTests(BandOrderHook hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_bandOrder = std::move(hook);
}

void RunBands(int bands, BandJob job, int threads) {
    threads = std::min({RasterThreads(), threads, bands});
    if (threads <= 1) {
        for (int band = 0; band < bands; ++band) job(band);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        if (g_bandOrder) {
            for (int band : g_bandOrder(bands)) job(band);
            return;
        }
    }
    Pool().Run(threads, bands, job);
}

}  // namespace raster
