#include "place/PakPreload.h"

#include <deque>

#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/KMutex.h"
#include "lumiva/basrel/KPakFile.h"
#include "place/NameHashSet.h"

namespace {

constexpr int32_t kQueuedNameHint = 8096;
constexpr DWORD kIdleWaitMs = 1;
constexpr DWORD kPauseWaitMs = 5;

struct PreloadState {
    KMutex queueMutex;
    // Guarded by queueMutex.
    std::deque<std::string> queue;
    KNameHashSet queued{kQueuedNameHint};
    PakPreloadHook hook;

    std::atomic<int32_t> runFlag{0};
    // Made by the starter on the host's thread before the thread runs.
    HANDLE thread = nullptr;
    HANDLE stopEvent = nullptr;  // manual reset: set once to stop
    HANDLE idleEvent = nullptr;  // manual reset: set while no preload is in flight

    // At module unload: a thread that the shell's Release did not stop (the
    // host never called it) is stopped and waited for before the queue and
    // mutex it reads are destroyed.
    ~PreloadState() {
        if (!thread) return;
        int32_t running = 1;
        if (runFlag.compare_exchange_strong(running, 0)) SetEvent(stopEvent);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        for (HANDLE event : {stopEvent, idleEvent})
            if (event) CloseHandle(event);
    }
};

PreloadState& State() {
    static PreloadState state;
    return state;
}

void Step(PakPreloadStep step, const char* name = nullptr) {
    PreloadState& s = State();
    PakPreloadHook hook;
    {
        KAutoMutex lock(s.queueMutex);
        hook = s.hook;
    }
    if (hook) hook(step, name);
}

// Under the queue mutex.
void ForgetQueued(const std::string& name) {
    PreloadState& s = State();
    const int32_t slot = s.queued.Find(name.c_str());
    if (slot >= 0) s.queued.Erase(slot);
}

// Under the queue mutex: the front name, marked in flight.
bool TakeFront(std::string& name) {
    PreloadState& s = State();
    if (s.queue.empty()) return false;
    name = std::move(s.queue.front());
    s.queue.pop_front();
    ForgetQueued(name);
    ResetEvent(s.idleEvent);
    return true;
}

void CloseEvents() {
    PreloadState& s = State();
    for (HANDLE* event : {&s.stopEvent, &s.idleEvent}) {
        if (*event) CloseHandle(*event);
        *event = nullptr;
    }
}

void EmptyQueue() {
    PreloadState& s = State();
    KAutoMutex lock(s.queueMutex);
    while (!s.queue.empty()) {
        ForgetQueued(s.queue.front());
        s.queue.pop_front();
    }
}

}  // namespace

void QueuePakPreload(const char* name) {
    if (!name || !*name) return;
    PreloadState& s = State();
    KAutoMutex lock(s.queueMutex);
    if (s.queued.Find(name) >= 0) return;
    s.queue.emplace_back(name);
    // A full set refuses: the name still goes, without the guard against a
    // second queuing.
    auto* entry = new KNamedEntry(name);
    if (s.queued.Insert(entry) < 0) delete entry;
}

void ClearPakPreloadQueue() {
    EmptyQueue();
    PreloadState& s = State();
    if (s.idleEvent) WaitForSingleObject(s.idleEvent, INFINITE);
}

void ReleasePakPreloads() {
    ClearPakPreloadQueue();
    KPakFile::ReleasePreLoadings(1);
}

DWORD WINAPI PakPreloadThread(LPVOID) {
    PreloadState& s = State();
    while (s.runFlag.load() != 0) {
        std::string name;
        bool took;
        {
            KAutoMutex lock(s.queueMutex);
            took = TakeFront(name);
        }
        if (!took) {
            Step(PakPreloadStep::Idle);
            WaitForSingleObject(s.stopEvent, kIdleWaitMs);
            continue;
        }
        Step(PakPreloadStep::Took, name.c_str());
        KPakFile::PreLoadingToMemory(name.c_str(), 1);
        Step(PakPreloadStep::Loaded, name.c_str());
        SetEvent(s.idleEvent);
        Step(PakPreloadStep::Pause);
        WaitForSingleObject(s.stopEvent, kPauseWaitMs);
    }
    Step(PakPreloadStep::Stopping);
    s.runFlag.store(2);
    return 0;
}

bool StartPakPreloadThread() {
    PreloadState& s = State();
    if (s.thread) return s.runFlag.load() == 1;
    s.stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s.idleEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (s.stopEvent && s.idleEvent) {
        // Set before the thread runs, so a stop that comes first is not lost.
        s.runFlag.store(1);
        s.thread = CreateThread(nullptr, 0, PakPreloadThread, nullptr, 0, nullptr);
    }
    if (s.thread) return true;
    s.runFlag.store(0);
    CloseEvents();
    g_DebugLog("[Scene]Pak preload thread could not start");
    return false;
}

std::atomic<int32_t>& PakPreloadRunFlag() { return State().runFlag; }

bool StopPakPreloadThread(DWORD timeoutMs) {
    PreloadState& s = State();
    int32_t running = 1;
    if (!s.runFlag.compare_exchange_strong(running, 0)) return true;
    SetEvent(s.stopEvent);
    return WaitForSingleObject(s.thread, timeoutMs) == WAIT_OBJECT_0;
}

void SetPakPreloadHook(PakPreloadHook hook) {
    PreloadState& s = State();
    KAutoMutex lock(s.queueMutex);
    s.hook = std::move(hook);
}

std::vector<std::string> QueuedPakPreloads() {
    PreloadState& s = State();
    KAutoMutex lock(s.queueMutex);
    return std::vector<std::string>(s.queue.begin(), s.queue.end());
}

void ResetPakPreloadForTests() {
    PreloadState& s = State();
    StopPakPreloadThread(INFINITE);
    if (s.thread) {
        WaitForSingleObject(s.thread, INFINITE);
        CloseHandle(s.thread);
        s.thread = nullptr;
    }
    CloseEvents();
    EmptyQueue();
    s.runFlag.store(0);
    SetPakPreloadHook({});
}
