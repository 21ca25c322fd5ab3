// Reference counting shared by every object of the software device.
// Releasing an object more often than it was referenced is reported (see
// Control.h) instead of freeing it twice: an object whose count reached zero
// drops its memory and lingers as an empty shell for a while, so a late
// Release finds it and reports.
#pragma once

#include <cstring>
#include <map>
#include <vector>

#include <d3d9.h>

namespace lumiva::d3d9 {

class Device;

class ObjectBase {
public:
    virtual ~ObjectBase() = default;
    bool IsDead() const { return dead_; }
    ULONG RefCount() const { return refs_; }
    // Texture memory the object holds against the device's budget.
    virtual uint64_t TextureMemoryBytes() const { return 0; }

protected:
    ULONG AddRefObject();
    ULONG ReleaseObject();
    // For parts whose life ends with their owner's.
    void MarkDead() { dead_ = true; }
    // Runs once, when the count reaches zero: give back memory and bindings.
    virtual void OnFinalRelease() = 0;
    virtual const char* InterfaceName() const = 0;
    // Where the dead shell goes; the device keeps its own until its children are gone.
    virtual void Retire();

private:
    ULONG refs_ = 1;
    bool dead_ = false;
};

// QueryInterface of an object that answers as `self` to each of `iids`.
template <class Interface, class... Iids>
HRESULT AnswerQuery(Interface* self, REFIID riid, void** object, const Iids&... iids) {
    if (!object) return E_POINTER;
    if ((... || (riid == iids))) {
        *object = self;
        self->AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// Hands dead shells to the registry, which frees the oldest after a while.
void RetireObject(ObjectBase* object);
// Records an over-release of the named interface.
void ReportOverRelease(const char* interfaceName);

// Private data of IDirect3DResource9, keyed by GUID.
class PrivateData {
public:
    HRESULT Set(REFGUID guid, const void* data, DWORD size, DWORD flags);
    HRESULT Get(REFGUID guid, void* data, DWORD* size) const;
    HRESULT Free(REFGUID guid);

private:
    struct GuidLess {
        bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
    };
    std::map<GUID, std::vector<BYTE>, GuidLess> entries_;
};

}  // namespace lumiva::d3d9
