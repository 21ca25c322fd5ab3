#include "scene/KFrameTimer.h"

#include <mmsystem.h>

#include <cmath>
#include <limits>

namespace {

// Float to int, truncated toward zero, held within int's range (NaN is 0):
// elapsed times near 2^32 and odd speeds must not make it undefined.
int TruncateClamped(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0) return std::numeric_limits<int>::max();
    if (value <= -2147483649.0) return std::numeric_limits<int>::min();
    return int(value);
}

}  // namespace

int KFrameTimer::Advance(DWORD, float speed) {
    if (!HasFrames() || frameInterval < 1) return 0;
    const DWORD now = timeGetTime();
    const int elapsed = TruncateClamped(float(now - lastStepTime) * speed);
    if (elapsed < frameInterval) return currentFrame;
    lastStepTime = now;
    const int64_t frame = int64_t(currentFrame) + elapsed / frameInterval;
    currentFrame = int(frame >= frameCount ? frame % frameCount : frame);
    return currentFrame;
}

int KFrameTimer::SeekTime(int ms, float speed) {
    if (!HasFrames() || frameInterval < 1) return 0;
    int span = TruncateClamped(float(int64_t(frameCount) * frameInterval) * speed);
    if (span < 1) span = 1;
    const int offset = ms % span;
    float step = float(frameInterval) * speed;
    if (!(step > 0.0f)) step = 1.0f;
    const int frame = TruncateClamped(float(offset) / step);
    currentFrame = (frame >= 0 && frame < frameCount) ? frame : 0;
    return currentFrame;
}

int KFrameTimer::GetScaledCount(float f) const {
    if (!HasFrames()) return 0;
    if (f == 1.0f) return frameCount - 1;
    return TruncateClamped(float(frameCount) * f);
}

int KFrameTimer::GetFrameAt(int n) const {
    if (!HasFrames()) return 0;
    return int((int64_t(currentFrame) + n) % frameCount);
}
