#include "AnimationFileWriter.h"

#include "ByteWriter.h"

namespace animfile {
namespace {

constexpr size_t kNameSize = 30;

void WriteTrack(ByteWriter& out, const Track& track) {
    out.U32(track.type);
    out.Text(track.name, kNameSize);
    if (track.type == kSkeletal) {
        out.U32(track.boneCount.value_or(uint32_t(track.boneNames.size())));
        out.U32(track.frameCount);
        out.F32(track.interval);
        for (const std::string& name : track.boneNames) out.Text(name, kNameSize);
        for (const Matrix& m : track.matrices)
            for (float v : m) out.F32(v);
    } else if (track.type == kVertexPositions || track.type == kVertexOffsets) {
        out.U32(track.skipped);
        out.U32(track.vertexCount.value_or(uint32_t(track.vertices.size())));
        out.U32(track.frameCount);
        out.F32(track.interval);
        for (uint32_t v : track.vertices) out.U32(v);
        for (const Position& p : track.keys)
            for (float v : p) out.F32(v);
    }
}

}  // namespace

std::vector<uint8_t> Write(const File& file) {
    ByteWriter out;
    out.U32(file.tag);
    out.U32(file.skipped);
    out.U32(file.trackCount.value_or(uint32_t(file.tracks.size())));
    for (const Track& track : file.tracks) WriteTrack(out, track);
    if (file.trailing) out.U32(0);
    return out.Take();
}

Matrix Translation(float x, float y, float z) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}; }

Matrix Scaling(float x, float y, float z) { return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}; }

}  // namespace animfile
