#include "SceneSampleData.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "A3eWriter.h"
#include "AnimationFileWriter.h"
#include "BeamIniWriter.h"
#include "BindEffectIniWriter.h"
#include "DtsSamples.h"
#include "DtsWriter.h"
#include "DxtBlocks.h"
#include "SprWriter.h"
#include "JpegWriter.h"
#include "MapGenerator.h"
#include "MapWriter.h"
#include "MaterialFileWriter.h"
#include "MeshFileWriter.h"
#include "PlaceOverlayWriter.h"

namespace scene_data {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kHipHeight = 40.0f;

// A 4 x 4 DDS of one colour: enough for a flat-shaded part.
std::vector<uint8_t> FlatDds(uint32_t argb) {
    std::vector<uint8_t> file = MakeDxt5DdsHeader(4, 4);
    const std::vector<uint32_t> pixels(16, argb);
    const std::vector<uint8_t> blocks = EncodeDxt5(pixels.data(), 4, 4);
    file.insert(file.end(), blocks.begin(), blocks.end());
    return file;
}

// --- Figures: a body on two legs, three bones, two subsets ---

struct Box {
    float x0, y0, z0, x1, y1, z1;
    uint32_t bone;
    uint32_t subset;
};

void AddBox(meshfile::Block& block, std::vector<meshfile::Bone>& bones, const Box& b) {
    // Each face has its own four corners, so normals stay flat.
    const float corners[6][4][3] = {
        {{b.x0, b.y0, b.z0}, {b.x0, b.y1, b.z0}, {b.x1, b.y1, b.z0}, {b.x1, b.y0, b.z0}},  // front (-z)
        {{b.x1, b.y0, b.z1}, {b.x1, b.y1, b.z1}, {b.x0, b.y1, b.z1}, {b.x0, b.y0, b.z1}},  // back
        {{b.x0, b.y0, b.z1}, {b.x0, b.y1, b.z1}, {b.x0, b.y1, b.z0}, {b.x0, b.y0, b.z0}},  // left
        {{b.x1, b.y0, b.z0}, {b.x1, b.y1, b.z0}, {b.x1, b.y1, b.z1}, {b.x1, b.y0, b.z1}},  // right
        {{b.x0, b.y1, b.z0}, {b.x0, b.y1, b.z1}, {b.x1, b.y1, b.z1}, {b.x1, b.y1, b.z0}},  // top
        {{b.x0, b.y0, b.z1}, {b.x0, b.y0, b.z0}, {b.x1, b.y0, b.z0}, {b.x1, b.y0, b.z1}},  // bottom
    };
    const float normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int face = 0; face < 6; ++face) {
        const uint32_t first = uint32_t(block.positions.size() / 3);
        for (int corner = 0; corner < 4; ++corner) {
            for (int axis = 0; axis < 3; ++axis) {
                block.positions.push_back(corners[face][corner][axis]);
                block.normals.push_back(normals[face][axis]);
            }
            block.textures[0].insert(block.textures[0].end(), {uv[corner][0], uv[corner][1], 0.0f});
            bones[b.bone].vertices.push_back(first + uint32_t(corner));
            bones[b.bone].weights.push_back(1.0f);
        }
        block.faces.insert(block.faces.end(), {first, first + 1, first + 2, first, first + 2, first + 3});
        block.attributes.insert(block.attributes.end(), {b.subset, b.subset});
    }
}

const char* const kBoneNames[3] = {"body", "leg_l", "leg_r"};

