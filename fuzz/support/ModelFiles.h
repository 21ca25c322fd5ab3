// What the mesh, material and animation targets share: the texture manager
// on the fuzz device, a scene to draw in, and small meshes and animations
// made by the writers.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

class KAnimation;
class KMesh;

namespace lumiva::fuzz {

// The texture manager and the device wrapper (caps, creation flags and
// skinning shaders) on the fuzz device, once.
void PrepareModelDevice();
// Caps that give each skinning mode on the fuzz device: the shaders,
// indexed blending, blending, and blending of two matrices with a software
// pass. The device wrapper holds the device's own caps until a target
// writes one of these.
const std::vector<D3DCAPS9>& SkinningCapsSet();
// Opens a scene on the fuzz device for the draws of one input.
void BeginModelScene();
// Closes it and lets go of what the draws bound.
void EndModelScene();
// Lets go of the buffers and textures bound to the fuzz device.
void UnbindModelDevice();

// Built on the fuzz device once, from the writers' samples: a plain 2 x 2
// grid and the same grid with three bones and two dummies.
KMesh& SmallPlainMesh();
KMesh& SmallSkinnedMesh();
// One track of each kind over those meshes: skeletal (bones 0 to 2 and one
// the meshes lack), vertex positions and vertex offsets.
KAnimation& SmallAnimation();
// Every mode, and times before, inside and far past the keys.
const std::vector<float>& ProbeTimes();

}  // namespace lumiva::fuzz
