// Reading a material file into records, and freeing them.
#include <cstring>

#include "scene/KMaterial.h"
#include "scene/ModelFileBytes.h"
#include "textures/TextureManager.h"

DWORD g_AdditiveBlend = 0;

namespace {

constexpr uint32_t kMaterialTag = 0x4D41544C;
// Four colours, power, flags, option count, stage count.
constexpr uint64_t kRecordMinBytes = 80;
// Skipped value, second name, texture name, option count.
constexpr uint64_t kStageMinBytes = 284;
constexpr uint64_t kOptionMinBytes = 4;
constexpr size_t kSecondNameSize = 20;

template <class Block>
bool ReadBlock(KFileCursor& file, KMaterialOption* option) {
    DWORD words[sizeof(Block) / 4];
    for (DWORD& w : words)
        if (!file.U32(&w)) return false;
    Block block;
    std::memcpy(&block, words, sizeof block);
    option->data = block;
    return true;
}

// What a stage without options of its own gets.
KMaterialOption DefaultStageOption(int stage) {
    const DWORD second = stage == 0 ? D3DTA_TFACTOR : D3DTA_CURRENT;
    KStageStatesOption states{};
    states.colorOp = D3DTOP_MODULATE2X;
    states.colorArg1 = D3DTA_TEXTURE;
    states.colorArg2 = second;
    states.alphaOp = D3DTOP_MODULATE;
    states.alphaArg1 = D3DTA_TEXTURE;
    states.alphaArg2 = second;
    states.textureFactor = kDefaultTextureFactor;
    return KMaterialOption{kOptionStageStates, states};
}

// Every record ends its own options with clockwise culling.
KMaterialOption AppendedCullOption() { return KMaterialOption{kOptionCull, KCullOption{D3DCULL_CW, D3DCULL_CW}}; }

// The drive and folder of the material file, with their trailing separator.
std::string MaterialFolder(const char* fileName) {
    char drive[3], dir[256], name[256], ext[256];
    _splitpath(fileName, drive, dir, name, ext);
    return std::string(drive) + dir;
}

bool ReadColour(KFileCursor& file, D3DCOLORVALUE* colour) {
    return file.F32(&colour->r) && file.F32(&colour->g) && file.F32(&colour->b) && file.F32(&colour->a);
}

// Null when read, else why not.
const char* ReadOptions(KFileCursor& file, std::vector<KMaterialOption>* options) {
    uint32_t count = 0;
    if (!file.U32(&count)) return "cut short";
    if (!file.Fits(count, kOptionMinBytes)) return "option count past the end";
    options->resize(count);
    for (KMaterialOption& option : *options)
        if (!KMaterial::ReadOption(file, &option)) return "bad option";
    return nullptr;
}

void ReleaseStageTextures(KMaterialRecord& record) {
    for (KTextureRecord*& texture : record.stageTextures) {
        if (texture && g_pTextureManager) g_pTextureManager->ReleaseTexture(texture);
        texture = nullptr;
    }
}

const char* ReadStage(KFileCursor& file, int stage, const std::string& folder, KMaterialRecord* record) {
    char secondName[kSecondNameSize];
    char textureName[kMaterialTextureNameSize];
    if (!file.Skip(4) || !file.Name(kSecondNameSize, secondName, sizeof secondName) ||
        !file.Name(kMaterialTextureNameSize, textureName, sizeof textureName))
        return "cut short";
    std::vector<KMaterialOption>& options = record->stageOptions[stage];
    if (const char* why = ReadOptions(file, &options)) return why;
    if (options.empty()) options.push_back(DefaultStageOption(stage));
    record->stageOptionCounts[stage] = DWORD(options.size());
    record->stageTextureNames[stage] = textureName;
    if (stage == 0 && textureName[0] && g_pTextureManager)
        record->stageTextures[0] = g_pTextureManager->LoadTexture(textureName, folder.c_str(), 0, 0, 1);
    return nullptr;
}

const char* ReadRecord(KFileCursor& file, const std::string& folder, KMaterialRecord* record) {
    D3DMATERIAL9& m = record->material;
    if (!ReadColour(file, &m.Ambient) || !ReadColour(file, &m.Diffuse) || !ReadColour(file, &m.Specular) ||
        !ReadColour(file, &m.Emissive) || !file.F32(&m.Power) || !file.U32(&record->flags))
        return "cut short";
    if (const char* why = ReadOptions(file, &record->options)) return why;
    record->options.push_back(AppendedCullOption());
    record->optionCount = DWORD(record->options.size());
    uint32_t stages = 0;
    if (!file.U32(&stages)) return "cut short";
    if (stages > kMaterialStages) return "more than 8 stages";
    if (!file.Fits(stages, kStageMinBytes)) return "stage count past the end";
    for (int s = 0; s < int(stages); ++s)
        if (const char* why = ReadStage(file, s, folder, record)) return why;
    return nullptr;
}

// Null when the whole file was read into `records`, else why not.
const char* ReadRecords(KFileCursor& file, const char* fileName, std::vector<KMaterialRecord>* records) {
    uint32_t tag = 0, count = 0;
    if (!file.U32(&tag) || tag != kMaterialTag) return "not a material file";
    if (!file.Skip(4) || !file.U32(&count)) return "cut short";
    if (!file.Fits(count, kRecordMinBytes)) return "record count past the end";
    const std::string folder = MaterialFolder(fileName);
    records->resize(count);
    for (KMaterialRecord& record : *records)
        if (const char* why = ReadRecord(file, folder, &record)) return why;
    if (!file.Skip(4)) return "cut short";
    return nullptr;
}

}  // namespace

KMaterial::~KMaterial() { FreeRecords(); }

HRESULT KMaterial::SetDevice(IDirect3DDevice9* newDevice) {
    if (!newDevice) return 1;
    device = newDevice;
    return 0;
}

bool KMaterial::ReadOption(KFileCursor& file, KMaterialOption* option) {
    if (!file.U32(&option->type)) return false;
    switch (option->type) {
        case kOptionCull: return ReadBlock<KCullOption>(file, option);
        case kOptionBlend: return ReadBlock<KBlendOption>(file, option);
        case kOptionStageStates: return ReadBlock<KStageStatesOption>(file, option);
        case kOptionTexCoord: return ReadBlock<KTexCoordOption>(file, option);
        case kOptionTexTransform: return ReadBlock<KTexTransformOption>(file, option);
        default: return false;  // the rest of the file could not be found
    }
}

HRESULT KMaterial::Load(const char* name) {
    FreeRecords();
    std::vector<uint8_t> bytes;
    if (!ReadModelFile(name, &bytes)) return E_FAIL;
    KFileCursor file(bytes.data(), bytes.size());
    std::vector<KMaterialRecord> read;
    if (const char* why = ReadRecords(file, name, &read)) {
        for (KMaterialRecord& record : read) ReleaseStageTextures(record);
        LogRefusedModelFile(name, why);
        return E_FAIL;
    }
    records = std::move(read);
    recordCount = DWORD(records.size());
    fileName = name;
    return 0;
}

HRESULT KMaterial::PrepareTextures() {
    if (texturesPrepared) return 0;
    for (KMaterialRecord& record : records)
        if (!record.stageTextureNames[0].empty() && record.stageTextures[0] && g_pTextureManager)
            g_pTextureManager->CreateTextureFromMemory(record.stageTextures[0]);
    texturesPrepared = 1;
    return 0;
}

void KMaterial::FreeRecords() {
    for (KMaterialRecord& record : records) ReleaseStageTextures(record);
    records.clear();
    recordCount = 0;
}