meshfile::File FigureMesh() {
    meshfile::Block block;
    block.subsetCount = 2;
    block.skinned = 1;
    std::vector<meshfile::Bone> bones(3);
    for (size_t i = 0; i < bones.size(); ++i) bones[i].name = kBoneNames[i];
    AddBox(block, bones, {-16, kHipHeight, -9, 16, 80, 9, 0, 0});          // trunk
    AddBox(block, bones, {-10, 80, -8, 10, kFigureHeight, 8, 0, 0});       // head
    AddBox(block, bones, {-14, 0, -6, -3, kHipHeight, 6, 1, 1});           // left leg
    AddBox(block, bones, {3, 0, -6, 14, kHipHeight, 6, 2, 1});             // right leg
    block.bones = bones;
    // A hand on the body's right, and the two ends of a blade held up from
    // it, which a weapon trail follows.
    auto dummy = [](const char* name, float x, float y) {
        meshfile::Dummy d;
        d.name = name;
        d.boneName = "body";
        d.matrix[12] = x;  // the translation row
        d.matrix[13] = y;
        return d;
    };
    block.dummies = {dummy("hand", 20.0f, 62.0f), dummy("BL1", 22.0f, 70.0f), dummy("BL2", 30.0f, 120.0f)};
    meshfile::File file;
    file.blocks = {block};
    return file;
}

// Row-vector matrices: a turn of `angle` about the x axis through the hip.
animfile::Matrix LegSwing(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    animfile::Matrix m = animfile::Translation(0, 0, 0);
    m[5] = c, m[6] = s, m[9] = -s, m[10] = c;
    m[13] = kHipHeight - kHipHeight * c;
    m[14] = -kHipHeight * s;
    return m;
}

animfile::File FigureAnimation(bool walking) {
    animfile::Track track;
    track.name = walking ? "walk" : "idle";
    track.frameCount = walking ? 8 : 4;
    track.interval = walking ? 90.0f : 300.0f;
    track.boneNames = {kBoneNames[0], kBoneNames[1], kBoneNames[2]};
    std::vector<animfile::Matrix> body, left, right;
    for (uint32_t f = 0; f < track.frameCount; ++f) {
        const float phase = 2.0f * kPi * float(f) / float(track.frameCount);
        if (walking) {
            body.push_back(animfile::Translation(0, 3.0f * std::fabs(std::sin(phase)), 0));
            left.push_back(LegSwing(0.6f * std::sin(phase)));
            right.push_back(LegSwing(-0.6f * std::sin(phase)));
        } else {
            body.push_back(animfile::Translation(0, 1.5f + 1.5f * std::sin(phase), 0));
            left.push_back(LegSwing(0));
            right.push_back(LegSwing(0));
        }
    }
    for (const auto* bone : {&body, &left, &right}) track.matrices.insert(track.matrices.end(), bone->begin(), bone->end());
    animfile::File file;
    file.tracks = {track};
    return file;
}

bool WriteFigure(const std::string& root, const std::string& folder, uint32_t bodyColour, uint32_t legColour) {
    const std::string name = folder.substr(folder.rfind('\\') + 1);
    bool ok = WriteDataFile(root, folder + "\\" + name + ".mesh", meshfile::Write(FigureMesh()));
    mtlfile::File material;
    const char* const textures[2] = {"body", "legs"};
    for (const char* texture : textures) {
        mtlfile::Stage stage;
        stage.textureName = std::string("art\\") + texture + ".dds";
        mtlfile::Record record;
        record.stages = {stage};
        material.records.push_back(record);
    }
    ok &= WriteDataFile(root, folder + "\\" + name + ".mtl", mtlfile::Write(material));
    ok &= WriteDataFile(root, folder + "\\texture\\body.dds", FlatDds(bodyColour));
    ok &= WriteDataFile(root, folder + "\\texture\\legs.dds", FlatDds(legColour));
    ok &= WriteDataFile(root, folder + "\\walk.anim", animfile::Write(FigureAnimation(true)));
    ok &= WriteDataFile(root, folder + "\\idle.anim", animfile::Write(FigureAnimation(false)));
    return ok;
}

// --- Effects ---

a3e::Tracks GrowingFade(uint32_t colour, float from, float to, int duration) {
    a3e::Tracks tracks;
    tracks.color = {{colour, 0}, {colour & 0x00FFFFFFu, duration}};
    tracks.scale = {{{from, from, from}, 0}, {{to, to, to}, duration}};
    tracks.visible = {{1, 0}};
    return tracks;
}

a3e::Element EffectElement(uint8_t type, const char* name, float size, int32_t segments) {
    a3e::Element element;
    element.type = type;
    element.name = name;
    element.dimension = {size, size, size};
    element.segments = {segments, segments};
    return element;
}

