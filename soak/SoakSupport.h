// What the soak programs share: failure reports under the program's name,
// the sample data folder, and the stand-ins and module brought back to
// their start around each part.
#pragma once

#include <filesystem>

namespace soak {

// Names the program in every report.
void SetProgramName(const char* name);
[[gnu::format(printf, 1, 2)]] void Fail(const char* format, ...);
int FailureCount();

// The demo's sample data written afresh into `root` (the debug line off:
// it shows timings).
bool PrepareSampleRoot(const std::filesystem::path& root);

// Host library, stand-ins and module reset, the manual clock installed at
// 100000 ms, `root` the data root and a fresh main window of that size.
void StartStandIns(const std::filesystem::path& root, int width, int height);
// Everything back to its start once a part is done.
void ResetStandIns();

// Fails when a device, resource or over-release outlived the shell.
void ExpectNothingLeft(const char* part, int index);

}  // namespace soak
