// Fixture of the particle, ribbon, light, quad and static-mesh tests: a
// created shell on the software device (800 x 600) inside a scene, the
// manual clock and a scripted random source, and helpers that read what a
// draw recorded and what a buffer holds.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "d3d9/Control.h"
#include "support/ShellFixture.h"
#include "win32/Control.h"

namespace scene_effects_test {

using lumiva::d3d9::RecordedCall;

class SceneEffectsTest : public test_support::ShellFixture {
protected:
    static constexpr uint64_t kStartMs = 100000;

    SceneEffectsTest() : ShellFixture("sceneeffects") {}

    void SetUp() override {
        ShellFixture::SetUp();
        lumiva::win32::InstallManualClock(kStartMs);
        lumiva::win32::InstallScriptedRandom({0});
        MakeCreatedShell();
        Device()->BeginScene();
    }

    void TearDown() override {
        if (m_shell) Device()->EndScene();
        lumiva::d3d9::EnableRecording(false);
        ShellFixture::TearDown();
    }

    static DWORD Now() { return timeGetTime(); }
    static void Advance(uint64_t ms) { lumiva::win32::AdvanceClock(ms); }

    void Record() {
        lumiva::d3d9::ClearRecording();
        lumiva::d3d9::EnableRecording(true);
    }
    static std::vector<RecordedCall> Calls(const std::string& name) {
        return lumiva::d3d9::RecordedCallsNamed(name);
    }
    // Values the recorded calls `call` gave to `state` (render states; for
    // stage and sampler states, those of stage 0).
    static std::vector<DWORD> Sets(const std::string& call, DWORD state) {
        std::vector<DWORD> values;
        const size_t at = call == "SetRenderState" ? 0 : 1;
        for (const RecordedCall& c : Calls(call))
            if (c.args.size() > at + 1 && (at == 0 || c.args[0] == 0) && c.args[at] == state)
                values.push_back(DWORD(c.args[at + 1]));
        return values;
    }

    // Identity world and view under an orthographic projection `width` x
    // `height` units across, depth 0 to 100.
    void OrthoCamera(float width, float height) {
        D3DXMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoLH(&projection, width, height, 0.0f, 100.0f);
        Device()->SetTransform(D3DTS_WORLD, &identity);
        Device()->SetTransform(D3DTS_VIEW, &identity);
        Device()->SetTransform(D3DTS_PROJECTION, &projection);
    }

    void ClearScreen(D3DCOLOR colour) { Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0); }

    // A copy of `count` records of a buffer from its start.
    template <class T, class Buffer>
    static std::vector<T> Read(Buffer* buffer, size_t count, size_t first = 0) {
        std::vector<T> out(count);
        void* bytes = nullptr;
        if (!buffer || FAILED(buffer->Lock(0, 0, &bytes, D3DLOCK_READONLY))) return {};
        std::memcpy(out.data(), static_cast<const T*>(bytes) + first, count * sizeof(T));
        buffer->Unlock();
        return out;
    }

    // The channel of a pixel (0 blue, 8 green, 16 red, 24 alpha).
    static int Channel(D3DCOLOR colour, int shift) { return int(colour >> shift & 0xFF); }
};

}  // namespace scene_effects_test
