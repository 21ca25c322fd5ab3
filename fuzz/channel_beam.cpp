// Channel-beam ini files: the input's first 24 bytes are the beam's two end
// points (six floats, any value), the rest the ini served as the beam file.
// The beam loads it and is drawn over several refreshes under a stepping
// clock by the fuzz shell, without raster.
#include <cstring>

#include "BeamIniWriter.h"
#include "effects/KChannelMagic.h"
#include "support/FuzzTarget.h"
#include "support/FuzzShell.h"
#include "win32/Control.h"

using namespace lumiva::fuzz;

namespace {

constexpr const char* kBeamName = "fz\\beam.ini";
constexpr size_t kPointBytes = 6 * sizeof(float);

Bytes Input(const float (&points)[6], const std::string& ini) {
    Bytes bytes(kPointBytes);
    std::memcpy(bytes.data(), points, kPointBytes);
    bytes.insert(bytes.end(), ini.begin(), ini.end());
    return bytes;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(channel_beam) {
    beamini::ChannelMagic plain;
    beamini::ChannelMagic shaking = plain;
    shaking.shake = 2147483647.0f;
    shaking.segment = 1000;
    const float near[6] = {0, 0, 50, 90, 10, 50};
    const float far[6] = {-1e30f, 0, 0, 1e30f, 3e5f, 0};
    return {{"plain", Input(near, beamini::WriteChannelMagic(plain))},
            {"shaking-far", Input(far, beamini::WriteChannelMagic(shaking))},
            {"words", Input(near, "[ChannelMagic]\nSegment=-7\nRefreshTime=-1\nWidth=nan\nShake=inf\n")}};
}

LUMIVA_FUZZ_TARGET(channel_beam, data, size) {
    if (size < kPointBytes) return;
    float points[6];
    std::memcpy(points, data, kPointBytes);
    ShellScope scope;
    lumiva::win32::InstallManualClock(100000);
    ServeFile(kBeamName, data + kPointBytes, size - kPointBytes);
    KChannelMagic beam;
    beam.Load(kBeamName);
    beam.SetEndPoints(points[0], points[1], points[2], points[3], points[4], points[5]);
    for (int frame = 0; frame < 4; ++frame) {
        lumiva::win32::AdvanceClock(1000);
        beam.Render();
    }
}
