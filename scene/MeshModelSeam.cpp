// STAND-IN, see MeshModelSeam.h.
#include "scene/MeshModelSeam.h"

namespace {

std::function<const int32_t*(KModel*)>& StandIn() {
    static std::function<const int32_t*(KModel*)> table;
    return table;
}

}  // namespace

const int32_t* TrackBoneTable(KModel* model) { return StandIn() ? StandIn()(model) : nullptr; }

void SetTrackBoneTableForTests(std::function<const int32_t*(KModel*)> table) { StandIn() = std::move(table); }
