// Fixture of the mesh, material, animation and shadow-quad tests: the
// common shell fixture (resets, data root, captured log), a manual clock,
// a 16 x 16 device with a depth buffer handed to the texture manager and
// the device wrapper, and helpers for data files, textures and pixels.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9math.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "d3d9/Control.h"
#include "support/ShellFixture.h"

class KMaterial;

namespace model_test {

constexpr uint64_t kClockStartMs = 100000;
constexpr UINT kTargetSize = 16;

class ModelTest : public test_support::ShellFixture {
protected:
    ModelTest() : ShellFixture("model") {}
    // The clean-up runs here rather than in TearDown: the meshes and
    // material sets of derived fixtures give their textures and buffers
    // back first.
    ~ModelTest() override;
    void SetUp() override;
    void TearDown() override {}

    // A file under the data root by module path ("\model\a.mesh").
    void WriteModuleFile(const std::string& modulePath, const std::vector<uint8_t>& bytes);
    // A DXT5 DDS of width x height (multiples of 4) from 0xAARRGGBB pixels;
    // flat 4 x 4 blocks come back exactly when R5G6B5 holds their colour.
    static std::vector<uint8_t> Dds(const std::vector<uint32_t>& argb, int width, int height);
    static std::vector<uint8_t> FlatDds(uint32_t argb) { return Dds(std::vector<uint32_t>(16, argb), 4, 4); }

    // A material file at `path`, record i drawing stage 0 with texture i
    // (a DDS file, written as "\model\texture\<stem>i.dds") and taking
    // flags i (0 past the list), loaded into `material` on the device.
    void LoadTexturedMaterial(KMaterial& material, const std::string& path, const std::string& stem,
                              const std::vector<std::vector<uint8_t>>& textures, const std::vector<DWORD>& flags);

    // The module's own model-file lines of the log since the last call
    // that name `fileName` (all of them for an empty name).
    std::vector<std::string> LogLinesNaming(const std::string& fileName);

    // Clears target and depth and opens a scene, lighting off.
    void BeginDraw(D3DCOLOR background = 0xFF000000);
    void EndDraw();
    // Pixel (x, y) of the back buffer, 0x00RRGGBB.
    D3DCOLOR Pixel(UINT x, UINT y);
    // Identity world and view; an orthographic projection of x in
    // [left, right] and y in [bottom, top] onto the whole target.
    void UseFlatCamera(float left, float right, float bottom, float top);
    // A pre-transformed quad over the whole target, u and v from 0 to 1,
    // with the stages and states as they are.
    void DrawScreenQuad();
    DWORD RenderState(D3DRENDERSTATETYPE state);
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state);

    IDirect3DDevice9* device = nullptr;
    // What derived fixtures choose before SetUp makes the device: its
    // behaviour flags, and changes to the adapters after the reset.
    DWORD creationFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    virtual void ConfigureAdapters() {}

private:
    IDirect3D9* m_d3d = nullptr;
    HWND m_targetWindow = nullptr;
};

// A way to spoil a file description, named for the test's name.
template <class File>
struct FileRefusal {
    const char* name;
    std::function<void(File&)> spoil;
};
template <class File>
void PrintTo(const FileRefusal<File>& refusal, std::ostream* out) {
    *out << refusal.name;
}
// The case's name as a test name.
template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

// Recorded calls from `from` on whose name is one of `names`, as
// "Name arg0 arg1 ...".
std::vector<std::string> CallsNamed(const std::vector<std::string>& names, size_t from = 0);

}  // namespace model_test
