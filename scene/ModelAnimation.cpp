// Playing the model's animation: the first track from a start time, at a
// speed, frozen while paused; and what the handle reads back.
#include <mmsystem.h>

#include <cmath>
#include <cstdio>

#include "basrel/HostIntegers.h"

#include "scene/KAnimation.h"
#include "scene/KMesh.h"
#include "scene/KModel.h"

namespace {

// The first track's length in ms; 0 without one.
float FirstTrackLength(const KAnimation* animation) {
    const KAnimTrack* first = animation ? animation->Track(0) : nullptr;
    return first ? float(first->frameCount) * first->frameInterval : 0.0f;
}

}  // namespace

void KModel::ResetTrackBones() { std::fill(std::begin(trackBones), std::end(trackBones), -1); }

// Only as many bones as the table holds: the mesh looks the others up by
// name while it animates.
void KModel::FillTrackBones() {
    ResetTrackBones();
    const KAnimTrack* first = animation->Track(0);
    if (!mesh || !first) return;
    const DWORD bones = std::min<DWORD>(first->boneCount, DWORD(first->boneNames.size()));
    for (DWORD i = 0; i < bones && i < DWORD(kTrackBoneTableSize); ++i)
        trackBones[i] = mesh->FindBoneIndex(first->boneNames[i].data());
}

HRESULT KModel::PlayAnimation(int mode, const char* name, float playSpeed) {
    AddAnimation(name, 0);
    for (K3DSceneNode* child : PlainChildren())
        if (auto* model = dynamic_cast<KModel*>(child)) model->PlayAnimation(mode, name, playSpeed);
    if (!animation || animation->trackCount == 0) return 0;
    currentTrack = 0;
    animationMode = mode;
    speed = playSpeed;
    startTime = float(timeGetTime());
    pauseStamp = 0;
    FillTrackBones();
    return 0;
}

HRESULT KModel::SetPaused(BYTE pause) {
    for (K3DSceneNode* child : PlainChildren())
        if (auto* model = dynamic_cast<KModel*>(child)) model->SetPaused(pause);
    if (!paused && pause) pauseStamp = timeGetTime();
    if (paused && !pause) pausedTotal += timeGetTime() - pauseStamp;
    paused = pause;
    return 0;
}

int KModel::GetAnimationState(int* mode, char* name, float* playSpeed) {
    if (mode) *mode = animationMode;
    if (animation && name && currentTrack >= 0 && DWORD(currentTrack) < animation->trackCount)
        if (const KAnimTrack* track = animation->Track(currentTrack)) std::sprintf(name, "%s", track->name.data());
    if (playSpeed) *playSpeed = speed;
    return currentTrack;
}

float KModel::GetAnimationLength() { return FirstTrackLength(animation); }

float KModel::GetAnimationProgress(const char* trackName) {
    if (!animation) return 0.0f;
    int index = -1;
    if (trackName) index = animation->FindTrack(trackName);
    else if (animation->trackCount > 0) index = currentTrack;
    const KAnimTrack* track = index >= 0 ? animation->Track(index) : nullptr;
    if (!track) return 0.0f;
    const int64_t elapsed = host_int::Truncate((float(timeGetTime()) - startTime) * speed);
    const int64_t length = host_int::Truncate(float(track->frameCount) * track->frameInterval);
    if (elapsed == 0 || length == 0) return 0.0f;
    // In 64 bits: a file's interval of -1 gives a length of -1.
    return float(elapsed % length) / float(length);
}

BYTE KModel::GetAnimationFlag() { return animation ? animation->GetFlag() : 0; }

void KModel::SetAnimationFlag(BYTE flag) {
    if (!animation) return;
    animation->SetFlag(flag);
    if (flag == 1) SetPaused(1);
}

void KModel::SetAnimationPosition(float f) {
    if (!animation || animation->trackCount == 0 || !std::isfinite(f)) return;
    startTime = float(timeGetTime()) - FirstTrackLength(animation) * f;
}

DWORD KModel::GetTrackCount() const { return animation ? animation->trackCount : 0; }
