// The texture manager: every texture that models, materials, effects,
// ribbons and the shell load by file name, shared through one
// reference-counted KTextureRecord per lower-case path. Records outlive
// their textures: a texture unloads when the device is reset or memory runs
// short and loads again on the record's next use.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "textures/TextureRecord.h"

// The base holds only the destructor, so the manager's operations start
// one entry further down the table.
class KTextureManagerBase {
public:
    virtual ~KTextureManagerBase();
};

class KTextureManager : public KTextureManagerBase {
public:
    KTextureManager();
    ~KTextureManager() override;
    KTextureManager(const KTextureManager&) = delete;
    KTextureManager& operator=(const KTextureManager&) = delete;

    // The record for the path the rules of BuildTexturePath make, with one
    // more reference, created when absent. Returned whether or not its
    // texture could be loaded; null when no record can be had. `load` has no
    // effect.
    virtual KTextureRecord* LoadTexture(const char* fileName, const char* folder, BYTE keep, BYTE fullPath,
                                        BYTE load);
    // A kept record named "EmptyTex##%04d" over a blank managed texture.
    virtual KTextureRecord* CreateEmptyTexture(DWORD unused, int width, int height);
    // The record of that exact name with one more reference, or null.
    virtual KTextureRecord* FindTexture(const char* name);
    // Drops one reference; the last one removes, unloads and deletes it.
    virtual bool ReleaseTexture(KTextureRecord* record);
    virtual bool GetTextureFormat(KTextureRecord* record, int32_t* kind);
    virtual bool GetTextureSize(KTextureRecord* record, int32_t* width, int32_t* height);
    // Records hold one frame: no cycle.
    virtual bool GetCycleTime(KTextureRecord* record, DWORD* ms);
    virtual bool GetFrameCount(KTextureRecord* record, int32_t* count);
    // Puts the record's texture on the stage, loading it first when needed;
    // a null record clears the stage. `time` has no effect on one frame.
    virtual bool SetTexture(DWORD stage, KTextureRecord* record, DWORD time);
    // Kept records only.
    virtual bool LockTexture(KTextureRecord* record, BYTE readOnly, void** bits, int32_t* pitch, UINT level);
    virtual bool UnlockTexture(KTextureRecord* record, UINT level);
    virtual DWORD GetLoadedCount();
    virtual DWORD GetTotalBytes();
    virtual bool Init(IDirect3DDevice9* device, BYTE useA8R8G8B8, BYTE mip);
    virtual void ReleaseAll();

    // Unloads every record that is not kept.
    bool InvalidateDeviceObjects();
    bool RestoreDeviceObjects();
    // 0xFFFFFFFF unloads everything, 0 the longest-idle record when idle for
    // a second, any other value idle records until that much texture memory
    // is available. Records without a file stay.
    void FreeTextureMemory(DWORD target);
    // Makes the record's texture from its file bytes, which it then frees.
    bool CreateTextureFromMemory(KTextureRecord* record);

    IDirect3DDevice9* GetDevice() const { return m_device; }
    D3DFORMAT GetFormat() const { return m_format; }
    size_t RecordCount() const { return m_records.size(); }

private:
    bool LoadRecordData(KTextureRecord* record);
    bool ReadRecordFile(KTextureRecord* record);
    bool InsertRecord(KTextureRecord* record);
    void EraseRecord(KTextureRecord* record);
    void UnloadRecord(KTextureRecord* record);
    void CountLoaded(KTextureRecord* record, IDirect3DTexture9* texture, bool mipFactor);
    KTextureRecord* LongestIdleRecord(DWORD now) const;
    void DeleteAllRecords(bool releaseTextures);

    IDirect3DDevice9* m_device;
    uint8_t m_useA8R8G8B8;
    uint8_t m_mip;  // byte counts of file textures are taken x 1.33
    D3DFORMAT m_format;
    std::unordered_map<std::string, KTextureRecord*> m_records;
    uint32_t m_loadedCount;
    uint32_t m_totalBytes;
    uint32_t m_emptyTextureCount;

    friend void ResetTextureManagerForTests();
};

extern KTextureManager* g_pTextureManager;

// Name to name; LoadTexture and the model manager look lower-cased paths up
// here. The module itself puts nothing in.
extern std::unordered_map<std::string, std::string> g_TextureNameRemap;

// The path LoadTexture opens for a name; false when the rules give none or
// the path would not fit in a record's name (the path is then left made, so
// the caller can tell). Not yet lower-cased.
//   fullPath:   the name itself;
//   folder:     folder + "texture\" + the part after the name's last '/' or '\';
//   no folder:  "\portrait\common\" + that part.
// Without fullPath the name must have a separator that is not its first
// character.
bool BuildTexturePath(const char* fileName, const char* folder, bool fullPath, std::string* path);

// The manager back to its state at module load: every record deleted (its
// texture released), no device, empty name remap, empty-texture numbers
// from 1 again.
void ResetTextureManagerForTests();