// A burst of four upright quads turning outwards, a ground ring and a dome.
a3e::File BurstEffect() {
    a3e::File file;
    file.duration = 1200;
    file.spinSpeed = 2.0f;
    file.additive = 1;
    for (int i = 0; i < 4; ++i) {
        a3e::Element quad = EffectElement(2, "spark", 24.0f, 1);
        quad.pivot = {std::cos(float(i) * kPi / 2) * 30.0f, 0, std::sin(float(i) * kPi / 2) * 30.0f};
        file.elements.push_back(quad);
        a3e::Tracks tracks = GrowingFade(0xFFFFC040u, 0.5f, 2.0f, 1200);
        tracks.rotation = {{0.0f, 0}, {kPi, 1200}};
        file.tracks.push_back(tracks);
    }
    return file;
}

a3e::File RingEffect() {
    a3e::File file;
    file.duration = 1500;
    file.additive = 1;
    file.elements = {EffectElement(4, "ring", 60.0f, 24)};
    file.tracks = {GrowingFade(0xFF40C0FFu, 0.4f, 1.6f, 1500)};
    return file;
}

a3e::File DomeEffect() {
    a3e::File file;
    file.duration = 2000;
    file.elements = {EffectElement(3, "dome", 50.0f, 12)};
    file.tracks = {GrowingFade(0xC060FF80u, 0.8f, 1.2f, 2000)};
    return file;
}

// A small glow that pulses at the hand: a camera-facing quad.
a3e::File HandEffect() {
    a3e::File file;
    file.duration = 600;
    file.additive = 1;
    file.elements = {EffectElement(5, "glow", 18.0f, 1)};
    a3e::Tracks tracks = GrowingFade(0xFFFFF080u, 0.6f, 1.4f, 600);
    file.tracks = {tracks};
    return file;
}

bool WriteEffects(const std::string& root) {
    bool ok = WriteDataFile(root, kBurstEffect, a3e::WriteA3e(BurstEffect()));
    ok &= WriteDataFile(root, kRingEffect, a3e::WriteA3e(RingEffect()));
    ok &= WriteDataFile(root, kDomeEffect, a3e::WriteA3e(DomeEffect()));
    beamini::Lightning bolt;
    bolt.textureName = "\\effect\\bolt.dds";
    bolt.width = 12.0f;
    bolt.segLength = 24.0f;
    bolt.liveTime = 120;
    bolt.lineLiveTime = 100000000;
    ok &= WriteDataText(root, kLightning, beamini::WriteLightning(bolt));
    ok &= WriteDataFile(root, "\\effect\\bolt.dds", FlatDds(0xFFC0E0FFu));
    beamini::ChannelMagic beam;
    beam.texturePath = "\\effect\\beam.dds";
    beam.width = 8.0f;
    beam.shake = 6.0f;
    beam.segment = 12;
    beam.refreshTime = 1;
    ok &= WriteDataText(root, kBeam, beamini::WriteChannelMagic(beam));
    ok &= WriteDataFile(root, "\\effect\\beam.dds", FlatDds(0xFFC090FFu));
    ok &= WriteDataFile(root, kRibbonTexture, FlatDds(0xFF50D0FFu));
    ok &= WriteDataFile(root, kHandEffect, a3e::WriteA3e(HandEffect()));
    bindini::TrailSettings blade;
    blade.liveTime = 400;
    blade.maxQueueElemNum = 48;
    blade.colour1 = {200, 255, 240, 120};
    blade.colour2 = {0, 255, 120, 40};
    blade.spreadFactor = 0.5f;
    // Trail textures are looked up by the file part of a path among the
    // common portraits; a bare name (no folder) names no texture.
    blade.textureName = "\\model\\walker\\blade.dds";
    ok &= WriteDataText(root, kWeaponTrail, bindini::WriteTrailSettings(blade));
    ok &= WriteDataFile(root, "\\portrait\\common\\blade.dds", FlatDds(0xFFFFFFFFu));
    bindini::BindEffectFile walking;
    walking.useBladeLight = 1;
    bindini::BindEffect glow;
    glow.path = "\\effect\\";
    glow.name = "hand.a3e";
    glow.socket = kHandSocket;
    walking.effects = {glow};
    ok &= WriteDataText(root, "\\model\\walker\\walking.bind", bindini::WriteBindEffectFile(walking));
    bindini::EffectList list;
    list.paths = {"\\model\\walker\\walking.bind"};
    ok &= WriteDataText(root, kWalkerEffects, bindini::WriteEffectList(list));
    return ok;
}

