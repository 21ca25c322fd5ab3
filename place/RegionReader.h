// Reading a region from the map's packed cache or its loose file
// ("<folder>\v_<ry>\<rx>_Region_C.dat", at least three digits each), and
// the exchange of overhanging ground records between neighbours.
//
// A region whose file is missing or damaged still ends loaded, with what
// could be read (nothing for a damaged table) and zero grids unless the
// file gave a grid. A damaged file gives one log line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "place/RegionSource.h"

class KDataFile;
class KSceneRegion;
struct KRegionGroundRecord;

// Only for a requested region (state 1) and a folder: loading (2) while it
// reads, loaded (3) after. No host call: see AttachRegionToHost.
bool ReadRegionFileData(KSceneRegion& region, const char* folder);
// When the record's grid came from its file: the host's id for region
// (rx, ry) and, unless -1, AttachRegion with the record. Nothing without a
// host. Callers hold none of the place's locks.
void AttachRegionToHost(KSceneRegion& region, int32_t rx, int32_t ry);
// ReadRegionFileData, then AttachRegionToHost.
bool ReadRegionFile(KSceneRegion& region, const char* folder);

// The section readers read `length` bytes from the file's position.
// Obstacles: a section of 2048 bytes or more fills both grids; anything
// else (or no file) zeroes them.
bool ReadRegionObstacles(KSceneRegion& region, KDataFile* file, uint32_t length, const char** problem = nullptr);
// Ground tiles and records; the records get kind 4. False (no ground)
// when the section is damaged or memory runs out.
bool ReadRegionGround(KSceneRegion& region, KDataFile& file, uint32_t length, const char** problem = nullptr);
// Object and light records; flat records get their cache words reset.
// False (no objects) when the section is damaged or memory runs out.
bool ReadRegionObjects(KSceneRegion& region, KDataFile& file, uint32_t length, const char** problem = nullptr);

// Called both ways for a region and each loaded neighbour: the neighbour's
// own ground records that reach into the region are copied in once per
// direction, with the direction code as their kind.
void ShareNeighbourGround(KSceneRegion& region, const KSceneRegion* neighbour);
// Keeps the records sorted by (layer, order, y, kind); a record goes after
// those with an equal key. False when the array cannot grow.
bool InsertGroundRecord(KSceneRegion& region, const KRegionGroundRecord& record);
