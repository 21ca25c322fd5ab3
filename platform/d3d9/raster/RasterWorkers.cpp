#include "d3d9/raster/RasterWorkers.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace raster {

namespace {

// One set of bands at a time: the caller publishes a run, the workers and
// the caller take its bands from the run's counter, the caller waits for the
// last. A worker that wakes late holds the finished run, whose counter is
// past its bands, so it never touches a job that has returned.
class WorkerPool {
public:
    ~WorkerPool() { Stop(); }

    void Run(int threads, int bands, const std::function<void(int)>& job) {
        std::lock_guard<std::mutex> runLock(runMutex_);  // one draw's bands at a time
        EnsureWorkers(threads - 1);
        auto run = std::make_shared<BandRun>(job, bands);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            run_ = run;
            ++generation_;
        }
        wake_.notify_all();
        TakeBands(*run);
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return run->unfinished == 0; });
        run_.reset();
    }

private:
    struct BandRun {
        BandRun(const std::function<void(int)>& j, int b) : job(j), bands(b), unfinished(b) {}
        const std::function<void(int)>& job;
        const int bands;
        std::atomic<int> next{0};
        int unfinished;  // under the pool's mutex
    };

    void EnsureWorkers(int wanted) {
        if (int(workers_.size()) == wanted) return;
        Stop();
        stopping_ = false;
        for (int i = 0; i < wanted; ++i) workers_.emplace_back([this] { WorkerLoop(); });
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : workers_) t.join();
        workers_.clear();
    }

    void WorkerLoop() {
        uint64_t seen = 0;
        for (;;) {
            std::shared_ptr<BandRun> run;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
                if (stopping_) return;
                seen = generation_;
                run = run_;
            }
            if (run) TakeBands(*run);
        }
    }

    void TakeBands(BandRun& run) {
        int finished = 0;
        for (int band; (band = run.next.fetch_add(1, std::memory_order_relaxed)) < run.bands; ++finished)
            run.job(band);
        if (finished == 0) return;
        std::lock_guard<std::mutex> lock(mutex_);
        run.unfinished -= finished;
        if (run.unfinished == 0) done_.notify_all();
    }

    std::mutex runMutex_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::thread> workers_;
    std::shared_ptr<BandRun> run_;
    uint64_t generation_ = 0;
    bool stopping_ = false;
};

std::atomic<int> g_threads{0};
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

void SetBandOrderForTests(BandOrderHook hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_bandOrder = std::move(hook);
}

void RunBands(int bands, const std::function<void(int)>& job) {
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        if (g_bandOrder) {
            for (int band : g_bandOrder(bands)) job(band);
            return;
        }
    }
    const int threads = std::min(RasterThreads(), bands);
    if (threads <= 1) {
        for (int band = 0; band < bands; ++band) job(band);
        return;
    }
    Pool().Run(threads, bands, job);
}

}  // namespace raster
