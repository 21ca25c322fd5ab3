// The shell's interface as a careless or hostile host drives it: a sequence
// of slot calls decoded from the input. Record arrays of every primitive
// type hold the input's bytes at any alignment (names with and without a
// terminator, full-range integers and floats), fonts take any id, texts any
// bytes and length within their buffer, the image slots any name and frame,
// and the device is lost and given back between frames.
//
// Counts and lengths stay within the buffers handed over (the slots have no
// byte-length parameter), and pointer fields of records (models, nodes,
// effects, meshes, surface pixels) are a host's own objects: they are left
// null here, or point at a buffer of the size the record gives.
#include <windows.h>
#include <d3d9.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "JpegWriter.h"
#include "SprWriter.h"
#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "lumiva/PrimitiveRecords.h"
#include "draw2d/render/VertexBuilders.h"
#include "lumiva/TextHostRecords.h"
#include "lumiva/IKDrawShell.h"
#include "shell/ModuleExports.h"
#include "support/FuzzTarget.h"
#include "win32/Control.h"

using namespace lumiva::fuzz;

namespace {

// Record size of each primitive type (0 for types that draw nothing). The
// quad picture types take the larger of their scene and screen strides.
constexpr size_t kPic = sizeof(KPrimPicture), kPicEx = sizeof(KPrimPictureEx), kQuad = sizeof(KPrimQuadPicture);
constexpr size_t kRecordSizes[25] = {sizeof(KPrimPoint), sizeof(KPrimLine), sizeof(KPrimLine), kPic, kPicEx, kPicEx,
                                     kQuad, kPic, 0, sizeof(KPrimBar), sizeof(KPrimBar), 0, sizeof(KPrimModel),
                                     sizeof(KPrimNode), sizeof(KPrimEffect), sizeof(KPrimEffect), 0,
                                     sizeof(KPrimSurface), kPicEx, sizeof(KPrimModel), kPic, kQuad, kQuad,
                                     sizeof(KPrimMesh), kPicEx};

const char* const kPictureNames[] = {"\\spr\\gem.spr", "\\pic\\sky.jpg", "\\spr\\missing.spr", ""};
const char* const kFontDescriptors[] = {"@SimSun,16,0,32,0", "\\font\\px.asf", "#12", "@Arial,12,0,32,1", ""};

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    template <typename T>
    T Value() {
        T value{};
        uint8_t bytes[sizeof(T)] = {};
        for (uint8_t& b : bytes) b = Byte();
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }
    // A full-range int, or a small one most of the time.
    int32_t Int() { return Byte() < 64 ? Value<int32_t>() : int32_t(Byte()) * 4 - 200; }
    float Float() {
        const uint8_t kind = Byte();
        if (kind < 32) return Value<float>();  // NaN, infinities and all
        return float(int32_t(Byte()) * 4 - 200) + float(kind % 4) * 0.25f;
    }
    // Up to `most` bytes of the input, copied.
    std::vector<uint8_t> Bytes(size_t most) {
        const size_t count = std::min<size_t>(most, m_size - std::min(m_at, m_size));
        std::vector<uint8_t> bytes(m_data + m_at, m_data + m_at + count);
        m_at += count;
        return bytes;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A buffer holding `bytes` at `offset` past an 8-aligned start, so records
// and texts sit at any alignment.
class Placed {
public:
    Placed(const std::vector<uint8_t>& bytes, size_t offset) : m_storage(bytes.size() + 16), m_offset(offset % 8) {
        std::copy(bytes.begin(), bytes.end(), m_storage.begin() + std::ptrdiff_t(m_offset));
    }
    uint8_t* Data() { return m_storage.data() + m_offset; }

private:
    std::vector<uint8_t> m_storage;
    size_t m_offset;
};

void WriteSampleFiles() {
    const std::string root = ScratchRoot();
    SprSpriteInfo info;
    info.width = info.height = 8;
    info.centerX = info.centerY = 4;
    SprPixels frame;
    frame.width = frame.height = 8;
    frame.argb.assign(64, 0xFF20C040u);
    const std::vector<uint8_t> sprite = WriteSpr(info, {frame, frame});
    const std::vector<uint8_t> jpeg = EncodeJpeg(std::vector<uint8_t>(16 * 8 * 3, 200), 16, 8);
    auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::filesystem::path path = std::filesystem::path(root) / name;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    };
    write("spr/gem.spr", sprite);
    write("pic/sky.jpg", jpeg);
}

IKDrawShell* Shell() {
    static IKDrawShell* shell = [] {
        WriteSampleFiles();
        g_SetRootPath(ScratchRoot().c_str());
        lumiva::win32::InstallManualClock(100000);
        lumiva::d3d9::SetNoRaster(false);
        HWND window = CreateWindowExA(0, "LumivaFuzz", "Lumiva fuzz", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                      nullptr, nullptr, nullptr);
        g_SetMainHWnd(window);
        IKDrawShell* made = CreateLumivaShell4();
        if (!made || !made->Create(800, 600, 0, 0, 0)) __builtin_trap();
        return made;
    }();
    return shell;
}

// A picture name in the record's 128-byte field: a known name, or input
// bytes filling the field with or without a terminator.
void FillName(Input& in, uint8_t* field) {
    const uint8_t kind = in.Byte();
    if (kind < 160) {
        const char* name = kPictureNames[kind % 4];
        std::memset(field, 0, 128);
        std::memcpy(field, name, std::strlen(name));
        if (kind & 0x80) std::memset(field + std::strlen(name), 'x', 128 - std::strlen(name));  // unterminated
    } else {
        const std::vector<uint8_t> bytes = in.Bytes(128);
        std::memset(field, 'y', 128);
        std::memcpy(field, bytes.data(), bytes.size());
    }
}

void DrawPrimitives(Input& in, IKDrawShell* shell) {
    const DWORD type = in.Byte() % 26;  // 25 is past the last type
    const size_t recordSize = type < 25 ? kRecordSizes[type] : 28;
    const int count = in.Byte() % 6;
    std::vector<uint8_t> bytes = in.Bytes(size_t(count) * std::max<size_t>(recordSize, 1));
    bytes.resize(size_t(count) * recordSize, 0);
    std::vector<uint8_t> pixels;
    for (int i = 0; i < count; ++i) {
        uint8_t* record = bytes.data() + size_t(i) * recordSize;
        switch (type) {
            case 3: case 4: case 5: case 6: case 7: case 18: case 20: case 21: case 22: case 24:
                FillName(in, record + 56);
                break;
            case 12: case 19: case 13: case 14: case 15:
                std::memset(record + 24, 0, sizeof(void*));  // the host's model, node or effect: none
                break;
            case 17: {
                // One grey surface of at most 64 x 64 with pixels to match.
                const int32_t width = in.Byte() % 65, height = in.Byte() % 65;
                std::memcpy(record + offsetof(KPrimSurface, width), &width, 4);
                std::memcpy(record + offsetof(KPrimSurface, height), &height, 4);
                pixels.assign(size_t(width) * size_t(height), in.Byte());
                const uint8_t* address = pixels.data();
                std::memcpy(record + offsetof(KPrimSurface, pixels), &address, sizeof address);
                break;
            }
            case 23:
                std::memset(record + offsetof(KPrimMesh, mesh), 0, sizeof(void*));  // the host's static mesh: none
                break;
            default:
                break;
        }
        if (type == 17 || type == 23) break;  // one record each
    }
    Placed placed(bytes, in.Byte());
    const int screenSpace = in.Byte() & 1;
    const BYTE floatCoords = in.Byte() & 1;
    const int opacity = in.Int();
    const float brightness = in.Float();
    const int drawn = (type == 17 || type == 23) ? std::min(count, 1) : count;
    shell->DrawPrimitives(drawn, drawn ? placed.Data() : nullptr, type, screenSpace, floatCoords, opacity, brightness);
}

std::string Text(Input& in) {
    const std::vector<uint8_t> bytes = in.Bytes(in.Byte() % 48);
    return std::string(bytes.begin(), bytes.end());
}

void TextCalls(Input& in, IKDrawShell* shell) {
    const int id = in.Int();
    const std::string text = Text(in);
    std::vector<uint8_t> buffer(text.begin(), text.end());
    buffer.push_back(0);
    Placed placed(buffer, in.Byte());
    const char* chars = reinterpret_cast<const char*>(placed.Data());
    const int length = int(text.size());
    switch (in.Byte() % 6) {
        case 0:
            shell->OutputText(id, chars, length, in.Int(), in.Int(), in.Value<DWORD>(), in.Int(), in.Int(),
                              in.Value<DWORD>());
            break;
        case 1:
            shell->OutputTextEx(id, chars, length, in.Float(), in.Float(), in.Value<DWORD>(), in.Int(), in.Float(),
                                in.Value<DWORD>());
            break;
        case 2:
            shell->GetTextExtent(id, chars, length, in.Int());
            break;
        default: {
            std::vector<uint8_t> record = in.Bytes(sizeof(KTextRect));
            record.resize(sizeof(KTextRect), 0);
            Placed rect(record, in.Byte());
            auto* box = reinterpret_cast<KTextRect*>(rect.Data());
            const int width = in.Int();
            const uint8_t form = in.Byte() % 3;
            if (form == 0) shell->OutputTextInRect(id, box, chars, length, width);
            if (form == 1) shell->OutputTextInRectEx(id, box, chars, length, width);
            if (form == 2) shell->HitTestText(in.Int(), in.Int(), id, box, chars, length, width);
            break;
        }
    }
}

void FontCalls(Input& in, IKDrawShell* shell) {
    const int id = in.Int();
    if (in.Byte() & 1)
        shell->CreateFont(kFontDescriptors[in.Byte() % 5], 0, id);
    else
        shell->ReleaseFont(id);
}

void RectCalls(Input& in, IKDrawShell* shell) {
    if (in.Byte() & 1) {
        shell->DrawRect(in.Int(), in.Int(), in.Int(), in.Int(), in.Value<DWORD>());
        return;
    }
    std::vector<uint8_t> bytes = in.Bytes(sizeof(KColorRect));
    bytes.resize(sizeof(KColorRect), 0);
    Placed rect(bytes, in.Byte());
    shell->DrawColorRect(reinterpret_cast<KColorRect*>(rect.Data()), kPictureNames[in.Byte() % 4], in.Int(),
                         in.Byte() % 3);
}

void ImageCalls(Input& in, IKDrawShell* shell) {
    uint8_t field[129] = {};
    FillName(in, field);  // terminated by the 129th byte
    const char* name = reinterpret_cast<const char*>(field);
    switch (in.Byte() % 5) {
        case 0:
            shell->CreateImage(name, in.Byte() % 80, in.Byte() % 80, in.Byte() % 3, in.Byte() & 1);
            break;
        case 1: {
            int16_t values[8] = {};
            shell->GetImageInfo(name, values, in.Byte() % 3);
            break;
        }
        case 2: {
            int32_t offset[2] = {}, size[2] = {};
            shell->GetImageFrameRect(name, in.Int(), offset, size, in.Byte() % 3);
            break;
        }
        case 3:
            shell->GetImageAlphaAt(name, in.Int(), in.Int(), in.Int(), in.Byte() % 3);
            break;
        default:
            shell->RemoveImage(name);
            break;
    }
}

void Frame(Input& in, IKDrawShell* shell) {
    lumiva::win32::AdvanceClock(16);
    switch (in.Byte() % 4) {
        case 0:
            lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICELOST);
            break;
        case 1:
            lumiva::d3d9::SetCooperativeLevel(D3DERR_DEVICENOTRESET);
            if (in.Byte() & 1) lumiva::d3d9::FailNextReset();
            break;
        default:
            break;
    }
    shell->BeginFrame(0, 0xFF000000u, nullptr);
    shell->EndFrame();
}

}  // namespace

