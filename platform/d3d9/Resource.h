// What every resource of the software device shares: its device, pool and
// usage, private data, priority, and counting in the device's live lists.
#pragma once

#include "d3d9/ComObject.h"

namespace lumiva::d3d9 {

class Device;

// Bookkeeping the device keeps for its children; see Device.
void AttachChild(Device* device, ObjectBase* child, D3DPOOL pool, bool countsForReset);
void DetachChild(Device* device, ObjectBase* child, D3DPOOL pool, bool countsForReset);
IDirect3DDevice9* DeviceInterface(Device* device);
// GetDevice of a child: a new reference to its device, none once the child
// is dead (the device may be gone).
HRESULT HandOutDevice(Device* device, bool childDead, IDirect3DDevice9** out);

template <class Interface>
class ResourceBase : public Interface, public ObjectBase {
public:
    ResourceBase(Device* device, D3DPOOL pool, DWORD usage, bool countsForReset)
        : device_(device), pool_(pool), usage_(usage), countsForReset_(countsForReset) {
        AttachChild(device_, this, pool_, countsForReset_);
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseObject(); }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        return HandOutDevice(device_, IsDead(), device);
    }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) override {
        return privateData_.Set(guid, data, size, flags);
    }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, void* data, DWORD* size) override {
        return privateData_.Get(guid, data, size);
    }
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID guid) override { return privateData_.Free(guid); }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override {
        const DWORD old = priority_;
        if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
        return old;
    }
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
    void STDMETHODCALLTYPE PreLoad() override {}

    Device* OwnerDevice() const { return device_; }
    D3DPOOL Pool() const { return pool_; }
    DWORD Usage() const { return usage_; }

protected:
    // Derived classes free their memory first, then call this.
    void DetachFromDevice() { DetachChild(device_, this, pool_, countsForReset_); }

    Device* device_;
    D3DPOOL pool_;
    DWORD usage_;
    bool countsForReset_;
    DWORD priority_ = 0;
    PrivateData privateData_;
};

}  // namespace lumiva::d3d9
