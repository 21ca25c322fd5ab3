// D3DX calls report running out of memory as a result, never by throwing
// through the platform's C-style interface.
#pragma once

#include <new>

#include "windows.h"

namespace d3dx {

template <typename Body>
HRESULT GuardAllocation(Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace d3dx
