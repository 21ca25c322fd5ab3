// Scroll settings: the bytes are a type (first byte: 1 background, 2
// falling, 3 drifting, by value mod 3) and a setting record of eighteen
// 32-bit values (missing bytes are 0). The setting drives its layer for 50
// frames as the focus stays outside its area, enters it and leaves again;
// the layer paints every frame.
#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "ByteWriter.h"
#include "JpegWriter.h"
#include "SprWriter.h"
#include "place/ScrollBackground.h"
#include "place/ScrollLayer.h"
#include "place/ScrollSetting.h"
#include "place/ScrollSettingUpdate.h"
#include "shell/KDrawShell.h"
#include "support/FuzzShell.h"
#include "support/FuzzTarget.h"
#include "win32/Control.h"

using namespace lumiva::fuzz;

namespace {

constexpr int kFrames = 50;
constexpr const char* kSprite = "fuzz_leaf.spr";
constexpr const char* kPicture = "fuzz_sky.jpg";

void WritePictures() {
    static const bool written = [] {
        const SprPixels frame{8, 6, 0, 0, std::vector<uint32_t>(48, 0xFF20C040)};
        WriteFileBytes(ScratchRoot() + "/" + kSprite, WriteSpr(SprSpriteInfo{8, 6}, {frame, frame}));
        std::vector<uint8_t> pixels(size_t(150) * 90 * 3);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7);
        WriteFileBytes(ScratchRoot() + "/" + kPicture, EncodeJpeg(pixels, 150, 90));
        return true;
    }();
    (void)written;
}

Bytes Encode(uint8_t type, const std::array<int32_t, 18>& values) {
    ByteWriter out;
    out.U8(type);
    for (int32_t v : values) out.I32(v);
    return out.Take();
}

// The focus for a frame: left of the area, at its middle, then below it.
void FocusAt(const KScrollSetting& s, int frame, int* x, int* y) {
    const int64_t midX = (int64_t(s.areaLeft) + s.areaRight) / 2, midY = (int64_t(s.areaTop) + s.areaBottom) / 2;
    int64_t fx = midX, fy = midY;
    if (frame < 10) fx = int64_t(s.areaLeft) - 1 - frame;
    if (frame >= 40) fy = int64_t(s.areaBottom) + frame;
    *x = int(std::clamp<int64_t>(fx, INT32_MIN, INT32_MAX));
    *y = int(std::clamp<int64_t>(fy, INT32_MIN, INT32_MAX));
}

}  // namespace

LUMIVA_FUZZ_SEEDS(place_scroll_layer) {
    // section, active, images, area (4), centre or view values (4), paint
    // rectangle (4), Speed or Rating, Angle, Count
    return {{"background", Encode(1, {0, 0, 0, 0, 0, 20000, 40000, 9000, 20000, 9100, 20050, 0, 0, 800, 600, 2, 0, 0})},
            {"falling", Encode(2, {1, 0, 0, -5000, -5000, 5000, 5000, 0, 0, 0, 0, 0, 0, 800, 600, 6, 20, 40})},
            {"drifting", Encode(0, {2, 0, 0, 0, 0, 30000, 30000, 0, 0, 0, 0, 0, 0, 800, 600, 3, 10, 25})},
            {"extremes", Encode(0, {0, 1, 1, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0, 0, INT32_MIN,
                                    INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX, 100000})}};
}

LUMIVA_FUZZ_TARGET(place_scroll_layer, data, size) {
    if (size == 0) return;
    WritePictures();
    ShellScope scope;
    lumiva::win32::UseDefaultRandom();
    lumiva::win32::InstallManualClock(5000);
    const int type = data[0] % 3 + 1;
    KScrollSetting setting{};
    std::memcpy(&setting, data + 1, std::min(size - 1, sizeof setting));
    KScrollBackground background;
    KScrollLayer layer;
    const ScrollImageLoader load = [&](const KScrollSetting&) {
        if (type == 1) return background.LoadPicture(kPicture) ? 1 : 0;
        layer.ClearLayer();
        layer.AddPicture(kSprite);
        layer.AddPicture(kSprite);
        return layer.PictureCount();
    };
    for (int frame = 0; frame < kFrames; ++frame) {
        int x = 0, y = 0;
        FocusAt(setting, frame, &x, &y);
        lumiva::win32::AdvanceClock(40);
        if (type == 1) {
            UpdateBackgroundSetting(setting, background, x, y, load);
            background.Paint(x, y);
        } else if (type == 2) {
            UpdateFallSetting(setting, layer, x, y, load);
            layer.PaintOnScreen();
        } else {
            UpdateDriftSetting(setting, layer, x, y, load);
            layer.PaintInScene(x, y);
        }
    }
    background.Release();
    lumiva::win32::UseSystemClock();
}
