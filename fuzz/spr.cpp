// The three sprite kinds through SprGetHeader and every frame's SprGetFrame.
#include "KPakFile.h"
#include "SprFile.h"
#include "support/FuzzTarget.h"
#include "support/SpriteSeeds.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(spr) { return SeedSprites(); }

namespace {

// The frame count and one past it; large counts are sampled at the ends.
void ReadEveryFrame(SPRHEAD* header) {
    int count = SprGetHeaderFields(header).frameCount;
    for (int index = -1; index <= count; ++index) {
        if (index > 16 && index < count - 2) index = count - 2;
        if (SPRFRAME* frame = SprGetFrame(header, index)) SprReleaseFrame(frame);
    }
}

}  // namespace

LUMIVA_FUZZ_TARGET(spr, data, size) {
    ServeFile("fuzz.spr", data, size);
    KPakFile file;
    SPRHEAD* header = SprGetHeader(&file, "fuzz.spr");
    if (header == nullptr) return;
    SprGetHeaderBlockSize(header);
    ReadEveryFrame(header);
    // The block is writable and callers do write it, so frames are read
    // again after two of its bytes change (where and to what: the input's
    // last four bytes).
    if (size >= 4) {
        auto* block = reinterpret_cast<uint8_t*>(header);
        uint32_t blockSize = SprGetHeaderBlockSize(header);
        uint32_t at = uint32_t(data[size - 4] | data[size - 3] << 8) % (blockSize - 1);
        block[at] = data[size - 2];
        block[at + 1] = data[size - 1];
        ReadEveryFrame(header);
    }
    SprReleaseHeader(header);
}