// --- The map ---

// The mini-map picture: one pixel for 16 x 32 world units, a tint per
// region so the regions show.
std::vector<uint8_t> MiniMapPixels(int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int rx = x * 16 / kRegionWidth, ry = y * 32 / kRegionHeight;
            const bool border = x * 16 % kRegionWidth < 16 || y * 32 % kRegionHeight < 32;
            uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = uint8_t(border ? 200 : 40 + rx * 20);
            p[1] = uint8_t(border ? 200 : 90 + (rx + ry) % 3 * 30);
            p[2] = uint8_t(border ? 160 : 40 + ry * 20);
        }
    }
    return rgb;
}

// A frame of clear pixels to paint into.
SprPixels ClearPixels(uint16_t width, uint16_t height) {
    SprPixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.argb.resize(size_t(width) * height);
    return pixels;
}

bool InGroundGap(int x, int y) {
    const double dx = double(x - kGroundGap.centreX) / kGroundGap.radiusX,
                 dy = double(y - kGroundGap.centreY) / kGroundGap.radiusY;
    return dx * dx + dy * dy <= 1.0;
}

// The ground picture of a region, its tile 0 drawn under the others: a
// meadow tinted by the region, with a lighter seam along its edges, so a
// region coming into view shows, and a gap where the sky and the clouds
// below the ground show through. A sprite, as every ground tile is.
SprPixels RegionGroundPixels(int rx, int ry, int side) {
    SprPixels pixels = ClearPixels(uint16_t(side), uint16_t(side));
    const uint32_t tint = RegionGroundTint(rx, ry);
    const int tintR = int(tint >> 16 & 0xFF), tintG = int(tint >> 8 & 0xFF), tintB = int(tint & 0xFF);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (InGroundGap(x, y)) continue;
            const bool seam = x < 6 || y < 6 || x >= side - 6 || y >= side - 6;
            // Few distinct steps: the sprite's palette holds 256 colours.
            const int ripple = 4 * int(3.0 * std::sin(x * 0.07) * std::sin(y * 0.05));
            const uint32_t r = uint32_t(seam ? 200 : tintR + ripple), g = uint32_t(seam ? 200 : tintG + ripple),
                           b = uint32_t(seam ? 170 : tintB + ripple);
            pixels.argb[size_t(y) * size_t(side) + size_t(x)] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    }
    return pixels;
}

// A blob of `colour` filling an ellipse of the frame, less `shrink` pixels
// across (half that down).
SprPixels Blob(uint16_t width, uint16_t height, uint32_t colour, int shrink) {
    SprPixels pixels = ClearPixels(width, height);
    const double rx = width / 2.0 - shrink, ry = height / 2.0 - shrink / 2.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - width / 2.0) / rx, dy = (y + 0.5 - height / 2.0) / ry;
            if (dx * dx + dy * dy <= 1.0) pixels.argb[size_t(y) * width + size_t(x)] = colour;
        }
    return pixels;
}

// A standing stone: a grey pillar with a dark cap, its band colour by `n`.
SprPixels Pillar(uint16_t width, uint16_t height, int n, int frame) {
    SprPixels pixels = ClearPixels(width, height);
    const uint32_t band = 0xFF000000u | uint32_t(0x40 + n * 4 % 0xA0) << 16 | uint32_t(0x60 + frame * 0x20) << 8 | 0x50;
    for (int y = 0; y < height; ++y)
        for (int x = 8; x < width - 8; ++x) {
            uint32_t colour = (x < 14 || x >= width - 14) ? 0xFF707078u : 0xFF9898A0u;
            if (y < 8) colour = 0xFF404048u;
            if (y >= height / 3 && y < height / 3 + 8) colour = band;
            pixels.argb[size_t(y) * width + size_t(x)] = colour;
        }
    return pixels;
}

