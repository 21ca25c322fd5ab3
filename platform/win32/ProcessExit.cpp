// Every process-ending path of module code passes through one hook, so
// tests observe the exit code instead of losing the process.
#include "ProcessExit.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "win32/Control.h"

namespace lumiva::win32 {
namespace {

struct FatalHookHolder {
    std::mutex lock;
    FatalHook hook;
};

FatalHookHolder& Holder() {
    static auto* holder = new FatalHookHolder;
    return *holder;
}

void EndProcess(UINT exitCode, ExitKind kind) {
    if (kind == ExitKind::RunExitList) std::exit(int(exitCode));
    std::fflush(stderr);
    _exit(int(exitCode));
}

void Leave(UINT exitCode, ExitKind kind) {
    FatalHook hook;
    {
        FatalHookHolder& h = Holder();
        std::lock_guard lock(h.lock);
        hook = h.hook;
    }
    if (hook)
        hook(exitCode, kind);
    else
        EndProcess(exitCode, kind);
}

}  // namespace

namespace detail {

void ResetFatalHook() { SetFatalHook(nullptr); }

}  // namespace detail

void SetFatalHook(FatalHook hook) {
    FatalHookHolder& h = Holder();
    std::lock_guard lock(h.lock);
    h.hook = std::move(hook);
}

}  // namespace lumiva::win32

void ExitProcess(UINT exitCode) { lumiva::win32::Leave(exitCode, lumiva::win32::ExitKind::RunExitList); }

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
    if (process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    lumiva::win32::Leave(exitCode, lumiva::win32::ExitKind::Immediate);
    return TRUE;
}
