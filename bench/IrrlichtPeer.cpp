#include "IrrlichtPeer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include <irrlicht.h>

namespace peer3d {

namespace {

using namespace irr;

// The console device writes terminal control codes when it starts and
// stops; they go nowhere so the benchmark's report stays readable.
void WithoutStdout(const std::function<void()>& work) {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int nothing = open("/dev/null", O_WRONLY);
    if (saved >= 0 && nothing >= 0) dup2(nothing, STDOUT_FILENO);
    work();
    std::fflush(stdout);
    if (saved >= 0 && nothing >= 0) dup2(saved, STDOUT_FILENO);
    if (nothing >= 0) close(nothing);
    if (saved >= 0) close(saved);
}

core::matrix4 Matrix(const float m[16]) {
    core::matrix4 out;
    out.setM(m);
    return out;
}

video::SColor Colour(const float rgb[3]) {
    return video::SColor(255, u32(rgb[0] * 255.0f + 0.5f), u32(rgb[1] * 255.0f + 0.5f), u32(rgb[2] * 255.0f + 0.5f));
}

}  // namespace

struct IrrlichtPeer::State {
    IrrlichtDevice* device = nullptr;
    video::IVideoDriver* driver = nullptr;
    video::SMaterial material;
    core::matrix4 view, projection;
    struct Mesh {
        std::vector<video::S3DVertex> vertices;
        std::vector<u16> indices;
        core::matrix4 world;
    };
    std::vector<Mesh> meshes;
};

IrrlichtPeer::IrrlichtPeer() : state_(new State) {}

IrrlichtPeer::~IrrlichtPeer() {
    if (state_->device) WithoutStdout([&] { state_->device->drop(); });
}

bool IrrlichtPeer::Open(const Scene& scene, std::string& why) {
    SIrrlichtCreationParameters parameters;
    parameters.DriverType = video::EDT_BURNINGSVIDEO;
    parameters.DeviceType = EIDT_CONSOLE;
    parameters.WindowSize = core::dimension2d<u32>(kWidth, kHeight);
    parameters.Bits = 32;
    parameters.ZBufferBits = 32;
    parameters.LoggingLevel = ELL_NONE;
    WithoutStdout([&] { state_->device = createDeviceEx(parameters); });
    if (!state_->device) {
        why = "Irrlicht's console device with the burning video driver could not start";
        return false;
    }
    video::IVideoDriver* driver = state_->driver = state_->device->getVideoDriver();
    driver->setTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS, false);
    driver->setTextureCreationFlag(video::ETCF_ALWAYS_32_BIT, true);
    video::IImage* image =
        driver->createImageFromData(video::ECF_A8R8G8B8, core::dimension2d<u32>(kTextureSize, kTextureSize),
                                    const_cast<uint32_t*>(scene.texture.data()), false, false);
    video::ITexture* texture = image ? driver->addTexture("checker", image) : nullptr;
    if (image) image->drop();
    if (!texture) {
        why = "Irrlicht refused the texture";
        return false;
    }

    video::SMaterial& material = state_->material;
    material.MaterialType = video::EMT_SOLID;
    material.Lighting = true;
    material.ColorMaterial = video::ECM_NONE;
    material.DiffuseColor = material.AmbientColor = Colour(scene.material);
    material.Shininess = 0.0f;
    material.UseMipMaps = false;
    material.BackfaceCulling = true;
    material.setTexture(0, texture);
    material.TextureLayer[0].BilinearFilter = true;

    driver->deleteAllDynamicLights();
    video::SLight light;
    light.Type = video::ELT_DIRECTIONAL;
    light.DiffuseColor = video::SColorf(scene.lightDiffuse[0], scene.lightDiffuse[1], scene.lightDiffuse[2]);
    light.AmbientColor = video::SColorf(0.0f, 0.0f, 0.0f);
    light.SpecularColor = video::SColorf(0.0f, 0.0f, 0.0f);
    light.Direction = core::vector3df(scene.lightDirection[0], scene.lightDirection[1], scene.lightDirection[2]);
    driver->addDynamicLight(light);
    driver->setAmbientLight(video::SColorf(scene.ambient[0], scene.ambient[1], scene.ambient[2]));

    state_->view = Matrix(scene.view);
    state_->projection = Matrix(scene.projection);
    for (const Mesh& mesh : scene.meshes) {
        State::Mesh ours;
        for (const Vertex& v : mesh.vertices)
            ours.vertices.emplace_back(v.x, v.y, v.z, v.nx, v.ny, v.nz, video::SColor(255, 255, 255, 255), v.u, v.v);
        ours.indices.assign(mesh.indices.begin(), mesh.indices.end());
        ours.world = Matrix(mesh.world);
        state_->meshes.push_back(std::move(ours));
    }
    return true;
}

void IrrlichtPeer::Draw() {
    video::IVideoDriver* driver = state_->driver;
    driver->beginScene(true, true, video::SColor(kClearColour));
    driver->setTransform(video::ETS_PROJECTION, state_->projection);
    driver->setTransform(video::ETS_VIEW, state_->view);
    for (const State::Mesh& mesh : state_->meshes) {
        driver->setTransform(video::ETS_WORLD, mesh.world);
        driver->setMaterial(state_->material);
        driver->drawIndexedTriangleList(mesh.vertices.data(), u32(mesh.vertices.size()), mesh.indices.data(),
                                        u32(mesh.indices.size() / 3));
    }
}

std::vector<uint32_t> IrrlichtPeer::Frame() {
    std::vector<uint32_t> out;
    video::IImage* shot = state_->driver->createScreenShot();
    if (!shot) return out;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) out.push_back(shot->getPixel(u32(x), u32(y)).color | 0xFF000000u);
    shot->drop();
    return out;
}

}  // namespace peer3d
