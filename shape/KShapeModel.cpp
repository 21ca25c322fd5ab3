#include "shape/KShapeModel.h"

#include <d3dx9tex.h>

#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

#include "KPakFile.h"
#include "shape/KShapeInstance.h"

namespace {

constexpr char kShapeExtension[] = ".dts";

// The extension (from the last dot) must start with ".dts", in any case.
bool HasShapeExtension(const char* fileName) {
    const char* dot = std::strrchr(fileName, '.');
    return dot && strncasecmp(dot, kShapeExtension, sizeof kShapeExtension - 1) == 0;
}

// Drive and folder of a file name: everything up to its last separator
// (or the drive of "C:name"); "" when it has neither. False when they do
// not fit the buffer: then no skin path fits either.
bool FolderOf(const char* fileName, char (&folder)[MAX_PATH]) {
    size_t end = 0;
    for (size_t i = 0; fileName[i]; ++i)
        if (fileName[i] == '\\' || fileName[i] == '/' || (i == 1 && fileName[i] == ':')) end = i + 1;
    folder[0] = '\0';
    if (end >= MAX_PATH) return false;
    std::memcpy(folder, fileName, end);
    folder[end] = '\0';
    return true;
}

// The whole file, or false when it cannot be opened, is empty or reads
// short.
bool ReadWhole(const char* path, std::vector<uint8_t>& bytes) {
    KPakFile file;
    if (!file.Open(path)) return false;
    bytes.resize(file.Size());
    return !bytes.empty() && file.Read(bytes.data(), uint32_t(bytes.size())) == bytes.size();
}

}  // namespace

KShapeModel::KShapeModel() { shapeFlag = 1; }

KShapeModel::~KShapeModel() {
    instance = nullptr;
    shape.Clear();  // the skins with it
}

HRESULT KShapeModel::Load(const char* fileName) {
    if (!fileName || !HasShapeExtension(fileName)) return E_FAIL;
    char folder[MAX_PATH];
    const bool folderFits = FolderOf(fileName, folder);
    std::vector<uint8_t> bytes;
    if (!ReadWhole(fileName, bytes) || !ReadShape(bytes.data(), bytes.size(), &shape)) {
        shape.Clear();
        return E_FAIL;
    }
    // A folder too long for any path keeps every skin null: the skins are
    // never looked for at the data root instead.
    if (folderFits) LoadSkins(folder);
    instance = nullptr;
    return 0;
}

void KShapeModel::LoadSkins(const char* folder) {
    // The reader sized the texture table, all null.
    KShapeMaterialList& materials = shape.materials;
    for (uint32_t i = 0; i < materials.Count(); ++i) {
        const char* name = materials.Name(i);
        if (!name || !*name) continue;
        char path[MAX_PATH];
        const int length = std::snprintf(path, sizeof path, "%s%s.dds", folder, name);
        std::vector<uint8_t> bytes;
        if (length < 0 || size_t(length) >= sizeof path || !ReadWhole(path, bytes)) continue;
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(D3DXCreateTextureFromFileInMemory(device, bytes.data(), UINT(bytes.size()), &texture)))
            texture = nullptr;
        materials.SetTexture(i, texture);
    }
}

KShapeInstance* KShapeModel::CreateInstance() { return new KShapeInstance(&shape, true, device); }

void KShapeModel::HandOver(KShapeInstance* handed, DWORD start, int32_t timeDivisor,
                           const int32_t params[kShapeParams], const D3DXVECTOR3& modelScale) {
    instance = handed;
    startTime = start;
    divisor = timeDivisor;
    quadSwitch = params[kShapeQuadSwitch];
    quadWidth = params[kShapeQuadWidth];
    quadHeight = params[kShapeQuadHeight];
    quadCentreX = params[kShapeQuadCentreX];
    quadCentreY = params[kShapeQuadCentreY];
    scale = modelScale;
}
