// The pre-scan of a map that LoadMap runs before its regions stream in:
// every picture name the regions use goes to the pak preload queue.
#pragma once

#include <cstdint>

class KDataFile;

// Every region of the map's "rect" ([MAIN] of "<folder>.wor", left, top,
// right, bottom region indices, inclusive), row by row, each from the
// loaded region pack or its loose file: the names of its ground tiles and
// records, then of its objects, queued in file order. Nothing for an empty
// folder, a missing rect or a reversed one; an area over kPrescanRegionCap
// regions is skipped with a log line. Damaged files queue what can be
// read and leave the telling to the region reader.
void PrescanRegions(const char* folder);
constexpr int64_t kPrescanRegionCap = 256 * 256;

// The name readers read `length` bytes of the section from the file's
// position. False when the section is damaged.
bool ReadRegionGroundNames(KDataFile& file, uint32_t length);
bool ReadRegionObjectNames(KDataFile& file, uint32_t length);
