// SEAM to the model. A mesh's skeletal animation step maps the bones of a
// track to its own bones through the track-bone table of the model that is
// updating it (KMesh::currentModel). Until KModel exists the table comes
// from a stand-in that tests set (none set: no table, and the mesh looks
// each bone up by name). The model's work fills MeshModelSeam.cpp with the
// model's own table and drops the stand-in; nothing else in the mesh code
// reaches the model.
#pragma once

#include <cstdint>
#include <functional>

class KModel;

// Entries of a model's table: animation bone i drives mesh bone table[i].
constexpr int kTrackBoneTableSize = 256;

// The model's table of kTrackBoneTableSize entries, or null.
const int32_t* TrackBoneTable(KModel* model);

// --- Stand-in until the model exists ---
void SetTrackBoneTableForTests(std::function<const int32_t*(KModel*)> table);