LUMIVA_FUZZ_SEEDS(shell_calls) {
    auto picture = [](uint8_t type, uint8_t nameKind) {
        Bytes bytes{0, type, 4};
        bytes.resize(bytes.size() + 4 * kRecordSizes[type], 0x10);
        for (int i = 0; i < 4; ++i) bytes.push_back(nameKind);
        bytes.insert(bytes.end(), {3, 1, 0, 200, 1});
        return bytes;
    };
    return {
        {"pictures", picture(3, 0)},
        {"rect-pictures-unterminated", picture(4, 0x80)},
        {"two-point", picture(5, 1)},
        {"bars-and-lines", Bytes{0, 9, 2, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 1, 0, 1, 2, 3, 0, 1, 1, 2, 3}},
        {"text", Bytes{2, 0, 16, 12, 'a', 'b', 0xC4, 0xE3, 2, 0xFF, 0, 0, 'c', 7, 8, 9, 10, 1, 0, 3, 0}},
        {"font-then-text", Bytes{1, 200, 1, 0, 2, 200, 8, 'h', 'e', 'l', 'l', 'o', '!', 'x', 'y', 1, 0}},
        {"loss", Bytes{6, 0, 6, 1, 1, 6, 2, 0, 3, 0}},
        {"rects", Bytes{3, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 3, 0}},
        {"images", Bytes{5, 0, 0, 20, 20, 1, 1, 5, 1, 1, 5, 3, 0}},
    };
}

LUMIVA_FUZZ_TARGET(shell_calls, data, size) {
    IKDrawShell* shell = Shell();
    Input in(data, size);
    // A frame of 800 x 600 under the sanitizers dwarfs the calls: few per input.
    int frames = 0;
    for (int call = 0; call < 32 && !in.Empty(); ++call) {
        switch (in.Byte() % 7) {
            case 0:
                DrawPrimitives(in, shell);
                break;
            case 1:
                FontCalls(in, shell);
                break;
            case 2:
                TextCalls(in, shell);
                break;
            case 3:
                RectCalls(in, shell);
                break;
            case 5:
                ImageCalls(in, shell);
                break;
            default:
                if (++frames <= 3) Frame(in, shell);
                break;
        }
    }
    // Every input leaves a working device behind for the next.
    lumiva::d3d9::SetCooperativeLevel(D3D_OK);
    lumiva::d3d9::FailNextReset(D3D_OK);
    shell->BeginFrame(0, 0xFF000000u, nullptr);
    shell->EndFrame();
}
