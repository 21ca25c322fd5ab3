// One animated 3D model in the scene: a node with a heading that holds a
// shared mesh, material set and animation from the model manager, plays
// one animation track with a speed, a mode and pauses, keeps its scale and
// world matrix, and can ride on a dummy (attachment point) of another
// model's mesh. The host never sees it: its handle makes it through the
// model manager and forwards to it.
//
//   KModel.cpp              life, device, resources by name, mesh values
//   ModelAnimation.cpp      playing, pausing and reading the animation
//   ModelBinding.cpp        riding on another model's dummy, FindBone
//   ModelMaterials.cpp      recolouring and the overlay picture
//   ModelUpdate.cpp         the per-frame animate-and-draw
//   ModelWeaponTrail.cpp    the ribbon swept by the weapon's dummies
//   ModelCoolTrail.cpp      fading quads at the model's past positions
//   ModelBindEffects.cpp    the bound-effect sets and their list
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <vector>

#include "scene/KModelNodeBase.h"
#include "scene/ModelManagerMaps.h"

class KMesh;
class KMaterial;
class KAnimation;
class KModelProxy;
class KShapeInstance;
class KShapeModel;
class KBindEffectSet;
struct KTextureRecord;

// Animation bone i drives mesh bone trackBones[i].
constexpr int kTrackBoneTableSize = 256;
// Dummy names fit 29 characters and their terminator.
constexpr size_t kDummyNameSize = 30;
constexpr int kShapeParamCount = 5;
constexpr float kDefaultAnimationSpeed = 4.0f;

// A weapon-trail vertex as the trail draws it (stride 32; its format covers
// the first 24 bytes).
struct KTrailVertex {
    float x, y, z;
    BYTE colour[4];  // blue, green, red, alpha
    float u, v;
    DWORD creationTime;
    BYTE startAlpha;
    BYTE padding[3];
};
static_assert(sizeof(KTrailVertex) == 32);

class KModel : public KModelNodeBase {
public:
    // Clears the module-wide additive blend flag: every new model does.
    KModel();
    // Deletes the shape instance, the trail texture, the dummy names and
    // the bound-effect sets. The records went back to the manager before.
    ~KModel() override;

    // --- Slot order after the scene-node operations ---
    bool BindTo(IK3DSceneNode* node, const char* dummy, const char* secondDummy) override;
    bool Unbind(IK3DSceneNode* node) override;
    // The per-frame animate-and-draw (ModelUpdate.cpp); always true.
    bool Update() override;
    virtual HRESULT Reserved1(DWORD a, DWORD b);
    // 0 at once for the current mesh's name (any case); 1 without a device;
    // E_FAIL when the manager cannot load it.
    virtual HRESULT SetMesh(const char* name, DWORD unused);
    virtual HRESULT InitMesh(const char* argument, DWORD unused);
    // Like SetMesh, but 1 when the material cannot be loaded; else the
    // result of making its textures.
    virtual HRESULT SetMaterial(const char* name, DWORD unused);
    virtual HRESULT Reserved2(DWORD a, DWORD b, DWORD c, DWORD d);
    virtual HRESULT InitMaterial(const char* argument);
    virtual HRESULT Reserved3(DWORD a, DWORD b);
    // 0 at once for the current animation's name (any case); E_FAIL when
    // the manager cannot load it.
    virtual HRESULT SetAnimation(const char* name, DWORD unused);
    virtual HRESULT AddAnimation(const char* name, DWORD unused);
    virtual HRESULT Reserved4(DWORD a, DWORD b, DWORD c, DWORD d);
    // Loads the animation unless held, passes the call to the plain
    // children, then plays its first track from now. 0.
    virtual HRESULT PlayAnimation(int mode, const char* name, float speed);
    virtual HRESULT Reserved5(DWORD a, DWORD b, DWORD c);
    // Freezes or resumes the animation clock, the plain children's too. 0.
    virtual HRESULT SetPaused(BYTE pause);
    // Writes the mode, the current track's name (when `name` is not null and
    // the track exists) and the speed; returns the current track.
    virtual int GetAnimationState(int* mode, char* name, float* speed);
    // Frames x interval of the first track; 0 without one.
    virtual float GetAnimationLength();
    virtual void SetScale(const float* xyz);
    virtual void SetScaleFactor(const float* xyz);
    // The shadow quad's flag, centre, half extents, alpha and texture name;
    // nothing without a mesh.
    virtual void SetMeshFlag(BYTE flag);
    virtual void SetMeshParams(float centreX, float centreZ, float halfWidth, float halfDepth, BYTE quadAlpha);
    virtual void SetShadowTextureName(const char* name);
    virtual D3DXVECTOR3* GetScale();
    virtual HRESULT Reserved6(DWORD a);
    virtual void SetComputeTransform(BYTE compute);
    virtual void UpdateBindEffects();
    virtual HRESULT SetAlpha(float value);
    virtual HRESULT SetDepthWrite();
    // Stores the value in the module-wide additive blend flag.
    virtual HRESULT SetGlobalFlag(DWORD value);
    virtual int LoadBindEffectFile(const char* path);
    virtual int LoadEffectList(const char* file, int index);
    virtual HRESULT RemoveBindEffect(const char* socket);
    virtual HRESULT AddBindEffect(const char* file, const char* socket, int mode, float scale, float angle);
    virtual HRESULT SetBindEffectSocket(const char* socket, const char* nextSocket, int mode);
    // Both values of every cull option of the material set.
    virtual void SetMaterialValue(DWORD value);

