// The clock that picks the current frame of a frame-animated picture or
// texture. The owner fills the picture id and index hint through the image
// cache, then the frame count and interval from the loaded picture.
//
// A clock without frames (count below 1) answers frame 0 and changes
// nothing; so does Advance or SeekTime with an interval below 1.
#pragma once

#include <windows.h>

#include <cstdint>

class KFrameTimer {
public:
    KFrameTimer() = default;
    virtual ~KFrameTimer() = default;

    // Steps by the real time since the last step times `speed`; time short
    // of one interval accumulates. The first argument is not read.
    int Advance(DWORD unused, float speed);
    // The frame at `ms` into the animation played at `speed`, looped;
    // becomes the current frame.
    int SeekTime(int ms, float speed);
    // The frame at the fraction `f` of the count; 1.0 is the last frame.
    int GetScaledCount(float f) const;
    // The frame `n` places after the current one, wrapped; nothing changes.
    int GetFrameAt(int n) const;

    DWORD pictureId = 0;     // the image cache's key; 0 = not looked up
    WORD indexHint = 0;      // the owner's hint into the image cache
    int32_t frameCount = 0;
    int32_t frameInterval = 0;  // ms a frame
    int32_t currentFrame = 0;
    DWORD lastStepTime = 0;  // timeGetTime of the last step

private:
    bool HasFrames() const { return frameCount >= 1; }
};
