// Material files: the reader (with its stage-0 textures from the texture
// manager), the textures made ahead, and every record applied and restored
// on the fuzz device, with an overlay name that finds no picture.
#include "MaterialFileWriter.h"
#include "scene/KMaterial.h"
#include "support/FuzzDevice.h"
#include "support/FuzzTarget.h"
#include "support/ModelFiles.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(material_file) {
    SeedList seeds;
    const float scale[3] = {2, 1, 1}, turn[3] = {0.5f, 0, 0}, move[3] = {0.25f, 0, 0};
    mtlfile::Record every;
    every.options = {mtlfile::CullOption(1), mtlfile::BlendOption(2, 2)};
    mtlfile::Stage stage0;
    stage0.textureName = "art\\skin.dds";
    stage0.options = {mtlfile::StageStatesOption(4, 2, 0, 4, 2, 0, 0xFF808080), mtlfile::TexCoordOption(0)};
    mtlfile::Stage stage1;
    stage1.textureName = "art\\glow.dds";
    stage1.options = {mtlfile::TexTransformOption(scale, turn, move)};
    every.stages = {stage0, stage1, mtlfile::Stage{}};
    mtlfile::Record hidden;
    hidden.flags = 1;
    mtlfile::File file;
    file.records = {every, hidden, mtlfile::Record{}};
    const Bytes whole = mtlfile::Write(file);
    seeds.push_back({"every-option", whole});
    seeds.push_back({"cut", Truncated(whole, whole.size() / 2)});
    mtlfile::File empty;
    seeds.push_back({"no-records", mtlfile::Write(empty)});
    return seeds;
}

LUMIVA_FUZZ_TARGET(material_file, data, size) {
    PrepareModelDevice();
    ServeFile("model\\fuzz.mtl", data, size);
    KMaterial material;
    material.SetDevice(FuzzDevice());
    if (material.Load("model\\fuzz.mtl") != 0) return;
    material.PrepareTextures();
    material.overlayName = "model\\none.spr";
    for (DWORD i = 0; i <= material.recordCount; ++i) {
        material.Apply(0xFF808080, i, i % 2 ? 0.5f : 1.0f, BYTE(i % 3 == 0));
        material.Restore(i);
    }
    material.SetValueAll(1);
    UnbindModelDevice();
}
