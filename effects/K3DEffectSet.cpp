// The set's lists, names and plain values.
#include "effects/K3DEffectSet.h"

#include <new>

K3DEffectSet::~K3DEffectSet() {
    for (K3DEffectElement* element : m_elements) delete element;
    for (K3DEffectKeyTracks* tracks : m_tracks) delete tracks;
}

int K3DEffectSet::IndexOf(DWORD id) const {
    for (size_t i = 0; i < m_elements.size(); ++i)
        if (m_elements[i] && m_elements[i]->Id() == id) return int(i);
    return -1;
}

const K3DEffectElement* K3DEffectSet::ElementAt(int index) const {
    return index >= 0 && size_t(index) < m_elements.size() ? m_elements[size_t(index)] : nullptr;
}

const K3DEffectKeyTracks* K3DEffectSet::TracksAt(int index) const {
    return index >= 0 && size_t(index) < m_tracks.size() ? m_tracks[size_t(index)] : nullptr;
}

K3DEffectElement* K3DEffectSet::GetElement(int index) { return const_cast<K3DEffectElement*>(ElementAt(index)); }

K3DEffectKeyTracks* K3DEffectSet::GetElementTracks(int index) {
    return const_cast<K3DEffectKeyTracks*>(TracksAt(index));
}

K3DEffectElement* K3DEffectSet::FindElement(DWORD id) { return GetElement(IndexOf(id)); }

K3DEffectKeyTracks* K3DEffectSet::FindElementTracks(DWORD id) { return GetElementTracks(IndexOf(id)); }

int K3DEffectSet::FindElementIndex(DWORD id) { return IndexOf(id); }

void K3DEffectSet::GetName(std::string* name) {
    if (name) *name = m_name;
}

void K3DEffectSet::SetName(const char* name) {
    if (name) m_name = name;
}

void K3DEffectSet::GetSpinSpeed(float* speed) {
    if (speed) *speed = m_spinSpeed;
}

void K3DEffectSet::GetDuration(int* ms) {
    if (ms) *ms = m_duration;
}

int K3DEffectSet::GetElementCount(int* count) {
    if (count) *count = ElementCount();
    return ElementCount();
}

bool K3DEffectSet::ListsInStep() const {
    if (m_elements.size() != m_tracks.size()) return false;
    for (size_t i = 0; i < m_elements.size(); ++i)
        if (!m_elements[i] || !m_tracks[i]) return false;
    return true;
}

int K3DEffectSet::AddElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, int type) {
    auto* added = new (std::nothrow) K3DEffectElement;
    if (!added) return -1;
    added->record.type = uint8_t(type);
    if (type == 3) added->record.mappingMode = 4;
    auto* addedTracks = new (std::nothrow) K3DEffectKeyTracks;
    if (!addedTracks) {
        delete added;
        return -1;
    }
    if (type == 6) added->record.segments[0] = 1;
    m_elements.push_back(added);
    m_tracks.push_back(addedTracks);
    if (element) *element = added;
    if (tracks) *tracks = addedTracks;
    return int(added->Id());
}

void K3DEffectSet::RemoveAt(size_t index) {
    if (index < m_elements.size()) {
        delete m_elements[index];
        m_elements.erase(m_elements.begin() + std::ptrdiff_t(index));
    }
    if (index < m_tracks.size()) {
        delete m_tracks[index];
        m_tracks.erase(m_tracks.begin() + std::ptrdiff_t(index));
    }
}

bool K3DEffectSet::RemoveElementAt(int index) {
    if (index < 0 || size_t(index) >= m_elements.size()) return false;
    RemoveAt(size_t(index));
    return true;
}

bool K3DEffectSet::RemoveElement(DWORD id) { return RemoveElementAt(IndexOf(id)); }

bool K3DEffectSet::SaveToFile(const char* path) { return SaveEffectSet(path, this) == 1; }

bool K3DEffectSet::SaveRange(const char* path, int t0, int t1) { return SaveEffectRange(path, this, t0, t1); }

bool K3DEffectSet::InsertElement(K3DEffectElement* element, K3DEffectKeyTracks* tracks, int index) {
    if (!element || !tracks) return false;
    if (index < 0 || size_t(index) > m_elements.size() || size_t(index) > m_tracks.size()) return false;
    m_elements.insert(m_elements.begin() + index, element);
    m_tracks.insert(m_tracks.begin() + index, tracks);
    return true;
}
