// The scene place's nine ground pictures made again at half the UI scale,
// halving further until all nine can be had.
#include <cstdio>

#include "shell/KDrawShell.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr int kGroundPictures = 9;
constexpr float kSmallestUiScale = 0.25f;
constexpr float kGroundPictureSize = 512.0f;

}  // namespace

// A retry makes the pictures that failed too: each was removed before its
// creation failed, so it is made without being removed again.
/* 130 */ bool KDrawShell::ShrinkPlaceGround() {
    KDrawShell* shell = g_pDrawShell ? g_pDrawShell : this;
    bool missing[kGroundPictures] = {};
    for (;;) {
        if (uiScale < kSmallestUiScale) return false;
        uiScale *= 0.5f;
        const int size = int(kGroundPictureSize * uiScale);
        bool madeAll = true;
        for (int i = 0; i < kGroundPictures && madeAll; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "_*PlaceGround*_#~%d~#_", i);
            if (!missing[i] && !shell->RemoveImage(name)) return true;
            missing[i] = shell->CreateImage(name, size, size, g_PlaceMapTarget.imageType, 0) == 0;
            madeAll = !missing[i];
        }
        if (madeAll) break;
    }
    shell->InvokeCallback();
    return true;
}
