// An effect instance shows one effect set at a time its caller chooses,
// under the device's current world transform: textured, as a wireframe, or
// both. Editing tools also pick its elements under a screen point, select
// those inside a screen rectangle and snap its key times.
//
// The host gets instances from the shell's CreateEffectInstance and gives
// them back to ReleaseEffectInstance. Times are signed ms from the
// effect's start. Drawing thread only.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <vector>

#include "effects/ElementDrawing.h"
#include "effects/K3DEffectSet.h"
#include "scene/LiveHandles.h"

// Render flags.
constexpr DWORD kEffectRenderTextured = 1;
constexpr DWORD kEffectRenderWireframe = 2;

class K3DEffectInstance {
public:
    // Raises the set's user count.
    explicit K3DEffectInstance(K3DEffectSet* set);
    K3DEffectInstance(const K3DEffectInstance&) = delete;
    K3DEffectInstance& operator=(const K3DEffectInstance&) = delete;

    // --- In slot order ---
    virtual K3DEffectSet* GetEffectSet();
    // Null without a set.
    virtual I3DEffectEvaluator* GetEvaluator();
    // Every element at the time, in list order.
    virtual void Render(int time, DWORD flags);
    // Serial id of the nearest element under the screen point (x, y) of a
    // width x height viewport; -1 when none. a and b are not read.
    virtual int PickByRay(DWORD a, DWORD b, int x, int y, int time, int width, int height);
    // Appends the ids of the elements inside the screen rectangle (all of
    // their vertices with requireAll, else any); true when any was appended.
    virtual bool SelectInVolume(std::vector<DWORD>* ids, DWORD a, DWORD b, RECT rectangle, bool requireAll, int time,
                                int width, int height);
    virtual void SetWireColor(DWORD argb);
    virtual void SetSelectedWireColor(DWORD argb);
    virtual void SetHiddenWireColor(DWORD argb);
    virtual void EmptySlot8();
    virtual void EmptySlot9();
    // The element's world matrix at the time, without its model's scale;
    // identity for an unknown id or an element without tracks.
    virtual D3DXMATRIX GetElementMatrix(int time, DWORD id);
    // Every key time of the set to the nearest multiple of step (a half
    // step rounds up). Steps below 1 and negative times change nothing.
    virtual void QuantizeKeyTimes(int step);
    // Lowers the user count and gives the set back to the cache.
    virtual ~K3DEffectInstance();

    DWORD WireColor() const { return m_wireColor; }
    DWORD SelectedWireColor() const { return m_selectedWireColor; }
    DWORD HiddenWireColor() const { return m_hiddenWireColor; }

private:
    KLiveMark<K3DEffectInstance> m_live{this};
    // One element placed at a time: its sampled values, its world matrix,
    // the device's world before it and its geometry.
    struct Placed {
        KSampledElement sampled;
        D3DXMATRIX m;
        D3DXMATRIX savedWorld;
        KEffectGeometry geometry;
    };

    // Samples, places and builds the element; with moveModel its model
    // follows.
    Placed UpdateElementState(int index, int time, bool moveModel);
    // The element's world matrix under the device's world (read into
    // *savedWorld); a model element's scale only with scaleModel.
    D3DXMATRIX ElementMatrix(const K3DEffectElement& element, const KSampledElement& sampled, int time,
                             bool scaleModel, D3DXMATRIX* savedWorld) const;
    void DrawElement(int index, int time, DWORD flags);
    void SetTextureOrModelTime(IDirect3DDevice9* device, K3DEffectElement& element, int time);
    void DrawStripsPasses(IDirect3DDevice9* device, const K3DEffectElement& element, Placed& placed, DWORD flags);
    void DrawModelPasses(IDirect3DDevice9* device, const K3DEffectElement& element, Placed& placed, DWORD flags);
    DWORD WireColorOf(const K3DEffectElement& element, const KSampledElement& sampled) const;
    // Distance along the pick ray to the element, -1 for none.
    float PickElement(int index, int x, int y, int time, int width, int height);
    bool IsElementInRect(int index, const RECT& rectangle, bool requireAll, int time, int width, int height);

    K3DEffectSet* m_set;
    DWORD m_wireColor = 0xFF000000;
    DWORD m_selectedWireColor = 0xFFFFFFFF;
    DWORD m_hiddenWireColor = 0xFFFF0000;
};
