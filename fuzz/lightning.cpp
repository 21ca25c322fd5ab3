// Lightning definitions and sets: the input holds six floats (start and end
// point) and then a lightning ini and a set ini, split at the first NUL.
// Both are served beside a small texture, loaded through the cache, and
// drawn for several generations under a stepping clock on the fuzz device.
#include <cstring>
#include <memory>

#include "BeamIniWriter.h"
#include "DxtBlocks.h"
#include "PakPreloads.h"
#include "SprWriter.h"
#include "effects/KLightning.h"
#include "effects/KLightningCache.h"
#include "effects/KLightningSet.h"
#include "support/FuzzTarget.h"
#include "support/ModelFiles.h"
#include "win32/Control.h"

using namespace lumiva::fuzz;

namespace {

constexpr const char* kBoltName = "fz\\bolt.ini";
constexpr const char* kSetName = "fz\\set.ini";
constexpr const char* kTextureName = "fz\\bolt.dds";
constexpr size_t kPointBytes = 6 * sizeof(float);

Bytes Texture() {
    Bytes file = MakeDxt5DdsHeader(4, 4);
    const std::vector<uint32_t> pixels(16, 0xFFFFFFFF);
    const std::vector<uint8_t> blocks = EncodeDxt5(pixels.data(), 4, 4);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

void AlsoServe(const char* name, const Bytes& bytes) {
    std::string key;
    if (!basrel::PreloadKey(name, key)) std::abort();
    basrel::StorePreload(key, 1, std::make_shared<const std::vector<uint8_t>>(bytes));
}

Bytes Input(const float (&points)[6], const std::string& bolt, const std::string& set) {
    Bytes bytes(kPointBytes);
    std::memcpy(bytes.data(), points, kPointBytes);
    bytes.insert(bytes.end(), bolt.begin(), bolt.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), set.begin(), set.end());
    return bytes;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(lightning) {
    beamini::Lightning bolt;
    bolt.textureName = kTextureName;
    bolt.liveTime = 20;
    bolt.lineLiveTime = 200;
    beamini::Lightning band = bolt;
    band.version = 1;
    band.distanceLimit = 500.0f;
    beamini::Lightning wide = bolt;
    wide.x1 = wide.x2 = 2147483647;
    beamini::LightningSet set;
    set.files = {kBoltName, kBoltName};
    const float near[6] = {0, 0, 50, 90, 10, 50};
    const float far[6] = {-1e6f, 0, 0, 1e6f, 3e5f, 0};
    return {{"bolt", Input(near, beamini::WriteLightning(bolt), beamini::WriteLightningSet(set))},
            {"band-ring", Input(near, beamini::WriteLightning(band), beamini::WriteLightningSet(set))},
            {"band-far", Input(far, beamini::WriteLightning(band), beamini::WriteLightningSet(set))},
            {"wide-ranges", Input(far, beamini::WriteLightning(wide), beamini::WriteLightningSet(set))}};
}

LUMIVA_FUZZ_TARGET(lightning, data, size) {
    if (size < kPointBytes) return;
    float points[6];
    std::memcpy(points, data, kPointBytes);
    const uint8_t* text = data + kPointBytes;
    const size_t textSize = size - kPointBytes;
    const uint8_t* split = static_cast<const uint8_t*>(std::memchr(text, 0, textSize));
    const size_t boltSize = split ? size_t(split - text) : textSize;
    const uint8_t* setText = split ? split + 1 : text + textSize;
    const size_t setSize = size_t(text + textSize - setText);

    PrepareModelDevice();
    lumiva::win32::InstallManualClock(100000);
    ServeFile(kBoltName, text, boltSize);
    AlsoServe(kSetName, Bytes(setText, setText + setSize));
    static const Bytes texture = Texture();
    AlsoServe(kTextureName, texture);

    KLightning* lightning = LightningCache().LoadLightning(kBoltName);
    auto set = std::make_unique<KLightningSet>();
    const bool setLoaded = set->Load(kSetName);
    BeginModelScene();
    for (int frame = 0; frame < 12; ++frame) {
        if (lightning) {
            lightning->SetStart(points[0], points[1], points[2]);
            lightning->SetEnd(points[3], points[4], points[5]);
            lightning->Render();
        }
        if (setLoaded) {
            set->SetStart(points[3], points[4], points[5]);
            set->SetEnd(points[0], points[1], points[2]);
            set->Draw();
            if (frame == 6) set->Reset();
        }
        lumiva::win32::AdvanceClock(frame * 37u);
    }
    EndModelScene();
    set.reset();
    LightningCache().UnloadLightning(kBoltName);
    LightningCache().DestroyAllLightning();
}
