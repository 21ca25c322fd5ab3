// The scene place as a careless or hostile host drives it: IScenePlace
// calls decoded from the input, with any ints and floats, over a small
// generated map (loose files and a pack) of which one file at a time is
// damaged by the input. The host's callbacks act too: a move of the player
// moves the focus, painting an object moves, removes or adds objects,
// loads or unloads the map or asks for another paint, and the region ids,
// lights and models it answers come from the input. The loader and pak
// preload threads run as they do for a host.
//
// The host keeps only what the place hands it: object pointers the place
// returned and has not taken back, and models it made through the shell.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "MapGenerator.h"
#include "lumiva/IScenePlace.h"
#include "lumiva/IScenePlaceHost.h"
#include "lumiva/IK3DSceneNode.h"
#include "place/HostObjectHooks.h"
#include "shell/KDrawShell.h"
#include "shell/ModuleExports.h"
#include "support/FuzzShell.h"
#include "support/HostileInput.h"
#include "support/FuzzTarget.h"

using namespace lumiva::fuzz;

namespace {

constexpr int32_t kMapId = 1;
constexpr const char* kFolder = "\\Maps\\fuzzcalls";
constexpr int32_t kLeft = 10, kTop = 10;  // region indices of the map's corner
constexpr int kSlots = 6;                 // host objects the script keeps
constexpr int kModels = 2;
constexpr int kMostCalls = 48;
constexpr int kDeepestCallback = 2;
// Ground pictures of 64 x 64 pixels instead of 512: the place's render
// targets stay small, so an input costs what the calls cost.
constexpr float kSmallUiScale = 0.125f;

// Host values, plus world positions that land inside the map most of the time.
class Input : public HostileInput {
public:
    using HostileInput::HostileInput;
    int32_t X() { return Byte() < 24 ? Value<int32_t>() : (kLeft - 1) * 512 + int32_t(Value<uint16_t>() % 3584); }
    int32_t Y() { return Byte() < 24 ? Value<int32_t>() : (kTop - 1) * 1024 + int32_t(Value<uint16_t>() % 7168); }
};

// The generated map's files with their bytes as written, so a damaged one
// can be put back after the input.
struct MapFiles {
    std::vector<std::filesystem::path> paths;
    std::vector<std::vector<uint8_t>> bytes;
};

std::vector<uint8_t> ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteWhole(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

MapFiles& Files() {
    static MapFiles files = [] {
        GeneratedMapFields map;
        map.folder = kFolder;
        map.left = kLeft, map.top = kTop, map.width = 3, map.height = 3;
        map.tiles = 6, map.groundRecords = 4, map.objects = 10, map.lights = 2;
        map.pack = true;
        map.mapId = kMapId;
        if (!WriteGeneratedMap(ScratchRoot(), map)) std::abort();
        MapFiles made;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(ScratchRoot())) {
            if (!entry.is_regular_file()) continue;
            made.paths.push_back(entry.path());
            made.bytes.push_back(ReadWhole(entry.path()));
        }
        return made;
    }();
    return files;
}

// One of the map's files with a few bytes changed (or cut short) for the
// length of an input.
class DamagedFile {
public:
    explicit DamagedFile(Input& in) {
        MapFiles& files = Files();
        const uint8_t pick = in.Byte();
        if (pick >= files.paths.size()) return;
        m_index = pick;
        std::vector<uint8_t> bytes = files.bytes[pick];
        for (int edits = in.Byte() % 6; edits > 0 && !bytes.empty(); --edits) {
            const size_t at = in.Value<uint16_t>() % bytes.size();
            bytes[at] = in.Byte();
        }
        if (in.Byte() < 32 && !bytes.empty()) bytes.resize(in.Value<uint16_t>() % bytes.size());
        WriteWhole(files.paths[pick], bytes);
    }
    ~DamagedFile() {
        if (m_index >= 0) WriteWhole(Files().paths[size_t(m_index)], Files().bytes[size_t(m_index)]);
    }
    DamagedFile(const DamagedFile&) = delete;
    DamagedFile& operator=(const DamagedFile&) = delete;

private:
    int m_index = -1;
};

class ScriptedHost;

// What the script and the host's callbacks call, and what they keep.
struct Script {
    IScenePlace* place = nullptr;
    KDrawShell* shell = nullptr;
    KSceneObject* objects[kSlots] = {};
    KModelProxy* models[kModels] = {};
    int depth = 0;  // callbacks inside callbacks

    void Call(Input& in);
    void PlaceCall(uint8_t op, Input& in);
    void ObjectCall(uint8_t op, Input& in);
    void QueryCall(uint8_t op, Input& in);
    void SettingCall(uint8_t op, Input& in);
    void Cleanup();
};

class ScriptedHost final : public IScenePlaceHost {
public:
    ScriptedHost(Script& script, Input& in) : m_script(script), m_in(in) {}