    // --- Not in the table ---
    // 1 for null (nothing stored), else 0.
    HRESULT SetDevice(IDirect3DDevice9* newDevice);
    // The fraction played of the named track (null: the current one); 0.0
    // without animation, for a track out of range, or nothing elapsed.
    float GetAnimationProgress(const char* trackName);
    BYTE GetAnimationFlag();
    // 1 also pauses. Nothing without an animation.
    void SetAnimationFlag(BYTE flag);
    // Moves the start time so the first track stands at fraction f.
    void SetAnimationPosition(float f);
    void SetAnimationMode(int mode) { animationMode = mode; }
    bool HasMesh() const { return mesh != nullptr; }
    DWORD GetTrackCount() const;
    // The mesh's box; nothing without a mesh.
    void GetBounds(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const;
    void SetMeshColor(D3DCOLOR colour);
    // Lays the named picture from the image cache over the material set
    // (empty or null: none), with the overlay mode `value`.
    void SetMaterialTexture(const char* name, int value);
    // Every stage up to the first empty one modulates its texture by the
    // texture factor, which follows the mesh colour, the offset and alpha.
    void RecolorMaterials(int offset);
    bool UnbindAll();
    // Binding state without the walk over children and parent.
    void ClearBinding();
    // The world position of the last update.
    void GetBindValues(float* x, float* y, float* z) const;
    // The mesh's dummy of exactly that name; -1 without a mesh, for a null
    // or empty name, or none of that name.
    int FindBone(const char* name) const;
    // The track time (ms) the update samples at `now` (timeGetTime).
    float AnimationTime(DWORD now);

    // --- Weapon trail (ModelWeaponTrail.cpp) ---
    // 1 when every key of the section was read and the texture loaded;
    // else 0, keeping the values read before the missing key.
    int LoadTrailSettings(const char* file, const char* section);
    void SetTrailEnabled(int on) { trailOn = on; }
    void ClearTrail() { trailVertices.clear(); }
    bool IsTrailLoaded() const { return trailLoaded != 0; }
    // Ages the trail, adds a pair while on and draws it.
    void UpdateTrail();
    // --- Cool trail (ModelCoolTrail.cpp) ---
    void SetCoolTrail(int on) { coolTrailOn = on; }
    // Samples the position and draws the trail; `time` is not used.
    void SortAndDraw(float time);
    // --- Bound effects (ModelBindEffects.cpp) ---
    void RemoveAllBindEffects();
    void SetBindFlag(int on) { bindEffectsOn = on; }
    // The set the update takes: the effect-list entry the update argument
    // selects, or the model's own set while the list is empty.
    void SelectBindEffects();

    // --- Fields, in order ---
    IDirect3DDevice9* device = nullptr;
    BYTE computeTransform = 1;
    KModelProxy* proxy = nullptr;
    KMesh* mesh = nullptr;
    KMaterial* material = nullptr;
    KAnimation* animation = nullptr;
    KMeshRecord* meshRecord = nullptr;
    KMaterialSetRecord* materialRecord = nullptr;
    KAnimationRecord* animationRecord = nullptr;
    D3DXMATRIX worldMatrix;
    D3DXVECTOR3 worldPosition{0, 0, 0};
    int32_t currentTrack = -1;
    int32_t animationMode = 1;
    float speed = kDefaultAnimationSpeed;
    float startTime = 0.0f;  // timeGetTime ms
    float alpha = 1.0f;
    BYTE depthWrite = 0;
    KModelRecord* ownRecord = nullptr;
    D3DXVECTOR3 scale{1, 1, 1};
    D3DXVECTOR3 scaleFactor{1, 1, 1};  // only x is used
    IK3DSceneNode* boundNode = nullptr;
    int32_t bound = 0;
    char* dummyName = nullptr;        // kDummyNameSize, made on the first bind
    char* secondDummyName = nullptr;  // kDummyNameSize, made when a second name is given
    KBindEffectSet* currentBindEffects = nullptr;
    std::vector<KBindEffectSet*> effectList;  // owned; entries may be null
    // A set made outside an effect list: owned, current while the list is
    // empty, freed when another replaces it.
    KBindEffectSet* ownBindEffects = nullptr;
    std::vector<D3DXVECTOR3> coolTrailSamples;
    DWORD lastCoolSampleTime = 0;
    int32_t coolTrailOn = 0;
    DWORD pauseStamp = 0;
    DWORD pausedTotal = 0;
    BYTE paused = 0;
    std::vector<KTrailVertex> trailVertices;
    int32_t trailOn = 0;
    DWORD trailLiveTime = 0;
    DWORD trailMaxVertices = 0;
    float trailSpread = 0.0f;
    BYTE trailColour1[4] = {};
    BYTE trailColour2[4] = {};
    KTextureRecord* trailTexture = nullptr;
    BYTE trailLoaded = 0;
    int32_t bindEffectsOn = 1;
    D3DXMATRIX externalWorld;
    int32_t trackBones[kTrackBoneTableSize];
    int32_t trailDummies[2] = {-1, -1};  // BL1, BL2; -1 not looked up, -2 absent
    KShapeInstance* shapeInstance = nullptr;
    DWORD shapeStartTime = 0;
    BYTE shapeState = 0;
    int32_t shapeTimeDivisor = 1000;
    int32_t shapeParams[kShapeParamCount] = {1, 64, 128, 0, 0};
    int32_t shapeFlag = 0;

private:
    // The current record's name equals `name` without regard to case.
    static bool HoldsName(const KResRecord* record, const char* name);
    void ResetTrackBones();
    void FillTrackBones();
    // The bound node, kept in step with the riders of the node it names.
    void RideOn(IK3DSceneNode* node);
    static void CopyDummyName(char** buffer, const char* name);
    // --- Update steps ---
    void StepShape(KShapeModel* shape);
    // True while the mesh waits for its skinning retry (nothing drawn).
    bool RetryConversion();
    void ComputeOwnWorld(KShapeModel* shape);
    void ApplyWorldOffset();
    void ApplyBinding();
    // --- Bound-effect steps ---
    // A new set on this model's device; null when it cannot be initialised.
    KBindEffectSet* NewBindEffectSet();
    // LoadBindEffectFile's body; *made gets the set it made (or null).
    int LoadBindEffectsInto(const char* path, KBindEffectSet** made);
    // Makes `set` the model's own, freeing the one it replaces.
    void AdoptOwnBindEffects(KBindEffectSet* set);
    void DeleteEffectList();
    // --- Weapon-trail steps ---
    bool FindTrailDummies();
    void AgeTrail(DWORD now);
    void AppendTrailPair(DWORD now);
    void SpreadTrail();
    void DrawTrail();
};
