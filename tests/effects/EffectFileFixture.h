// Fixture of the effect-file, key-track, effect-set and geometry tests: the
// common shell fixture in an "effectfile" scratch root, element serial ids
// from 1, the effect-set cache empty, no injected save failures, and a
// recording stand-in for the model handle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "A3eWriter.h"
#include "effects/ElementModelSeam.h"
#include "effects/K3DEffectSet.h"
#include "scene/KModelProxy.h"
#include "support/ShellFixture.h"

namespace effect_file_test {

// Model handles made up for the effect elements: each Create hands out a
// new address, and every handle call is noted as "Name arg".
class FakeModels final : public element_model::IElementModelDouble {
public:
    KModelProxy* Create() override;
    void Release(KModelProxy* model) override;
    HRESULT SetMesh(KModelProxy* model, const char* name) override;
    HRESULT InitMesh(KModelProxy* model, const char* name) override;
    HRESULT SetMaterial(KModelProxy* model, const char* name) override;
    HRESULT InitMaterial(KModelProxy* model, const char* name) override;
    void PlayAnimation(KModelProxy* model, const char* name, DWORD unused, int mode) override;
    bool GetBounds(KModelProxy* model, D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) override;

    // Handles made and not yet released.
    int Live() const { return int(made - released); }

    bool createFails = false;
    HRESULT meshResult = S_OK;
    HRESULT materialResult = S_OK;
    bool hasBounds = true;
    D3DXVECTOR3 boundsMin{-1.0f, 0.0f, -2.0f};
    D3DXVECTOR3 boundsMax{1.0f, 3.0f, 2.0f};
    std::vector<std::string> calls;
    // The animation name pointer the last PlayAnimation kept.
    const char* playedName = nullptr;
    size_t made = 0;
    size_t released = 0;

private:
    // Real handles without a model: a model record drawn with one skips it.
    KModelProxy m_handles[64];
};

class EffectFileTest : public test_support::ShellFixture {
protected:
    EffectFileTest() : ShellFixture("effectfile") {}
    void SetUp() override;
    void TearDown() override;

    // Writes the file under the data root ("fx/a.a3e").
    void WriteEffect(const std::string& relative, const a3e::File& file) {
        WriteDataFile(relative, a3e::WriteA3e(file));
    }
    // A fresh set loaded from the module path; the load's result in *result.
    static std::unique_ptr<K3DEffectSet> Load(const char* name, int* result = nullptr);
    // A w x h one-frame-or-more sprite whose frames last `intervalMs`.
    void WriteSprite(const std::string& relative, int frames, uint16_t intervalMs);
    // Uses FakeModels for the model handle.
    void UseFakeModels() { element_model::SetDoubleForTests(&models); }

    FakeModels models;
};

// A writer element of the type with a name and the given dimensions.
a3e::Element WriterElement(uint8_t type, const std::string& name = "e", float d1 = 0, float d2 = 0, float d3 = 0);
// A file with one element per type given, each with empty tracks.
a3e::File FileOfTypes(const std::vector<uint8_t>& types, uint32_t version = 6);
// Key tracks with a key or two in every track.
a3e::Tracks BusyTracks(int32_t shift = 0);

}  // namespace effect_file_test
