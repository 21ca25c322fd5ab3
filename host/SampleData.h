// The demo's data folder, written with the tools/ writers: a JPEG
// background, SPR and SDS sprites, a bitmap font drawn from a DejaVu face, the
// settings files and the 3D scene's files (SceneSampleData.h).
#pragma once

#include <string>

// The file whose presence marks a complete data folder.
extern const char kSampleDataMarker[];

// The arrow sprite is one square frame of this size, centred.
constexpr int kArrowSize = 64;
// The bitmap font "\font\sans12.asf": full-width Latin letters drawn from
// a DejaVu face in square cells of this size.
constexpr int kBitmapFontCell = 12;

bool WriteSampleData(const std::string& folder);
bool HasSampleData(const std::string& folder);