    void Unused0() override {}
    bool IsPlayerObject(int32_t kind, int32_t id) override { return kind == m_playerKind && id == m_playerId; }
    KModelProxy* GetLinkedModel(int32_t, int32_t id) override { return m_script.models[uint32_t(id) % kModels]; }
    int32_t FindRegionId(int32_t, uint32_t key) override { return m_regionIds ? int32_t(key % 1000) : -1; }
    void AttachRegion(int32_t, int32_t, KSceneRegion*) override {}
    void DetachRegion(int32_t, int32_t) override {}
    KModelProxy* FindObjectModel(int32_t, int32_t id, int32_t) override {
        return m_models ? m_script.models[uint32_t(id) % kModels] : nullptr;
    }
    void SetPerspective(int32_t) override {}
    void GetObjectLight(int32_t, int32_t, KHostObjectLight* light) override {
        if (light) *light = m_light;
    }
    void PaintObject(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override { Act(); }
    void PaintMapIcons(KMapIconRecord*, int32_t) override {}
    int32_t QueryMiniMap(int32_t value) override { return value; }
    void PassMiniMapValue(int32_t) override {}
    void Unused13() override {}
    void NotifyModelMove(KModelProxy*) override {
        if (m_script.depth >= kDeepestCallback || m_in.Empty()) return;
        ++m_script.depth;
        m_script.place->SetFocus(m_in.X(), m_in.Y(), 0);
        --m_script.depth;
    }
    void OnDeviceRestored() override {}

    void Configure(Input& in) {
        m_playerKind = in.Byte() % 8;
        m_playerId = in.Byte() % 4;
        m_regionIds = in.Byte() & 1;
        m_models = in.Byte() & 1;
        m_light = KHostObjectLight{in.Int(), in.Int(), in.Int(), in.Value<uint32_t>(), in.Int()};
    }

private:
    // PaintObject: the next script call, from inside the paint.
    void Act() {
        if (m_script.depth >= kDeepestCallback || m_in.Empty() || m_in.Byte() < 128) return;
        ++m_script.depth;
        m_script.Call(m_in);
        --m_script.depth;
    }

    Script& m_script;
    Input& m_in;
    int32_t m_playerKind = 6, m_playerId = 1;
    bool m_regionIds = false, m_models = false;
    KHostObjectLight m_light{};
};

void Script::Call(Input& in) {
    const uint8_t op = in.Byte();
    switch (op % 4) {
        case 0: PlaceCall(op / 4, in); break;
        case 1: ObjectCall(op / 4, in); break;
        case 2: QueryCall(op / 4, in); break;
        default: SettingCall(op / 4, in); break;
    }
}

void Script::PlaceCall(uint8_t op, Input& in) {
    switch (op % 12) {
        case 0: place->LoadMap(in.Byte() < 200 ? kMapId : in.Int(), in.Byte() % 4, in.Int()); break;
        case 1: place->LoadMapFromFolder(in.Byte() < 200 ? kFolder : "\\Maps\\none"); break;
        case 2: place->UnloadMap(); break;
        case 3:
        case 4: place->SetFocus(in.X(), in.Y(), in.Int()); break;
        case 5: place->UpdateFrame(); break;
        case 6: place->Paint(); break;
        case 7: place->PaintGround(); break;
        case 8: place->FreezeFocus(in.Byte() & 1); break;
        case 9: place->SetFocusOffset(in.Int(), in.Int()); break;
        case 10: place->ResetObjects(); break;
        default:
            // Release and Init again: not from inside a callback of the place.
            if (depth == 0) {
                place->Release();
                place->Init(nullptr);
            }
            break;
    }
}

void Script::ObjectCall(uint8_t op, Input& in) {
    KSceneObject*& slot = objects[in.Byte() % kSlots];
    switch (op % 8) {
        case 0:
            if (!slot) slot = place->AddObject(in.Byte() % 8, in.Byte() % 4, in.X(), in.Y(), in.Int(), in.Byte() % 16);
            break;
        case 1:
        case 2:
            place->UpdateObject(in.Byte() % 8, in.Byte() % 4, in.X(), in.Y(), in.Int(), &slot, in.Byte() % 16, in.Int());
            break;
        case 3: place->RemoveObject(in.Int(), in.Int(), &slot); break;
        case 4: {
            KModelProxy*& model = models[in.Byte() % kModels];
            if (!model) model = shell->CreateModel(in.Byte() & 1 ? "\\model\\none.mesh" : "");
            if (IK3DSceneNode* node = ModelProxyNode(model)) node->SetPosition(in.Float(), in.Float(), in.Float(), in.Byte());
            break;
        }
        case 5: place->RegisterModel(models[in.Byte() % kModels]); break;
        case 6: place->UnregisterModel(models[in.Byte() % kModels]); break;
        default: place->SelectRegionObject(kLeft + in.Byte() % 4 - 1, kTop + in.Byte() % 4 - 1, in.Int()); break;
    }
}

void Script::QueryCall(uint8_t op, Input& in) {
    int32_t x = in.X(), y = in.Y(), out[8] = {};
    switch (op % 12) {
        case 0: place->GetObstacle(x, y); break;
        case 1: place->SetCellObstacle(x, y, in.Int()); break;
        case 2: place->ClearCell(x, y); break;
        case 3: place->RestoreRegionCells(x, y); break;
        case 4: place->IsRegionClear(in.Int(), in.Int()); break;
        case 5:
            place->GetCell(x, y);
            place->GetOriginalCell(x, y);
            place->GetCellExtra(x, y);
            break;
        case 6: place->ScreenToWorld(&x, &y, in.Int()); break;
        case 7: {
            KMiniMapView view{};
            KMapDesc desc{};
            place->GetMiniMapView(&view);
            place->GetMapDesc(&desc);
            place->GetMiniMapBounds(out);
            break;
        }
        case 8: place->ClearRegionObjectSelection(); break;
        case 9: place->UnregisterActiveRegions(); break;
        case 10: place->GetMapInfo(reinterpret_cast<char*>(out), &x, &y, &x); break;
        default: place->GetObjectModel(in.Int(), in.Int()); break;
    }
}

void Script::SettingCall(uint8_t op, Input& in) {
    switch (op % 12) {
        case 0: place->SetViewSize(in.Int(), in.Int()); break;
        case 1: place->InvalidateGround(); break;
        case 2: place->SetWeather(in.Byte() < 128 ? in.Byte() % 3 : 255); break;
        case 3: place->EnableWeather(in.Byte() & 1); break;
        case 4: place->SetTimeOfDay(in.Int()); break;
        case 5: place->SetDayLightColor(in.Int() % 10, in.Byte(), in.Byte(), in.Byte()); break;
        case 6: place->EnableObjectLights(in.Byte() & 1); break;
        case 7: place->EnableLightGrid(in.Byte() & 1); break;
        case 8: shell->SetUiScale(in.Float()); break;
        case 9: place->ShowMiniMap(in.Value<uint32_t>(), in.Value<uint32_t>()); break;
        case 10: place->PaintMiniMap(in.Int(), in.Int(), in.Int(), in.Int()); break;
        default: place->SetMiniMapCentre(in.Int(), in.Int()); break;
    }
}

// Everything the host holds goes back, and the map with it.
void Script::Cleanup() {
    for (KSceneObject*& object : objects) place->RemoveObject(0, 0, &object);
    for (KModelProxy*& model : models) {
        if (!model) continue;
        place->UnregisterModel(model);
        shell->ReleaseModel(model);
        model = nullptr;
    }
    place->UnloadMap();
}

IScenePlace* Place() {
    static IScenePlace* place = [] {
        auto* made = static_cast<IScenePlace*>(CreateScenePlaceC());
        if (!made) std::abort();
        return made;
    }();
    return place;
}

}  // namespace

LUMIVA_FUZZ_SEEDS(place_calls) {
    // file (none), host set-up, then calls: load, focus, frame, objects,
    // paints with callbacks acting.
    const Bytes load = {0xFF, 0, 6, 1, 1, 1, 5, 5, 5, 0, 0, 0, 0, 5, 5, 5, 5, 5, 5, 5, 5};
    Bytes walk = load;
    for (uint8_t step : {0x0C, 40, 10, 200, 200, 10, 200, 0x14, 0x01, 0, 6, 1, 40, 10, 200, 200, 10, 200, 0, 0, 0, 0,
                         7, 0x18, 0x18, 0x05, 0x01, 1, 0x50, 40, 1, 10, 200, 5, 10, 200, 5})
        walk.push_back(step);
    Bytes packed = {3, 4, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0, 1, 1, 1, 1, 5, 5, 5, 0, 0, 0, 0};
    return {{"load-and-walk", walk}, {"damaged-file", packed}, {"empty", Bytes{}}};
}

LUMIVA_FUZZ_TARGET(place_calls, data, size) {
    ShellScope scope;
    Files();
    Input in(data, size);
    DamagedFile damaged(in);
    Script script;
    script.place = Place();
    script.shell = scope.Shell();
    script.shell->SetUiScale(kSmallUiScale);
    script.place->Init(nullptr);
    ScriptedHost host(script, in);
    host.Configure(in);
    script.place->SetHost(&host);
    script.place->SetViewSize(64, 48);
    for (int calls = 0; calls < kMostCalls && !in.Empty(); ++calls) script.Call(in);
    script.Cleanup();
    script.place->SetHost(nullptr);
}
