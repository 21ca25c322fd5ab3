// Mesh files: the reader, the build on the fuzz device, the plain draw of
// every subset (a material set without records applies to any), and one
// track of each kind taken onto the mesh at several times. A mesh with
// bones is built and drawn again under caps for every skinning mode, with
// "no raster": the skinning is what is fuzzed, not the rasterizer.
#include "MeshFileWriter.h"
#include "scene/KAnimation.h"
#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "shell/D3DDevice.h"
#include "d3d9/Control.h"
#include "support/FuzzDevice.h"
#include "support/FuzzTarget.h"
#include "support/ModelFiles.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(mesh_file) {
    SeedList seeds;
    meshfile::File plain;
    plain.blocks = {meshfile::GridBlock(3, 2, 3)};
    seeds.push_back({"plain", meshfile::Write(plain)});
    meshfile::File skinned;
    skinned.blocks = {meshfile::SkinnedBlock(meshfile::GridBlock(2, 2), 3, 2)};
    skinned.blocks[0].bones[1].nameList = {"a", "b"};
    seeds.push_back({"skinned", meshfile::Write(skinned)});
    meshfile::File two;
    two.blocks = {skinned.blocks[0], plain.blocks[0]};
    seeds.push_back({"two-blocks", meshfile::Write(two)});
    meshfile::File gaps = plain;
    gaps.blocks[0].layout[meshfile::kColours].omit = true;
    gaps.blocks[0].layout[meshfile::kNormals].gapBefore = 12;
    seeds.push_back({"gaps", meshfile::Write(gaps)});
    meshfile::File blended;
    blended.blocks = {meshfile::BlendedSkinBlock(meshfile::GridBlock(3, 3, 2), 5, 0, 1)};
    seeds.push_back({"blended-skin", meshfile::Write(blended)});
    meshfile::File fourWeights;
    fourWeights.blocks = {meshfile::BlendedSkinBlock(meshfile::GridBlock(4, 2), 16, 4)};
    seeds.push_back({"four-weights", meshfile::Write(fourWeights)});
    meshfile::File boneless;
    boneless.blocks = {meshfile::SkinnedBlock(meshfile::GridBlock(2, 1), 0, 0)};
    seeds.push_back({"boneless-skeleton", meshfile::Write(boneless)});
    const Bytes whole = meshfile::Write(skinned);
    seeds.push_back({"cut", Truncated(whole, whole.size() - 40)});
    return seeds;
}

namespace {

// Draws, animates and draws again; false when the file does not load.
bool LoadAndDraw(KAnimation& animation) {
    KMesh mesh;
    mesh.SetDevice(FuzzDevice());
    if (mesh.Load("fuzz.mesh") != 0) return false;
    KMaterial anyMaterial;
    anyMaterial.SetDevice(FuzzDevice());
    BeginModelScene();
    mesh.Render(&anyMaterial, 1.0f, nullptr, 0);
    for (int track = 0; track < int(animation.trackCount); ++track)
        for (float time : {-50.0f, 150.0f}) mesh.ApplyAnimation(&animation, track, kPlayLoop, time);
    mesh.Render(&anyMaterial, 0.5f, nullptr, 1);
    mesh.Render(nullptr, 1.0f, nullptr, 0);
    EndModelScene();
    mesh.FindBoneIndex("bone0");
    return (mesh.flags & kMeshHasSkeleton) && mesh.boneCount > 0;
}

}  // namespace

LUMIVA_FUZZ_TARGET(mesh_file, data, size) {
    PrepareModelDevice();
    lumiva::d3d9::SetNoRaster(true);
    KAnimation& animation = SmallAnimation();
    ServeFile("fuzz.mesh", data, size);
    for (const D3DCAPS9& caps : SkinningCapsSet()) {
        g_D3DDevice.caps = caps;
        if (!LoadAndDraw(animation)) return;
    }
}
