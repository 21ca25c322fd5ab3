#include "effects/K3DEffectElement.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "effects/ElementModelSeam.h"
#include "scene/KFrameTimer.h"
#include "textures/ImageCache.h"
#include "textures/KImageTexture.h"

namespace {

DWORD g_NextSerialId = 1;

// Copies text into a fixed field, cut to keep the last byte a terminator.
template <size_t N>
void CopyText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    if (text) std::strncpy(field, text, N - 1);
}

// A frame timer for the named picture, sized from the picture the image
// cache gives (frame 0, sprite lookup, tiles made, throttled, unpinned);
// null when the picture cannot be had now.
KFrameTimer* OpenPictureTimer(const char* fileName, int loadArgument) {
    if (!g_pImageCache) return nullptr;
    auto* timer = new KFrameTimer;
    // The timer's hint is the cache's 16-bit hint, kept unsigned.
    auto* hint = reinterpret_cast<int16_t*>(&timer->indexHint);
    KImageTexture* picture =
        g_pImageCache->GetImage(fileName, &timer->pictureId, hint, 0, kImageSprite, loadArgument, 1, 0, 0);
    if (!picture) {
        delete timer;
        return nullptr;
    }
    timer->frameCount = picture->GetFrameCount();
    timer->frameInterval = picture->GetHeaderWord18();  // a sprite's ms a frame
    return timer;
}

}  // namespace

void ResetEffectElementSerialForTests() { g_NextSerialId = 1; }

K3DEffectElement::K3DEffectElement() : m_serialId(g_NextSerialId++) {
    record.mappingMode = 1;
    record.animSpeed = 1.0f;
}

K3DEffectElement::~K3DEffectElement() {
    delete m_frameTimer;
    // The handle gives its model back to the manager, which ages it out.
    element_model::Release(m_model);
}

void K3DEffectElement::GetId(DWORD* id) {
    if (id) *id = m_serialId;
}
void K3DEffectElement::GetType(int* type) {
    if (type) *type = record.type;
}
void K3DEffectElement::GetBrightness(int* brightness) {
    if (brightness) *brightness = record.brightness;
}
void K3DEffectElement::GetName(std::string* name) {
    if (name) *name = record.name;
}
void K3DEffectElement::GetPivot(D3DXVECTOR3* pivot) {
    if (pivot) *pivot = Pivot();
}
void K3DEffectElement::GetDimension(int which, float* value) {
    if (value && which >= 1 && which <= 3) *value = record.dimension[which - 1];
}
void K3DEffectElement::GetSegments(int which, int* value) {
    if (value) *value = (which == 1 || which == 2) ? record.segments[which - 1] : 0;
}
void K3DEffectElement::GetFileName(std::string* fileName) {
    if (fileName) *fileName = record.fileName;
}
void K3DEffectElement::GetMappingMode(int* mode) {
    if (mode) *mode = record.mappingMode;
}
void K3DEffectElement::GetAnimSpeed(float* speed) {
    if (speed) *speed = record.animSpeed;
}
void K3DEffectElement::GetFrameOffset(int* offset) {
    if (offset) *offset = record.frameOffset;
}
void K3DEffectElement::IsSelected(int* isSelected) {
    if (isSelected) *isSelected = int(selected);
}

void K3DEffectElement::SetBrightness(int brightness) { record.brightness = int8_t(brightness); }
void K3DEffectElement::SetName(const char* name) { CopyText(record.name, name); }
void K3DEffectElement::SetPivot(float x, float y, float z) {
    record.pivot[0] = x;
    record.pivot[1] = y;
    record.pivot[2] = z;
}
void K3DEffectElement::SetDimension(int which, float value) {
    if (which >= 1 && which <= 3) record.dimension[which - 1] = value;
}
void K3DEffectElement::SetSegments(int which, int value) {
    if (which == 1 || which == 2) record.segments[which - 1] = value;
}
void K3DEffectElement::SetMappingMode(int mode) { record.mappingMode = mode; }
void K3DEffectElement::SetAnimSpeed(float speed) { record.animSpeed = speed; }
void K3DEffectElement::SetFrameOffset(int offset) { record.frameOffset = offset; }
void K3DEffectElement::SetSelected(int isSelected) { selected = DWORD(isSelected) & 0xFF; }

int K3DEffectElement::SetFileName(const char* fileName) {
    if (!fileName || !*fileName) {
        // The name goes whatever the element held, so a later save cannot
        // write back a name the editor cleared; a model stays.
        delete m_frameTimer;
        m_frameTimer = nullptr;
        CopyText(record.fileName, nullptr);
        return 1;
    }
    CopyText(record.fileName, fileName);
    if (record.type == 6) {
        if (char* dot = std::strrchr(record.fileName, '.')) *dot = '\0';
        return LoadModelFiles(record.fileName, true);
    }
    LoadPicture(0);
    return 1;
}

bool K3DEffectElement::LoadPicture(int loadArgument) {
    KFrameTimer* timer = OpenPictureTimer(record.fileName, loadArgument);
    if (!timer) return false;
    delete m_frameTimer;
    m_frameTimer = timer;
    return true;
}

void K3DEffectElement::LoadRecordFiles() {
    if (!record.fileName[0]) return;
    if (record.type == 6)
        LoadModelFiles(record.fileName, false);
    else
        LoadPicture(0);
}

int K3DEffectElement::LoadModelFiles(const char* baseName, bool stopOnFailure) {
    const std::string base = baseName;
    const std::string mesh = base + ".Mesh";
    const std::string material = base + ".Mtl";
    if (!m_model) m_model = element_model::Create();
    if (!m_model) return 1;
    if (element_model::SetMesh(m_model, mesh.c_str()) < 0 && stopOnFailure) return 0;
    element_model::InitMesh(m_model, mesh.c_str());
    if (element_model::SetMaterial(m_model, material.c_str()) < 0 && stopOnFailure) return 0;
    element_model::InitMaterial(m_model, material.c_str());
    std::snprintf(m_animationName, sizeof m_animationName, "%s.Ani", base.c_str());
    element_model::PlayAnimation(m_model, m_animationName, 0, 1);
    return 1;
}

void K3DEffectElement::CopyShapeFrom(const K3DEffectElement& source) {
    std::memcpy(record.pivot, source.record.pivot, sizeof record.pivot);
    std::memcpy(record.dimension, source.record.dimension, sizeof record.dimension);
    std::memcpy(record.segments, source.record.segments, sizeof record.segments);
    record.mappingMode = source.record.mappingMode;
    record.animSpeed = source.record.animSpeed;
    record.frameOffset = source.record.frameOffset;
}
