// The demo's data folder, written with the tools/ writers: a JPEG
// background, SPR and SDS sprites, a bitmap font and the settings files.
#pragma once

#include <string>

// The file whose presence marks a complete data folder.
extern const char kSampleDataMarker[];

// The arrow sprite is one square frame of this size, centred.
constexpr int kArrowSize = 64;

bool WriteSampleData(const std::string& folder);
bool HasSampleData(const std::string& folder);
