// Where a play time falls between two frames of a track.
#include <algorithm>
#include <climits>
#include <cmath>

#include "scene/KAnimation.h"

namespace {

// Toward zero, saturated, NaN as 0: times from a host or a file never make
// an out-of-range conversion.
int64_t Truncate(float v) {
    constexpr float kLimit = 4611686018427387904.0f;  // 2^62
    if (std::isnan(v)) return 0;
    if (v >= kLimit) return int64_t(1) << 62;
    if (v <= -kLimit) return -(int64_t(1) << 62);
    return int64_t(v);
}

int ToFrame(int64_t frame, int64_t last) { return int(std::min<int64_t>(std::clamp<int64_t>(frame, 0, last), INT_MAX)); }

struct Frames {
    int64_t f0 = 0;
    int64_t f1 = 0;
    float t = 0.0f;
};

}  // namespace

bool KAnimation::GetFrames(int* f0, int* f1, float* t, int track, int mode, float time) {
    const KAnimTrack* data = Track(track);
    if (!data || data->frameCount == 0 || !(data->frameInterval > 0.0f)) return false;
    if (mode < kPlayClamp || mode > kPlayOnceStepped) return false;
    const int64_t count = data->frameCount;
    const int64_t last = count - 1;
    const float d = data->frameInterval;
    const float span = float(count) * d;
    Frames r;
    switch (mode) {
        case kPlayClamp:
            r.f0 = std::min(Truncate(time / d), last);
            r.f1 = std::min(r.f0 + 1, last);
            r.t = (time - float(r.f0) * d) / d;
            break;
        case kPlayLoop: {
            const int64_t c = Truncate(time / span);
            const float local = time - span * float(c);
            r.f0 = Truncate(local / d);
            if (r.f0 >= count) r.f0 = 0;
            r.f1 = r.f0 + 1;
            if (r.f1 >= count) {
                r.f1 = 0;
                loopFlag = 1;
            }
            r.t = (local - float(r.f0) * d) / d;
            break;
        }
        case kPlayPingPong: {
            const int64_t c = Truncate(time / span);
            const float local = time - span * float(c);
            if (c % 2 == 0) {
                r.f0 = std::min(Truncate(local / d), last);
                r.f1 = std::min(r.f0 + 1, last);
                r.t = (local - float(r.f0) * d) / d;
            } else {
                const int64_t k = Truncate(local / d);
                r.f0 = std::min(count - k, last);
                r.f1 = std::max<int64_t>(r.f0 - 1, 0);
                r.t = (local - float(k) * d) / d;
            }
            break;
        }
        default:  // once, stepped
            r.f0 = Truncate(time / d);
            if (r.f0 < count) {
                r.f1 = r.f0;
                r.t = (time - float(r.f0) * d) / d;
            } else {
                r.f0 = r.f1 = last;
                r.t = 1.0f;
            }
            break;
    }
    *f0 = ToFrame(r.f0, last);
    *f1 = ToFrame(r.f1, last);
    *t = r.t;
    return true;
}