bool WriteSprite(const std::string& root, const std::string& path, uint16_t width, uint16_t height,
                 const std::vector<SprPixels>& frames) {
    SprSpriteInfo info;
    info.width = width;
    info.height = height;
    info.centerX = uint16_t(width / 2);
    info.centerY = height;
    info.word16 = uint16_t(frames.size());
    return WriteDataFile(root, path, WriteSpr(info, frames));
}

// The pictures the generated regions name: each region's own ground, 25
// tile pictures of three frames, 12 ground-record pictures and 40 object
// pictures of four frames.
bool WriteMapPictures(const std::string& root, const GeneratedMapFields& map) {
    bool ok = true;
    constexpr int kGroundSide = 512;
    for (int ry = map.top; ry < map.top + map.height; ++ry)
        for (int rx = map.left; rx < map.left + map.width; ++rx)
            ok &= WriteSprite(root, GeneratedRegionName(map, rx, ry), kGroundSide, kGroundSide,
                              {RegionGroundPixels(rx, ry, kGroundSide)});
    const std::string folder = map.folder + "\\";
    for (int n = 0; n < 25; ++n) {
        const uint32_t colour = 0xFF000000u | uint32_t(0x30 + n * 2) << 16 | uint32_t(0x70 + n * 2) << 8 | 0x28;
        ok &= WriteSprite(root, folder + "tile_" + std::to_string(n) + ".spr", 32, 16,
                          {Blob(32, 16, colour, 0), Blob(32, 16, colour, 2), Blob(32, 16, colour, 4)});
    }
    for (int n = 0; n < 12; ++n) {
        const uint32_t colour = 0xFF000000u | uint32_t(0x70 + n * 3) << 16 | uint32_t(0x58 + n * 2) << 8 | 0x38;
        ok &= WriteSprite(root, folder + "ground_" + std::to_string(n) + ".spr", 128, 64, {Blob(128, 64, colour, 0)});
    }
    for (int n = 0; n < 40; ++n) {
        std::vector<SprPixels> frames;
        for (int f = 0; f < 4; ++f) frames.push_back(Pillar(64, 96, n, f));
        ok &= WriteSprite(root, folder + "object_" + std::to_string(n) + ".spr", 64, 96, frames);
    }
    return ok;
}

// A dusk sky behind the map that scrolls slower than the ground.
std::vector<uint8_t> SkyPixels(int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = double(y) / height, glow = 0.5 + 0.5 * std::sin(x * 0.01);
            uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = uint8_t(30 + 150 * t * glow);
            p[1] = uint8_t(30 + 60 * t);
            p[2] = uint8_t(90 + 60 * (1.0 - t));
        }
    return rgb;
}

