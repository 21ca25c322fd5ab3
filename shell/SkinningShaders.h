// The four vs.1.1 skinning programs, for 1 to 4 bone influences.
//
// Register contract shared with the skinned-mesh drawer:
//   v0 position, v1 blend weights (absent for one influence),
//   v2 blend indices as a D3DCOLOR read in the order z, y, x, w, v3 texcoord 0;
//   c0 = (1, 0, 0, 765.01), c1..c4 view-projection, c5 onward the bone
//   palette, three registers (a 4x3 matrix) per bone. An index byte of 1/255
//   times 765.01 addresses register offset 3.
#pragma once

constexpr int kSkinningShaderCount = 4;
constexpr float kBoneIndexScale = 765.01f;
constexpr int kBonePaletteFirstRegister = 5;
constexpr int kRegistersPerBone = 3;
constexpr int kViewProjectionFirstRegister = 1;

// Source text for `influences` = 1..4; null otherwise.
const char* SkinningShaderSource(int influences);
