// One software Direct3D device for the whole fuzz process: a device per
// input would dwarf the reading being fuzzed.
#pragma once

#include <d3d9.h>

namespace lumiva::fuzz {

IDirect3DDevice9* FuzzDevice();

}  // namespace lumiva::fuzz