// The map's scroll layers over its whole area: the sky (type 1), leaves
// falling across the screen (type 2) and clouds drifting with the ground
// (type 3). The place paints the sky and the clouds under the ground.
bool WriteScrollLayers(const std::string& root) {
    const std::array<int, 4> area = {kRegionLeft, kRegionTop, kRegionLeft + kRegionsAcross,
                                     kRegionTop + kRegionsDown};
    const std::string folder = std::string(kMapFolder) + "\\";
    constexpr int kSkyWidth = 1024, kSkyHeight = 768;
    bool ok = WriteDataFile(root, folder + "sky.jpg", EncodeJpeg(SkyPixels(kSkyWidth, kSkyHeight), kSkyWidth, kSkyHeight));
    ok &= WriteSprite(root, folder + "leaf.spr", 16, 16, {Blob(16, 16, 0xFFD08020u, 4), Blob(16, 16, 0xFFC06018u, 2)});
    ok &= WriteSprite(root, folder + "cloud.spr", 64, 32, {Blob(64, 32, 0xC0E8E8F0u, 0)});
    ScrollSettingSection sky;
    sky.type = 1;
    sky.area = area;
    sky.centrePoints = std::array<int, 4>{(kRegionLeft + 4) * kRegionWidth, (kRegionTop + 4) * kRegionHeight,
                                          kSkyWidth / 2, kSkyHeight / 2};
    sky.rating = 4;
    sky.images = {folder + "sky.jpg"};
    ScrollSettingSection leaves;
    leaves.type = 2;
    leaves.area = leaves.viewArea = area;
    leaves.speed = 3;
    leaves.angle = 60;
    leaves.count = 12;
    leaves.images = {folder + "leaf.spr"};
    ScrollSettingSection clouds;
    clouds.type = 3;
    clouds.area = clouds.viewArea = area;
    clouds.speed = 1;
    clouds.angle = 10;
    // Many small clouds: they show only through the gaps in the ground.
    clouds.count = 600;
    clouds.images = {folder + "cloud.spr"};
    ok &= WriteDataText(root, ScrollSettingsPath(kMapId), WriteScrollSettings({sky, leaves, clouds}));
    return ok;
}

bool WriteMap(const std::string& root) {
    GeneratedMapFields map;
    map.folder = kMapFolder;
    map.left = kRegionLeft;
    map.top = kRegionTop;
    map.width = kRegionsAcross;
    map.height = kRegionsDown;
    map.mapId = kMapId;
    // A few stones and walls a region, so the figures stay in sight.
    map.objects = 12;
    map.lights = 6;
    // Tufts and patches over each region's meadow, leaving it in sight.
    map.tiles = 24;
    map.groundRecords = 6;
    bool ok = WriteGeneratedMap(root, map) && WriteMapPictures(root, map);

    WorSettings settings;
    settings.rect = {kRegionLeft, kRegionTop, kRegionLeft + kRegionsAcross - 1, kRegionTop + kRegionsDown - 1};
    settings.mapLTRegionIndex = {kRegionLeft, kRegionTop};
    settings.isLight = 1;
    settings.lights = {{"SceneLight", {255, 44, 44, 56}}, {"PlayerLight", {255, 255, 240, 200}}};
    ok &= WriteDataText(root, std::string(kMapFolder) + ".wor", WriteWorSettings(settings));

    const int pictureWidth = kRegionsAcross * kRegionWidth / 16, pictureHeight = kRegionsDown * kRegionHeight / 32;
    ok &= WriteDataFile(root, MiniMapPicturePath(kMapFolder),
                        EncodeJpeg(MiniMapPixels(pictureWidth, pictureHeight), pictureWidth, pictureHeight));

    ok &= WriteScrollLayers(root);

    WeatherSection rain;
    rain.id = kWeatherId;
    rain.lifeTimeMin = rain.lifeTimeMax = 100000;
    rain.particleNum = 2000;
    rain.downSpeed = 900.0;
    rain.windSpeed = 120.0;
    rain.flareTime = 4000;
    rain.lenRate = 100;
    ok &= WriteDataText(root, kWeatherIniPath, WriteWeatherIni({rain}));
    return ok;
}

}  // namespace

uint32_t RegionGroundTint(int rx, int ry) {
    const uint32_t r = uint32_t(50 + (rx * 37) % 90), b = uint32_t(30 + (ry * 53) % 90);
    return 0xFF000000u | r << 16 | 110u << 8 | b;
}

bool WriteSceneData(const std::string& root) {
    bool ok = WriteMap(root);
    ok &= WriteFigure(root, "\\model\\walker", 0xFF3870E0u, 0xFF283040u);
    ok &= WriteFigure(root, "\\model\\guard", 0xFFD04030u, 0xFF604028u);
    ok &= WriteDataFile(root, kShape, dts::WriteDts(dts::AnimatedTreeShape(3, 3)));
    ok &= WriteDataFile(root, "\\model\\tree\\skin.dds", FlatDds(0xFF40B050u));
    ok &= WriteEffects(root);
    return ok;
}

}  // namespace scene_data
