#include "gdiplus/GdiplusRuntime.h"

#include <mutex>
#include <set>

#include "gdiplus/Control.h"

namespace lumiva::gdiplus {
namespace {

struct Runtime {
    std::mutex lock;
    std::set<ULONG_PTR> tokens;
    ULONG_PTR nextToken = 0x6D1E0000;
};

Runtime& State() {
    static Runtime* runtime = new Runtime;  // outlives static destructors
    return *runtime;
}

Gdiplus::Status WINAPI HookNotification(ULONG_PTR* token) {
    if (token) *token = 0;
    return Gdiplus::Ok;
}

VOID WINAPI UnhookNotification(ULONG_PTR) {}

}  // namespace

bool IsStarted() {
    Runtime& runtime = State();
    std::lock_guard<std::mutex> hold(runtime.lock);
    return !runtime.tokens.empty();
}

void ResetStartupForTests() {
    Runtime& runtime = State();
    std::lock_guard<std::mutex> hold(runtime.lock);
    runtime.tokens.clear();
}

}  // namespace lumiva::gdiplus

namespace Gdiplus {

extern "C" Status WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                                        GdiplusStartupOutput* output) {
    if (!token || !input) return InvalidParameter;
    if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3) return UnsupportedGdiplusVersion;
    // Without the background thread the caller must take the hooks.
    if (input->SuppressBackgroundThread && !output) return InvalidParameter;
    if (output) {
        output->NotificationHook = lumiva::gdiplus::HookNotification;
        output->NotificationUnhook = lumiva::gdiplus::UnhookNotification;
    }
    lumiva::gdiplus::Runtime& runtime = lumiva::gdiplus::State();
    std::lock_guard<std::mutex> hold(runtime.lock);
    runtime.nextToken += 4;
    runtime.tokens.insert(runtime.nextToken);
    *token = runtime.nextToken;
    return Ok;
}

extern "C" VOID WINAPI GdiplusShutdown(ULONG_PTR token) {
    lumiva::gdiplus::Runtime& runtime = lumiva::gdiplus::State();
    std::lock_guard<std::mutex> hold(runtime.lock);
    runtime.tokens.erase(token);
}

}  // namespace Gdiplus
