// Helpers of the shape tests: reading writer bytes into a shape with the
// log captured, and set members as vectors.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DebugLog.h"
#include "DtsSamples.h"
#include "DtsWriter.h"
#include "basrel/BasrelReset.h"
#include "shape/KShape.h"
#include "shape/ShapeDrawParams.h"

namespace shapetest {

// Log lines go to memory only; the draw parameters start fresh.
class ShapeTest : public ::testing::Test {
protected:
    void SetUp() override {
        BasrelResetForTests();
        basrel::SetDebugLogToFile(false);
        basrel::StartDebugLogCapture();
        ResetShapeDrawParams();
    }
    void TearDown() override {
        ResetShapeDrawParams();
        basrel::ResetDebugLog();
    }

    bool Read(const std::vector<uint8_t>& bytes, KShape& shape) {
        return ReadShape(bytes.data(), bytes.size(), &shape);
    }
    bool Read(const dts::Shape& description, KShape& shape) { return Read(dts::WriteDts(description), shape); }
    // The refusal line of the last failed read ("" when none).
    std::string RefusalLine() {
        std::string last;
        for (const std::string& line : basrel::TakeCapturedLog())
            if (line.rfind("[Shape]ReadShape: ", 0) == 0) last = line.substr(18);
        return last;
    }
};

// count node matrices, each the identity (node form).
inline std::vector<float> IdentityNodeMatrices(uint32_t count) {
    std::vector<float> nodes(size_t(count) * 16, 0.0f);
    for (uint32_t n = 0; n < count; ++n)
        for (int d = 0; d < 4; ++d) nodes[n * 16 + d * 5] = 1.0f;
    return nodes;
}

inline std::vector<uint32_t> Members(const KIntegerSet& set) {
    std::vector<uint32_t> out;
    for (uint32_t i = set.First(); i < KIntegerSet::kMembers; set.Next(i)) out.push_back(i);
    return out;
}

}  // namespace shapetest
