// The one device registry of the process: what tests injected (adapters,
// format answers, failures, the texture budget), the live devices, the
// front buffer on the virtual desktop, the recorder, and the dead object
// shells kept to catch over-release.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "d3d9/Control.h"
#include "d3d9/PixelBuffer.h"
#include "d3d9/ComObject.h"

namespace lumiva::d3d9 {

class Device;

class Registry {
public:
    static Registry& Get();

    void Reset();

    // --- Machine ---
    std::vector<AdapterConfig> adapters;
    FormatCheck formatCheck;
    DeviceTypeCheck deviceTypeCheck;
    std::vector<D3DFORMAT> rejectedFormats;
    bool direct3DCreateFails = false;
    HRESULT createDeviceResult = D3D_OK;
    HRESULT nextResetFailure = D3D_OK;

    // The adapter's current mode: a full-screen device's mode while one
    // holds the adapter, else the configured mode (the desktop's size when
    // the configuration leaves it 0).
    D3DDISPLAYMODE CurrentDisplayMode(UINT adapter);
    // A full-screen device takes the display (and the virtual desktop's
    // size) until it goes windowed or away.
    void EnterFullScreen(UINT adapter, const D3DDISPLAYMODE& mode);
    void LeaveFullScreen(UINT adapter);

    HRESULT CheckFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                        D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed);

    // --- Creation and lock failures ---
    // Counts one resource creation; returns the failure to report, or D3D_OK.
    HRESULT CountCreation();
    void FailCreationAt(UINT n, HRESULT result, UINT count);
    UINT creationCount = 0;
    // Counts one vertex or index buffer lock the same way.
    HRESULT CountBufferLock();
    void FailBufferLockAt(UINT n, UINT count);

    // --- Texture memory ---
    bool ChargeTextureMemory(uint64_t bytes);
    void RefundTextureMemory(uint64_t bytes);
    uint64_t totalTextureMemory = 0;
    uint64_t usedTextureMemory = 0;

    // --- Devices ---
    void AddDevice(Device* device);
    void RemoveDevice(Device* device);
    std::set<Device*> devices;
    UINT liveResources = 0;

    // --- Front buffer: A8R8G8B8, sized to the current display ---
    PixelBuffer& FrontBuffer();

    // --- Recorder ---
    std::vector<RecordedCall> calls;
    // Draw snapshots: the few latest, for sharing, and how many were made.
    std::deque<std::shared_ptr<const DeviceState>> recentSnapshots;
    size_t snapshotCount = 0;
    void ClearCalls();

    bool noRaster = false;

    // --- Over-release ---
    void ReportOverRelease(const char* interfaceName);
    std::vector<std::string> overReleases;
    void Retire(ObjectBase* object);
    size_t RetiredCount();

    std::recursive_mutex lock;

private:
    Registry();
    void FreeRetired();

    // The nth counted event from now and the count - 1 after it fail.
    struct FailureSchedule {
        UINT at = 0;
        UINT count = 0;
        HRESULT result = D3D_OK;
        void Set(UINT n, HRESULT failure, UINT times);
        HRESULT Next();
    };
    FailureSchedule creationFailures_;
    FailureSchedule lockFailures_;
    PixelBuffer frontBuffer_;
    std::deque<ObjectBase*> retired_;
    struct FullScreen {
        UINT adapter;
        D3DDISPLAYMODE mode;
        int savedDesktopWidth;
        int savedDesktopHeight;
    };
    std::vector<FullScreen> fullScreen_;
};

}  // namespace lumiva::d3d9
