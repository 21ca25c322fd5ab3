#include "MaterialFileWriter.h"

#include <cstring>

#include "ByteWriter.h"

namespace mtlfile {
namespace {

constexpr uint32_t kCull = 101;
constexpr uint32_t kBlend = 105;
constexpr uint32_t kStageStates = 1000;
constexpr uint32_t kTexCoord = 1001;
constexpr uint32_t kTexTransform = 1002;

uint32_t Bits(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

void WriteOptions(ByteWriter& out, const std::vector<Option>& options) {
    for (const Option& option : options) {
        out.U32(option.type);
        for (uint32_t w : option.words) out.U32(w);
    }
}

void WriteColour(ByteWriter& out, const float (&colour)[4]) {
    for (float v : colour) out.F32(v);
}

void WriteRecord(ByteWriter& out, const Record& record) {
    WriteColour(out, record.ambient);
    WriteColour(out, record.diffuse);
    WriteColour(out, record.specular);
    WriteColour(out, record.emissive);
    out.F32(record.power);
    out.U32(record.flags);
    out.U32(record.optionCount.value_or(uint32_t(record.options.size())));
    WriteOptions(out, record.options);
    out.U32(record.stageCount.value_or(uint32_t(record.stages.size())));
    for (const Stage& stage : record.stages) {
        out.U32(stage.skipped);
        out.Text(stage.secondName, 20);
        out.Text(stage.textureName, 256);
        out.U32(stage.optionCount.value_or(uint32_t(stage.options.size())));
        WriteOptions(out, stage.options);
    }
}

}  // namespace

Option CullOption(uint32_t cullMode) { return {kCull, {cullMode, 0}}; }

Option BlendOption(uint32_t sourceBlend, uint32_t destinationBlend) {
    return {kBlend, {sourceBlend, destinationBlend, 0, 0}};
}

Option StageStatesOption(uint32_t colorOp, uint32_t colorArg1, uint32_t colorArg2, uint32_t alphaOp,
                         uint32_t alphaArg1, uint32_t alphaArg2, uint32_t textureFactor) {
    Option option{kStageStates, {colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2, textureFactor}};
    option.words.resize(14, 0);
    return option;
}

Option TexCoordOption(uint32_t index) { return {kTexCoord, {index, 0}}; }

Option TexTransformOption(const float scale[3], const float yawPitchRoll[3], const float translation[3]) {
    Option option{kTexTransform, {}};
    for (const float* part : {scale, yawPitchRoll, translation})
        for (int i = 0; i < 3; ++i) option.words.push_back(Bits(part[i]));
    option.words.resize(18, 0);
    return option;
}

std::vector<uint8_t> Write(const File& file) {
    ByteWriter out;
    out.U32(file.tag);
    out.U32(file.skipped);
    out.U32(file.recordCount.value_or(uint32_t(file.records.size())));
    for (const Record& record : file.records) WriteRecord(out, record);
    if (file.trailing) out.U32(0);
    return out.Take();
}

}  // namespace mtlfile
