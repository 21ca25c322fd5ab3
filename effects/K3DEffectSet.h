// One loaded effect: a named list of elements, each with its key tracks
// (entry i of one list belongs to entry i of the other), and the set-wide
// duration, spin, scale and blending. Sets are shared through the effect-set
// cache; each holder raises the user count while it holds the set.
//
// The set has two faces: IK3DEffectSet (26 operations, for editing tools and
// players) and I3DEffectEvaluator (10, sampling and key times).
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effects/K3DEffectElement.h"
#include "effects/K3DEffectKeyTracks.h"

// A vertex of element geometry: position, colour, texture coordinates.
struct K3DEffectVertex {
    float x, y, z;
    DWORD color;
    float u, v;
};
static_assert(sizeof(K3DEffectVertex) == 24);
constexpr DWORD kEffectVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x142
static_assert(kEffectVertexFvf == 0x142);

// Vertices made for one draw of one element, drawn as triangle strips;
// empty (null, 0) when the element builds nothing.
struct KEffectGeometry {
    std::unique_ptr<K3DEffectVertex[]> vertices;
    int count = 0;
};

class IK3DEffectSet {
public:
    // 0-3: null for an index out of range or an id no element has.
    virtual K3DEffectElement* GetElement(int index) = 0;
    virtual K3DEffectKeyTracks* GetElementTracks(int index) = 0;
    virtual K3DEffectElement* FindElement(DWORD id) = 0;
    virtual K3DEffectKeyTracks* FindElementTracks(DWORD id) = 0;
    virtual void SetSpinSpeed(float speed) = 0;
    virtual void SetDuration(int ms) = 0;
    virtual void GetName(std::string* name) = 0;
    // A null name is ignored.
    virtual void SetName(const char* name) = 0;
    virtual void GetSpinSpeed(float* speed) = 0;
    virtual void GetDuration(int* ms) = 0;
    // A new element of the type with empty tracks, appended and handed out;
    // its serial id, or -1.
    virtual int AddElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, int type) = 0;
    virtual bool RemoveElementAt(int index) = 0;
    virtual bool RemoveElement(DWORD id) = 0;
    virtual bool SaveToFile(const char* path) = 0;
    // The part from t0 to t1 ms as an effect of its own.
    virtual bool SaveRange(const char* path, int t0, int t1) = 0;
    virtual int GetElementCount(int* count) = 0;
    // An appended copy named "Primitive<id>"; see EffectSetEditing.cpp.
    virtual void DuplicateElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, DWORD id) = 0;
    // A detached copy for undo, same id; the caller owns both.
    virtual void CloneElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, DWORD id) = 0;
    // Takes both before the index (0..count); false, and the caller keeps
    // them, for a null or an index out of range.
    virtual bool InsertElement(K3DEffectElement* element, K3DEffectKeyTracks* tracks, int index) = 0;
    virtual int FindElementIndex(DWORD id) = 0;
    // The element with the id takes the given element's fields and tracks.
    virtual void UpdateElement(const K3DEffectElement* element, const K3DEffectKeyTracks* tracks, DWORD id) = 0;
    virtual bool ElementsEqual(const K3DEffectElement* element, const K3DEffectKeyTracks* tracks, DWORD id) = 0;
    virtual void SetAdditiveBlend(int flag) = 0;
    virtual int GetAdditiveBlend() = 0;
    virtual void SetExtraValue(int value) = 0;
    virtual int GetExtraValue() = 0;

protected:
    ~IK3DEffectSet() = default;
};

// Samplers take the tracks to sample; null tracks leave the output alone.
class I3DEffectEvaluator {
public:
    virtual void SamplePosition(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) = 0;
    virtual void SampleRotation(float* out, int time, const K3DEffectKeyTracks* tracks) = 0;
    virtual void SampleColor(DWORD* out, int time, const K3DEffectKeyTracks* tracks) = 0;
    virtual void SampleScale(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) = 0;
    virtual void SampleVisible(int* out, int time, const K3DEffectKeyTracks* tracks) = 0;
    virtual void SampleOffset(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) = 0;
    virtual void TransformPoint(float* x, float* y, float* z, int time, DWORD id) = 0;
    // The element's place at the time: position + pivot + offset, turned by
    // the set's spin; nothing for an unknown id.
    virtual void TransformElementPoint(float* x, float* y, float* z, int time, DWORD id) = 0;
    // The next key time after t (forwards) or before it (backwards) among
    // CollectKeyTimes(id); the last or first time when there is none.
    virtual bool GetAdjacentKeyTime(int time, bool backwards, int* out, int id) = 0;
    // Key times inserted into the sorted list without duplicates: id 0 all
    // elements, a positive id one element (false when it has no tracks), a
    // negative id none.
    virtual bool CollectKeyTimes(std::vector<int>* list, int id) = 0;

protected:
    ~I3DEffectEvaluator() = default;
};

class K3DEffectSet final : public IK3DEffectSet, public I3DEffectEvaluator {
public:
    K3DEffectSet() = default;
    // Deletes every element and every key-track object.
    ~K3DEffectSet();
    K3DEffectSet(const K3DEffectSet&) = delete;
    K3DEffectSet& operator=(const K3DEffectSet&) = delete;

