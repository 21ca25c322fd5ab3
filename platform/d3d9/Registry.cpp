#include "d3d9/Registry.h"

#include <algorithm>
#include <cstdio>

#include "d3d9/Device.h"
#include "d3d9/Recorder.h"
#include "d3d9/SurfaceCopy.h"
#include "win32/Control.h"

namespace lumiva::d3d9 {
namespace {

constexpr uint64_t kDefaultTextureMemory = 128ull << 20;

}  // namespace

Registry& Registry::Get() {
    // Never destroyed: objects may be released from static destructors.
    static Registry* registry = new Registry;
    return *registry;
}

Registry::Registry() { Reset(); }

void Registry::Reset() {
    std::lock_guard guard(lock);
    for (const FullScreen& entry : fullScreen_) win32::SetDesktopSize(entry.savedDesktopWidth, entry.savedDesktopHeight);
    fullScreen_.clear();
    adapters = {DefaultAdapter(0)};
    formatCheck = nullptr;
    deviceTypeCheck = nullptr;
    rejectedFormats.clear();
    direct3DCreateFails = false;
    createDeviceResult = D3D_OK;
    nextResetFailure = D3D_OK;
    creationCount = 0;
    creationFailures_ = FailureSchedule{};
    lockFailures_ = FailureSchedule{};
    totalTextureMemory = kDefaultTextureMemory;
    RecorderSwitch::Set(false);
    ClearCalls();
    noRaster = false;
    overReleases.clear();
    frontBuffer_.Free();
    frontBuffer_ = PixelBuffer{};
    FreeRetired();
    // Devices and resources a test still holds stay valid; only their
    // bookkeeping of texture memory carries over.
}

void Registry::ClearCalls() {
    calls.clear();
    recentSnapshots.clear();
    snapshotCount = 0;
}

D3DDISPLAYMODE Registry::CurrentDisplayMode(UINT adapter) {
    std::lock_guard guard(lock);
    for (const FullScreen& entry : fullScreen_)
        if (entry.adapter == adapter) return entry.mode;
    D3DDISPLAYMODE mode = adapter < adapters.size() ? adapters[adapter].displayMode
                                                     : D3DDISPLAYMODE{0, 0, 60, D3DFMT_X8R8G8B8};
    if (mode.Width == 0 || mode.Height == 0) {
        mode.Width = static_cast<UINT>(std::max(1, GetSystemMetrics(SM_CXSCREEN)));
        mode.Height = static_cast<UINT>(std::max(1, GetSystemMetrics(SM_CYSCREEN)));
    }
    return mode;
}

void Registry::EnterFullScreen(UINT adapter, const D3DDISPLAYMODE& mode) {
    std::lock_guard guard(lock);
    LeaveFullScreen(adapter);
    fullScreen_.push_back(
        FullScreen{adapter, mode, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    if (adapter == 0) win32::SetDesktopSize(static_cast<int>(mode.Width), static_cast<int>(mode.Height));
}

void Registry::LeaveFullScreen(UINT adapter) {
    std::lock_guard guard(lock);
    for (auto it = fullScreen_.begin(); it != fullScreen_.end(); ++it) {
        if (it->adapter != adapter) continue;
        if (adapter == 0) win32::SetDesktopSize(it->savedDesktopWidth, it->savedDesktopHeight);
        fullScreen_.erase(it);
        return;
    }
}

HRESULT Registry::CheckFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    if (std::find(rejectedFormats.begin(), rejectedFormats.end(), checkFormat) != rejectedFormats.end())
        return D3DERR_NOTAVAILABLE;
    if (formatCheck) return formatCheck(adapter, type, adapterFormat, usage, resourceType, checkFormat);
    return DefaultFormatCheck(adapter, type, adapterFormat, usage, resourceType, checkFormat);
}

HRESULT Registry::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                  D3DFORMAT backBufferFormat, BOOL windowed) {
    if (deviceTypeCheck) return deviceTypeCheck(adapter, type, adapterFormat, backBufferFormat, windowed);
    const bool display = adapterFormat == D3DFMT_X8R8G8B8 || adapterFormat == D3DFMT_R5G6B5 ||
                         adapterFormat == D3DFMT_X1R5G5B5;
    const bool matches = backBufferFormat == adapterFormat ||
                         (adapterFormat == D3DFMT_X8R8G8B8 && backBufferFormat == D3DFMT_A8R8G8B8) ||
                         (adapterFormat == D3DFMT_X1R5G5B5 && backBufferFormat == D3DFMT_A1R5G5B5);
    return display && matches ? D3D_OK : D3DERR_NOTAVAILABLE;
}

void Registry::FailureSchedule::Set(UINT n, HRESULT failure, UINT times) {
    at = times ? n : 0;
    count = times;
    result = failure;
}

HRESULT Registry::FailureSchedule::Next() {
    if (at == 0) return D3D_OK;
    if (--at > 0) return D3D_OK;
    // This event fails; so do the next count - 1.
    if (--count > 0) at = 1;
    return result;
}

HRESULT Registry::CountCreation() {
    std::lock_guard guard(lock);
    ++creationCount;
    return creationFailures_.Next();
}

void Registry::FailCreationAt(UINT n, HRESULT result, UINT count) {
    std::lock_guard guard(lock);
    creationFailures_.Set(n, result, count);
}

HRESULT Registry::CountBufferLock() {
    std::lock_guard guard(lock);
    return lockFailures_.Next();
}

void Registry::FailBufferLockAt(UINT n, UINT count) {
    std::lock_guard guard(lock);
    lockFailures_.Set(n, D3DERR_INVALIDCALL, count);
}

bool Registry::ChargeTextureMemory(uint64_t bytes) {
    std::lock_guard guard(lock);
    if (usedTextureMemory + bytes > totalTextureMemory) return false;
    usedTextureMemory += bytes;
    return true;
}

void Registry::RefundTextureMemory(uint64_t bytes) {
    std::lock_guard guard(lock);
    usedTextureMemory -= std::min(bytes, usedTextureMemory);
}

void Registry::AddDevice(Device* device) {
    std::lock_guard guard(lock);
    devices.insert(device);
}

void Registry::RemoveDevice(Device* device) {
    std::lock_guard guard(lock);
    devices.erase(device);
}

PixelBuffer& Registry::FrontBuffer() {
    std::lock_guard guard(lock);
    const D3DDISPLAYMODE mode = CurrentDisplayMode(0);
    if (frontBuffer_.width != mode.Width || frontBuffer_.height != mode.Height || frontBuffer_.Empty()) {
        // A new display size starts black; what fits of the old picture stays.
        PixelBuffer resized;
        resized.Allocate(D3DFMT_A8R8G8B8, mode.Width, mode.Height);
        FillColor(resized, RECT{0, 0, static_cast<LONG>(mode.Width), static_cast<LONG>(mode.Height)}, 0xFF000000);
        if (!frontBuffer_.Empty()) {
            const RECT kept{0, 0, static_cast<LONG>(std::min(mode.Width, frontBuffer_.width)),
                            static_cast<LONG>(std::min(mode.Height, frontBuffer_.height))};
            CopyRect(frontBuffer_, kept, resized, POINT{0, 0});
        }
        frontBuffer_ = std::move(resized);
    }
    return frontBuffer_;
}

void Registry::ReportOverRelease(const char* interfaceName) {
    std::lock_guard guard(lock);
    overReleases.emplace_back(interfaceName);
    fprintf(stderr, "[d3d9] %s released more often than referenced\n", interfaceName);
}

void Registry::Retire(ObjectBase* object) {
    std::lock_guard guard(lock);
    retired_.push_back(object);
    while (retired_.size() > kRetiredObjectLimit) {
        delete retired_.front();
        retired_.pop_front();
    }
}

size_t Registry::RetiredCount() {
    std::lock_guard guard(lock);
    return retired_.size();
}

void Registry::FreeRetired() {
    for (ObjectBase* object : retired_) delete object;
    retired_.clear();
}

}  // namespace lumiva::d3d9
