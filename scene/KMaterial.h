// A model's material set: one record per mesh subset, read from a material
// file, each with a Direct3D material, up to eight texture stages and state
// options set before the subset is drawn and put back after it. A model can
// lay one animated overlay picture from the image cache into the first
// stage without a texture.
//
// Stages without options of their own get one stage-states option: colour
// = texture x (texture factor on stage 0, current on the others) x 2, alpha
// = texture x the same argument, with the texture factor kDefaultTextureFactor.
// That factor is mid grey with full alpha: doubled, it leaves a stage-0
// texture as it is (the factor a white model recolours its stages to), and
// it keeps the texture's alpha.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "scene/KFrameTimer.h"

struct KTextureRecord;
class KFileCursor;

// Nonzero: Apply blends additively (destination factor ONE). Set through
// the model's global flag; a new model clears it.
extern DWORD g_AdditiveBlend;

constexpr int kMaterialStages = 8;
constexpr size_t kMaterialTextureNameSize = 256;
constexpr DWORD kDefaultTextureFactor = 0xFF7F7F7F;
constexpr DWORD kMaterialNotDrawn = 1;  // record flag bit 0
constexpr DWORD kMaterialAlphaRef = 10;

// Option types and their data blocks. Each block holds the values to set,
// then the values saved by the last ApplyOption.
enum KMaterialOptionType : DWORD {
    kOptionCull = 101,
    kOptionBlend = 105,
    kOptionStageStates = 1000,
    kOptionTexCoord = 1001,
    kOptionTexTransform = 1002,
};

struct KCullOption {
    DWORD cullMode;
    DWORD savedCullMode;
};
struct KBlendOption {
    DWORD sourceBlend;
    DWORD destinationBlend;
    DWORD savedSource;
    DWORD savedDestination;
};
// COLOROP, COLORARG1, COLORARG2, ALPHAOP, ALPHAARG1, ALPHAARG2 of the
// stage and the render state TEXTUREFACTOR.
struct KStageStatesOption {
    DWORD colorOp;
    DWORD colorArg1;
    DWORD colorArg2;
    DWORD alphaOp;
    DWORD alphaArg1;
    DWORD alphaArg2;
    DWORD textureFactor;
    DWORD saved[7];
};
struct KTexCoordOption {
    DWORD index;
    DWORD savedIndex;
};
// Scale, yaw-pitch-roll in radians, translation; the rest is not used.
struct KTexTransformOption {
    float scale[3];
    float yawPitchRoll[3];
    float translation[3];
    float unused[9];
};
static_assert(sizeof(KCullOption) == 8 && sizeof(KBlendOption) == 16 && sizeof(KStageStatesOption) == 56 &&
              sizeof(KTexCoordOption) == 8 && sizeof(KTexTransformOption) == 72);

struct KMaterialOption {
    DWORD type = 0;
    std::variant<std::monostate, KCullOption, KBlendOption, KStageStatesOption, KTexCoordOption,
                 KTexTransformOption>
        data;

    // The stage states of a type-1000 option, else null.
    KStageStatesOption* StageStates() { return std::get_if<KStageStatesOption>(&data); }
};

struct KMaterialRecord {
    KTextureRecord* stageTextures[kMaterialStages] = {};
    std::string stageTextureNames[kMaterialStages];  // empty where the file gives none
    DWORD stageOptionCounts[kMaterialStages] = {};
    DWORD flags = 0;
    DWORD optionCount = 0;
    D3DMATERIAL9 material{};
    std::vector<KMaterialOption> stageOptions[kMaterialStages];
    std::vector<KMaterialOption> options;
};

class KMaterial {
public:
    KMaterial() = default;
    // Frees the records.
    virtual ~KMaterial();
    KMaterial(const KMaterial&) = delete;
    KMaterial& operator=(const KMaterial&) = delete;

    // 1 for a null device (nothing stored), else 0.
    HRESULT SetDevice(IDirect3DDevice9* device);
    // Replaces the records by the file's; E_FAIL (nothing held, one log
    // line for a malformed file) when it cannot be read whole.
    HRESULT Load(const char* fileName);
    // Makes the stage-0 textures now, once a set. 0.
    HRESULT PrepareTextures();
    // Sets up the device for subset `index`: 0, or E_FAIL for a record not
    // to be drawn. An index past the records changes nothing.
    HRESULT Apply(D3DCOLOR colour, DWORD index, float alpha, BYTE depthWrite);
    // Puts back what Apply's options changed. 0.
    HRESULT Restore(DWORD index);
    // One option at the cursor: its type and data block. False for a type
    // without a known block or a block cut short.
    static bool ReadOption(KFileCursor& file, KMaterialOption* option);
    void ApplyOption(DWORD stage, KMaterialOption& option);
    void RestoreOption(DWORD stage, KMaterialOption& option);
    // Both values of every cull option.
    void SetValueAll(DWORD value);
    void FreeRecords();

    std::string overlayName;  // empty: no overlay
    KFrameTimer overlayClock;  // its picture id and hint are the overlay's cache slots
    int32_t overlayMode = 0;   // 2 normal, 3 position, 4 reflection, else the mesh's coordinates
    std::vector<KMaterialRecord> records;
    DWORD recordCount = 0;
    std::string fileName;
    BYTE texturesPrepared = 0;
    IDirect3DDevice9* device = nullptr;

private:
    void SetMaterialColours(const KMaterialRecord& record, D3DCOLOR colour, float alpha);
    void SetBlendAndDepth(float alpha, BYTE depthWrite);
    void ApplyTexturedStage(DWORD stage, KMaterialRecord& record, DWORD textureTime);
    void ApplyOverlayStage(DWORD stage);
    void DisableStage(DWORD stage);
    void SetStageFilters(DWORD stage);
};