    K3DEffectElement* GetElement(int index) override;
    K3DEffectKeyTracks* GetElementTracks(int index) override;
    K3DEffectElement* FindElement(DWORD id) override;
    K3DEffectKeyTracks* FindElementTracks(DWORD id) override;
    void SetSpinSpeed(float speed) override { m_spinSpeed = speed; }
    void SetDuration(int ms) override { m_duration = ms; }
    void GetName(std::string* name) override;
    void SetName(const char* name) override;
    void GetSpinSpeed(float* speed) override;
    void GetDuration(int* ms) override;
    int AddElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, int type) override;
    bool RemoveElementAt(int index) override;
    bool RemoveElement(DWORD id) override;
    bool SaveToFile(const char* path) override;
    bool SaveRange(const char* path, int t0, int t1) override;
    int GetElementCount(int* count) override;
    void DuplicateElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, DWORD id) override;
    void CloneElement(K3DEffectElement** element, K3DEffectKeyTracks** tracks, DWORD id) override;
    bool InsertElement(K3DEffectElement* element, K3DEffectKeyTracks* tracks, int index) override;
    int FindElementIndex(DWORD id) override;
    void UpdateElement(const K3DEffectElement* element, const K3DEffectKeyTracks* tracks, DWORD id) override;
    bool ElementsEqual(const K3DEffectElement* element, const K3DEffectKeyTracks* tracks, DWORD id) override;
    void SetAdditiveBlend(int flag) override { m_additive = flag; }
    int GetAdditiveBlend() override { return m_additive; }
    void SetExtraValue(int value) override { m_extraValue = value; }
    int GetExtraValue() override { return m_extraValue; }

    void SamplePosition(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) override;
    void SampleRotation(float* out, int time, const K3DEffectKeyTracks* tracks) override;
    void SampleColor(DWORD* out, int time, const K3DEffectKeyTracks* tracks) override;
    void SampleScale(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) override;
    void SampleVisible(int* out, int time, const K3DEffectKeyTracks* tracks) override;
    void SampleOffset(D3DXVECTOR3* out, int time, const K3DEffectKeyTracks* tracks) override;
    void TransformPoint(float* x, float* y, float* z, int time, DWORD id) override;
    void TransformElementPoint(float* x, float* y, float* z, int time, DWORD id) override;
    bool GetAdjacentKeyTime(int time, bool backwards, int* out, int id) override;
    bool CollectKeyTimes(std::vector<int>* list, int id) override;

    // The element's vertices at its sampled offset O, scale S and colour;
    // world is its matrix M (its translation row is stored as the last
    // element position); f1, f2 widen a camera-facing quad. Positions are
    // local to M, less O, except for type 5, which comes out in the world.
    // Builds nothing for a null element, an unknown type, segments below 1,
    // more than 65,536 vertices or a type-6 element without a model.
    KEffectGeometry BuildElementGeometry(const K3DEffectElement* element, const D3DXMATRIX& world,
                                         const D3DXVECTOR3& offset, const D3DXVECTOR3& scale, DWORD color,
                                         float f1, float f2);

    // --- Users: effect nodes and instances that hold the set ---
    void AddUser() { ++m_userCount; }
    void RemoveUser() { --m_userCount; }
    int UserCount() const { return m_userCount; }

    const std::string& Name() const { return m_name; }
    int Duration() const { return m_duration; }
    float SpinSpeed() const { return m_spinSpeed; }
    const D3DXVECTOR3& Scale() const { return m_scale; }
    void SetScale(const D3DXVECTOR3& scale) { m_scale = scale; }
    const D3DXVECTOR3& LastElementPosition() const { return m_lastElementPosition; }
    int ElementCount() const { return int(m_elements.size()); }
    int TracksCount() const { return int(m_tracks.size()); }
    // Null out of range.
    const K3DEffectElement* ElementAt(int index) const;
    const K3DEffectKeyTracks* TracksAt(int index) const;

    // The two lists have one entry per element and no null (what a save
    // needs; a failed load may leave them otherwise).
    bool ListsInStep() const;

    // --- The loader's and the range copy's ---
    void AppendElement(K3DEffectElement* element) { m_elements.push_back(element); }
    void AppendTracks(K3DEffectKeyTracks* tracks) { m_tracks.push_back(tracks); }
    // Lists the source's elements without owning them; ForgetSharedElements
    // must follow before this set is destroyed.
    void ShareElementsOf(const K3DEffectSet& source) { m_elements = source.m_elements; }
    void ForgetSharedElements() { m_elements.clear(); }

private:
    int IndexOf(DWORD id) const;
    void RemoveAt(size_t index);

    int m_userCount = 0;
    std::string m_name;
    std::vector<K3DEffectElement*> m_elements;
    std::vector<K3DEffectKeyTracks*> m_tracks;
    float m_spinSpeed = 0.0f;
    int m_duration = 0;
    int m_additive = 0;
    int m_extraValue = 0;
    D3DXVECTOR3 m_lastElementPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_scale{1.0f, 1.0f, 1.0f};
};

// --- The effect file (EffectFileLoad.cpp, EffectFileSave.cpp) ---
// Reads the file into a fresh set; 1 when all of it was read. What was read
// before a failure stays in the set (the caller discards it).
int LoadEffectSet(K3DEffectSet* set, const char* fileName);
// Writes the set as a version-6 file; 1 when every block was written. The
// old file stays as it was on any failure. 0 (nothing written) for a set
// whose lists are out of step.
int SaveEffectSet(const char* fileName, K3DEffectSet* set);
// The part of source from t0 to t1 ms into destination (fresh), which lists
// source's elements without owning them; false when t1 - t0 < 1.
bool CopyEffectRange(K3DEffectSet* source, int t0, int t1, K3DEffectSet* destination);
// CopyEffectRange into a temporary set saved through SaveEffectSet; false
// when t0 < 0 or t1 is past the source's duration.
bool SaveEffectRange(const char* path, K3DEffectSet* source, int t0, int t1);
