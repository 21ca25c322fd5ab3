#include "d3d9/ComObject.h"

#include "d3d9/Registry.h"

namespace lumiva::d3d9 {

ULONG ObjectBase::AddRefObject() {
    if (dead_) {
        ReportOverRelease(InterfaceName());
        return 0;
    }
    return ++refs_;
}

ULONG ObjectBase::ReleaseObject() {
    if (dead_ || refs_ == 0) {
        ReportOverRelease(InterfaceName());
        return 0;
    }
    if (--refs_ > 0) return refs_;
    dead_ = true;
    OnFinalRelease();
    Retire();
    return 0;
}

void ObjectBase::Retire() { RetireObject(this); }

void RetireObject(ObjectBase* object) { Registry::Get().Retire(object); }

void ReportOverRelease(const char* interfaceName) { Registry::Get().ReportOverRelease(interfaceName); }

HRESULT PrivateData::Set(REFGUID guid, const void* data, DWORD size, DWORD /*flags*/) {
    if (!data && size) return D3DERR_INVALIDCALL;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    entries_[guid] = std::vector<BYTE>(bytes, bytes + size);
    return D3D_OK;
}

HRESULT PrivateData::Get(REFGUID guid, void* data, DWORD* size) const {
    if (!size) return D3DERR_INVALIDCALL;
    auto found = entries_.find(guid);
    if (found == entries_.end()) return D3DERR_NOTFOUND;
    const DWORD needed = static_cast<DWORD>(found->second.size());
    if (!data || *size < needed) {
        *size = needed;
        return D3DERR_MOREDATA;
    }
    if (needed) std::memcpy(data, found->second.data(), needed);
    *size = needed;
    return D3D_OK;
}

HRESULT PrivateData::Free(REFGUID guid) { return entries_.erase(guid) ? D3D_OK : D3DERR_NOTFOUND; }

}  // namespace lumiva::d3d9
