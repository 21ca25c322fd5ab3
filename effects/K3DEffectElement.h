// One element of an effect set: its file record, a serial id unique within
// the run, and what the record's file name brought: the frame timer of an
// animated picture (types 1 to 5) or a model handle (type 6).
//
// Meaning of the record by type (dimensions 1..3, segments 1..2):
//   1 ground quad      width, depth
//   2 upright quad     width, height
//   3 dome             radius; rings, sides
//   4 ring / cylinder  top radius, bottom radius, height; sides
//   5 camera quad      width, height
//   6 model            segments 1 is the model's animation mode
#pragma once

#include <windows.h>
#include <d3dx9math.h>

#include <string>

#include "effects/EffectFileFormat.h"

class KFrameTimer;
class KModelProxy;

// The element's table: 22 operations, no destructor. Getters write through
// their pointer (a null pointer is skipped).
class IK3DEffectElement {
public:
    virtual void GetId(DWORD* id) = 0;
    virtual void GetType(int* type) = 0;
    virtual void GetBrightness(int* brightness) = 0;
    virtual void GetName(std::string* name) = 0;
    virtual void GetPivot(D3DXVECTOR3* pivot) = 0;
    // which 1..3; other values leave the output alone.
    virtual void GetDimension(int which, float* value) = 0;
    // which 1..2; other values give 0.
    virtual void GetSegments(int which, int* value) = 0;
    virtual void GetFileName(std::string* fileName) = 0;
    virtual void GetMappingMode(int* mode) = 0;
    virtual void GetAnimSpeed(float* speed) = 0;
    virtual void GetFrameOffset(int* offset) = 0;
    virtual void IsSelected(int* selected) = 0;
    virtual void SetBrightness(int brightness) = 0;
    // Keeps at most 31 characters.
    virtual void SetName(const char* name) = 0;
    virtual void SetPivot(float x, float y, float z) = 0;
    virtual void SetDimension(int which, float value) = 0;
    virtual void SetSegments(int which, int value) = 0;
    // Keeps at most 63 characters and loads what the name names; 0 when a
    // model's mesh or material fails.
    virtual int SetFileName(const char* fileName) = 0;
    virtual void SetMappingMode(int mode) = 0;
    virtual void SetAnimSpeed(float speed) = 0;
    virtual void SetFrameOffset(int offset) = 0;
    // Keeps the low 8 bits.
    virtual void SetSelected(int selected) = 0;

protected:
    ~IK3DEffectElement() = default;
};

class K3DEffectElement final : public IK3DEffectElement {
public:
    // A cleared record (mapping mode 1, animation speed 1.0) and the next
    // serial id.
    K3DEffectElement();
    // Deletes the frame timer and gives the model to the shell's
    // ReleaseModel.
    ~K3DEffectElement();
    K3DEffectElement(const K3DEffectElement&) = delete;
    K3DEffectElement& operator=(const K3DEffectElement&) = delete;

    void GetId(DWORD* id) override;
    void GetType(int* type) override;
    void GetBrightness(int* brightness) override;
    void GetName(std::string* name) override;
    void GetPivot(D3DXVECTOR3* pivot) override;
    void GetDimension(int which, float* value) override;
    void GetSegments(int which, int* value) override;
    void GetFileName(std::string* fileName) override;
    void GetMappingMode(int* mode) override;
    void GetAnimSpeed(float* speed) override;
    void GetFrameOffset(int* offset) override;
    void IsSelected(int* selected) override;
    void SetBrightness(int brightness) override;
    void SetName(const char* name) override;
    void SetPivot(float x, float y, float z) override;
    void SetDimension(int which, float value) override;
    void SetSegments(int which, int value) override;
    int SetFileName(const char* fileName) override;
    void SetMappingMode(int mode) override;
    void SetAnimSpeed(float speed) override;
    void SetFrameOffset(int offset) override;
    void SetSelected(int selected) override;

    DWORD Id() const { return m_serialId; }
    int Type() const { return record.type; }
    D3DXVECTOR3 Pivot() const { return D3DXVECTOR3(record.pivot); }
    KFrameTimer* FrameTimer() const { return m_frameTimer; }
    KModelProxy* Model() const { return m_model; }

    // What the loader does once the record is read: a type-6 element loads
    // the model named by the record's file name (results ignored), any other
    // type looks its picture up. An empty file name loads nothing.
    void LoadRecordFiles();
    // Copies pivot, dimensions, segments, mapping mode, animation speed and
    // frame offset of `source`.
    void CopyShapeFrom(const K3DEffectElement& source);
    // A copy for undo carries its source's id.
    void TakeSerialId(DWORD id) { m_serialId = id; }
    // Looks the record's picture up afresh with the image cache's load
    // argument; false (the element unchanged) when it cannot be had.
    bool LoadPicture(int loadArgument);

    K3DEffectElementRecord record{};
    DWORD selected = 0;

private:
    // The one road to a type-6 element's model: a handle from the shell when
    // there is none yet, then the ".Mesh", ".Mtl" and ".Ani" files of the
    // base name. With stopOnFailure a failed mesh or material ends it with 0.
    int LoadModelFiles(const char* baseName, bool stopOnFailure);

    DWORD m_serialId;
    KFrameTimer* m_frameTimer = nullptr;
    KModelProxy* m_model = nullptr;
    // The handle keeps a pointer to the animation name it plays.
    char m_animationName[kEffectFileNameSize + 8] = {};
};

// Serial ids count from 1 again.
void ResetEffectElementSerialForTests();
