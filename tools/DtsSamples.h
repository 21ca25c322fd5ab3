// Shape descriptions for tests, fuzz seeds and benchmarks.
#pragma once

#include <cstdint>

#include "DtsWriter.h"

namespace dts {

// A shape that touches every table at the given version:
//   nodes     0 "child" (parent 2, listed before it), 1 "root" with the three
//             children 2 "arm", 3 "leg", 4 "head"; 5 "prop" alone
//   sub-shape 0: nodes 0-4, objects 0-1, decal 0; sub-shape 1: node 5,
//             object 2, no decal
//   objects   0 "body" on node 1: meshes 0 (standard quad strip, material
//             0) and 1 (sorted, a triangle of material 1 "S_glow");
//             1 "skin" on node 2: meshes 2 (skinned, a vertex half on each
//             of two bones) and 3 (standard, parent mesh 0, no material);
//             2 "prop" on node 5: mesh 4 (a fan of material 3 "glass")
//   decal     0 "decal" on object 0: meshes 5 (decal) and 6 (type 9: none)
//   details   0 (sub-shape 0, level 0, size 100), 1 (sub-shape 0, level 1,
//             size 50), 2 (sub-shape 1, level 0, size -1)
//   materials 0 "maps/body" opaque, 1 "S_glow" translucent, 2 "anim.ifl"
//             image list, 3 "glass" with flag bit 25; one image-list
//             material
//   sequences 0 "walk": cyclic, fires triggers, two key frames, uniform
//             scale from 22; 1 "blend": a blend sequence of one key frame
//   triggers  two, both in walk
// Meshes are written from version 16.
Shape SampleShape(uint32_t version);

// One standard mesh object: vertices frames x verticesPerFrame, list
// primitives of material 0, on one node, in one sub-shape and detail.
Shape SingleMeshShape(uint32_t vertices, uint32_t primitives, uint32_t frames = 1);

// An animated tree: node i hangs from node (i - 1) / 2; object k (a quad of
// material 0 "skin") sits on node k x nodes / objects. Sequence 0 "cycle"
// (cyclic, 8 key frames) turns and moves every node and fades every object;
// sequence 1 "blend" (a blend of 4 key frames) turns every other node. At
// most 192 nodes and objects (the size of a sequence set).
Shape AnimatedTreeShape(uint32_t nodes, uint32_t objects);

}  // namespace dts
