// The editing tools' copies of elements: duplicate, clone for undo, update
// from a clone, compare with a clone. Each keeps the element and key-track
// lists in step.
#include <cstdio>
#include <cstring>

#include "effects/K3DEffectSet.h"

namespace {

template <class T>
void Put(T** out, T* value) {
    if (out) *out = value;
}

bool SameVector(const float (&a)[3], const float (&b)[3]) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

}  // namespace

void K3DEffectSet::DuplicateElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, DWORD id) {
    const int index = IndexOf(id);
    if (index < 0) {
        Put(element, static_cast<K3DEffectElement*>(nullptr));
        Put(tracks, static_cast<K3DEffectKeyTracks*>(nullptr));
        return;
    }
    const K3DEffectElement& source = *m_elements[size_t(index)];
    auto* copy = new K3DEffectElement;
    copy->record.type = source.record.type;
    copy->CopyShapeFrom(source);
    std::memcpy(copy->record.fileName, source.record.fileName, sizeof copy->record.fileName);
    std::snprintf(copy->record.name, sizeof copy->record.name, "%s%d", "Primitive", int(copy->Id()));
    // Every type looks its file up as a picture, with the load argument 1.
    if (copy->record.fileName[0] && !copy->LoadPicture(1)) {
        delete copy;
        Put(element, static_cast<K3DEffectElement*>(nullptr));
        return;
    }
    // A source without tracks (a set left by a failed load) gives empty ones.
    const K3DEffectKeyTracks* sourceTracks = GetElementTracks(index);
    auto* copyTracks = sourceTracks ? new K3DEffectKeyTracks(*sourceTracks) : new K3DEffectKeyTracks;
    m_elements.push_back(copy);
    m_tracks.push_back(copyTracks);
    Put(element, copy);
    Put(tracks, copyTracks);
}

void K3DEffectSet::CloneElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, DWORD id) {
    const int index = IndexOf(id);
    if (index < 0) {
        Put(element, static_cast<K3DEffectElement*>(nullptr));
        Put(tracks, static_cast<K3DEffectKeyTracks*>(nullptr));
        return;
    }
    const K3DEffectElement& source = *m_elements[size_t(index)];
    auto* copy = new K3DEffectElement;
    copy->TakeSerialId(source.Id());
    std::memcpy(copy->record.name, source.record.name, sizeof copy->record.name);
    copy->selected = source.selected;
    copy->record.type = source.record.type;
    copy->CopyShapeFrom(source);
    if (source.record.fileName[0]) copy->SetFileName(source.record.fileName);
    const K3DEffectKeyTracks* sourceTracks = GetElementTracks(index);
    Put(element, copy);
    Put(tracks, sourceTracks ? new K3DEffectKeyTracks(*sourceTracks) : new K3DEffectKeyTracks);
}

void K3DEffectSet::UpdateElement(const K3DEffectElement* element, const K3DEffectKeyTracks* tracks, DWORD id) {
    K3DEffectElement* target = FindElement(id);
    if (target && element && target != element) {
        std::memcpy(target->record.name, element->record.name, sizeof target->record.name);
        target->selected = element->selected;
        target->CopyShapeFrom(*element);
        if (std::strcmp(target->record.fileName, element->record.fileName) != 0)
            target->SetFileName(element->record.fileName);
    }
    K3DEffectKeyTracks* targetTracks = FindElementTracks(id);
    if (targetTracks && tracks) *targetTracks = *tracks;
}

bool K3DEffectSet::ElementsEqual(const K3DEffectElement* element, const K3DEffectKeyTracks* tracks, DWORD id) {
    if (const K3DEffectElement* mine = FindElement(id)) {
        if (!element) return false;
        const K3DEffectElementRecord& a = mine->record;
        const K3DEffectElementRecord& b = element->record;
        const bool same = mine->selected == element->selected && SameVector(a.pivot, b.pivot) &&
                          SameVector(a.dimension, b.dimension) && a.segments[0] == b.segments[0] &&
                          a.segments[1] == b.segments[1] && std::strcmp(a.fileName, b.fileName) == 0 &&
                          a.mappingMode == b.mappingMode && a.animSpeed == b.animSpeed &&
                          a.frameOffset == b.frameOffset && std::strcmp(a.name, b.name) == 0;
        if (!same) return false;
    }
    const K3DEffectKeyTracks* myTracks = FindElementTracks(id);
    return myTracks && tracks && *myTracks == *tracks;
}
