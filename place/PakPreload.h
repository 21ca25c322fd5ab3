// The pak preload queue and its thread: picture names that a map's regions
// use, brought into memory through the pak layer ahead of use, one file per
// 5 ms. The host's thread queues (the pre-scan) and clears (map unload);
// the thread takes names; both under the queue mutex. Module-wide.
//
// Run flag: 1 while the thread runs (set by the starter), 0 asks it to stop,
// 2 once it has stopped. The thread idles and pauses in timed waits on a
// stop event, so a stop wakes it at once.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Queues a name unless it waits in the queue already; null and empty
// names are ignored.
void QueuePakPreload(const char* name);
// Drops every queued name and waits for the preload in flight, if any.
void ClearPakPreloadQueue();
// A map's unload: the queue cleared (waiting for the one in flight), then
// every preloaded copy released. Nothing of the old map stays or arrives.
void ReleasePakPreloads();

DWORD WINAPI PakPreloadThread(LPVOID parameter);
// Starts the thread unless it was started before in the module's life.
// True when it runs.
bool StartPakPreloadThread();
std::atomic<int32_t>& PakPreloadRunFlag();
// The shell's Release: a running thread is asked to stop and waited for
// up to timeoutMs. False when it did not stop in that time.
bool StopPakPreloadThread(DWORD timeoutMs);

// --- Test control ---
enum class PakPreloadStep {
    Took,      // a name left the queue; the preload follows
    Loaded,    // its preload is done
    Idle,      // the queue is empty: the 1 ms wait follows
    Pause,     // the 5 ms wait follows
    Stopping,  // the thread saw the flag at 0 and ends
};
// Called on the thread at each step, with the name for Took and Loaded.
using PakPreloadHook = std::function<void(PakPreloadStep step, const char* name)>;
void SetPakPreloadHook(PakPreloadHook hook);
std::vector<std::string> QueuedPakPreloads();
// Stops the thread (waiting for it), empties the queue, and allows a new start.
void ResetPakPreloadForTests();
