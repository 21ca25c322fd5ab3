// The shell's interface as a careless or hostile host drives it: a sequence
// of slot calls decoded from the input. Record arrays of every primitive
// type hold the input's bytes at any alignment (names with and without a
// terminator), and every int and float field of a record or argument is
// drawn from the hostile values (the ends of the range, NaN, infinities).
// Fonts take any id, texts any bytes and length within their buffer, inline
// pictures any size, the image slots any name, frame and scale, and the
// device is lost and given back between frames. The device skips the pixel
// work and the screen is small: an input costs the calls, not the pixels.
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
#include <set>
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
#include "shell/KDrawShell.h"
#include "support/FuzzShell.h"
#include "support/FuzzTarget.h"
#include "support/HostileInput.h"
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

// The 32-bit number fields of each record kind, one letter per 4 bytes from
// the record's start: 'i' an int, 'f' a float; other words keep the input's
// bytes. Names, colours, flags, ids and pointers are left to the bytes.
const std::string kPictureWords = std::string("iiifffiiifff..") + std::string(32, '.') + "..fii.";
const std::string kPictureExWords = kPictureWords + "iiiiffff";
const std::string kQuadWords = kPictureExWords + "iiiiii";
const std::string kTextRectWords = "iiifff";
const std::string kColorRectWords = "iiiiii";

const std::string& WordsOf(DWORD type) {
    static const std::string none, point = "iii", line = "iii...iii", bar = "iiifffiiifff", surface = "ii",
                              mesh = "ii.ff";
    switch (type < 25 ? kRecordSizes[type] : 0) {
        case kPic: return kPictureWords;
        case kPicEx: return kPictureExWords;
        case kQuad: return kQuadWords;
        case sizeof(KPrimPoint): return point;
        case sizeof(KPrimLine): return line;
        case sizeof(KPrimBar): return bar;
        default: break;
    }
    if (type == 17) return surface;
    if (type == 23) return mesh;
    return none;
}

const char* const kPictureNames[] = {"\\spr\\gem.spr", "\\pic\\sky.jpg", "\\spr\\missing.spr", ""};
const char* const kFontDescriptors[] = {"@SimSun,16,0,32,0", "\\font\\px.asf", "#12", "@Arial,12,0,32,1", ""};

using Input = HostileInput;

// Overwrites the number fields of a record with hostile values.
void FillNumbers(Input& in, uint8_t* record, const std::string& words) {
    for (size_t w = 0; w < words.size(); ++w) {
        if (words[w] == 'i') {
            const int32_t value = in.Int();
            std::memcpy(record + 4 * w, &value, 4);
        } else if (words[w] == 'f') {
            const float value = in.Float();
            std::memcpy(record + 4 * w, &value, 4);
        }
    }
}

// Inline pictures of texts, of a size the input gives.
class HostilePictures : public ITextImageHandler {
public:
    void Read(Input& in) {
        m_width = in.Int();
        m_height = in.Int();
        m_known = (in.Byte() & 3) != 0;
    }
    int32_t GetPictureSize(uint16_t, int32_t* width, int32_t* height) override {
        if (!m_known) return -1;
        *width = m_width;
        *height = m_height;
        return 0;
    }
    int32_t DrawPicture(uint16_t, int32_t, int32_t, uint32_t) override { return 0; }
    int32_t DrawPictureF(uint16_t, float, float, uint32_t) override { return 0; }

private:
    int32_t m_width = 0, m_height = 0;
    bool m_known = false;
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

// Once per process: the sample files and a manual clock, which frames advance.
void PrepareShellCalls() {
    static const bool prepared = [] {
        WriteSampleFiles();
        g_SetRootPath(ScratchRoot().c_str());
        lumiva::win32::InstallManualClock(100000);
        return true;
    }();
    (void)prepared;
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
        std::copy(bytes.begin(), bytes.end(), field);
    }
}

// `count` records of `recordSize` bytes: the input's bytes, hostile numbers
// and a picture name where the type has one.
std::vector<uint8_t> Records(Input& in, DWORD type, size_t recordSize, int count) {
    std::vector<uint8_t> bytes = in.Bytes(size_t(count) * std::max<size_t>(recordSize, 1));
    bytes.resize(size_t(count) * recordSize, 0);
    for (int i = 0; i < count; ++i) {
        uint8_t* record = bytes.data() + size_t(i) * recordSize;
        FillNumbers(in, record, WordsOf(type));
        switch (type) {
            case 3: case 4: case 5: case 6: case 7: case 18: case 20: case 21: case 22: case 24:
                FillName(in, record + offsetof(KPrimPicture, fileName));
                break;
            case 12: case 19: case 13: case 14: case 15:
                std::memset(record + 24, 0, sizeof(void*));  // the host's model, node or effect: none
                break;
            default:
                break;
        }
    }
    return bytes;
}

void DrawPrimitives(Input& in, IKDrawShell* shell) {
    const DWORD type = in.Byte() % 26;  // 25 is past the last type
    const size_t recordSize = type < 25 ? kRecordSizes[type] : 28;
    // The surface and the turning mesh take one record each.
    const int count = (type == 17 || type == 23) ? std::min(in.Byte() % 6, 1) : in.Byte() % 6;
    std::vector<uint8_t> bytes = Records(in, type, recordSize, count);
    std::vector<uint8_t> pixels;
    if (type == 17 && count == 1) {
        // One grey surface of at most 64 x 64 with pixels to match.
        const int32_t width = in.Byte() % 65, height = in.Byte() % 65;
        std::memcpy(bytes.data() + offsetof(KPrimSurface, width), &width, 4);
        std::memcpy(bytes.data() + offsetof(KPrimSurface, height), &height, 4);
        pixels.assign(size_t(width) * size_t(height), in.Byte());
        const uint8_t* address = pixels.data();
        std::memcpy(bytes.data() + offsetof(KPrimSurface, pixels), &address, sizeof address);
    }
    if (type == 23 && count == 1) std::memset(bytes.data() + offsetof(KPrimMesh, mesh), 0, sizeof(void*));
    Placed placed(bytes, in.Byte());
    const int screenSpace = in.Byte() & 1;
    const BYTE floatCoords = in.Byte() & 1;
    const int opacity = in.Int();
    const float brightness = in.Float();
    shell->DrawPrimitives(count, count ? placed.Data() : nullptr, type, screenSpace, floatCoords, opacity, brightness);
}

std::string Text(Input& in) { return in.String(in.Byte() % 48); }

void TextCalls(Input& in, IKDrawShell* shell, HostilePictures& pictures) {
    const int id = in.Int();
    const std::string text = Text(in);
    std::vector<uint8_t> buffer(text.begin(), text.end());
    buffer.push_back(0);
    Placed placed(buffer, in.Byte());
    const char* chars = reinterpret_cast<const char*>(placed.Data());
    const int length = int(text.size());
    pictures.Read(in);
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
            FillNumbers(in, record.data(), kTextRectWords);
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

// What an input made in the shared shell, given back when it ends: every
// input starts from the same shell, and a device reset restores only what
// this input made.
struct Made {
    int fontsCreated = 0;
    std::set<int> fonts;
    std::set<std::string> images;
};

// A font's glyph texture costs as much as a hundred other calls: an input
// creates one at the most.
void FontCalls(Input& in, IKDrawShell* shell, Made& made) {
    const int id = in.Int();
    if ((in.Byte() & 1) && made.fontsCreated++ < 1) {
        if (shell->CreateFont(kFontDescriptors[in.Byte() % 5], 0, id)) made.fonts.insert(id);
    } else {
        shell->ReleaseFont(id);
    }
}

void RectCalls(Input& in, IKDrawShell* shell) {
    switch (in.Byte() % 4) {
        case 0:
            shell->DrawRect(in.Int(), in.Int(), in.Int(), in.Int(), in.Value<DWORD>());
            break;
        case 1:
            shell->DrawTexturedRect(in.Float(), in.Float(), in.Float(), in.Float(), in.Value<DWORD>(),
                                    in.Value<DWORD>(), in.Value<DWORD>(), in.Value<DWORD>());
            break;
        case 2:
            shell->SetGlobalAlpha(in.Float());
            break;
        default: {
            std::vector<uint8_t> bytes = in.Bytes(sizeof(KColorRect));
            bytes.resize(sizeof(KColorRect), 0);
            FillNumbers(in, bytes.data(), kColorRectWords);
            Placed rect(bytes, in.Byte());
            shell->DrawColorRect(reinterpret_cast<KColorRect*>(rect.Data()), kPictureNames[in.Byte() % 4], in.Int(),
                                 in.Byte() % 3);
            break;
        }
    }
}

DWORD FloatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void ImageCalls(Input& in, IKDrawShell* shell, Made& made) {
    uint8_t field[129] = {};
    FillName(in, field);  // terminated by the 129th byte
    const char* name = reinterpret_cast<const char*>(field);
    switch (in.Byte() % 6) {
        case 0:
            if (shell->CreateImage(name, in.Byte() % 80, in.Byte() % 80, in.Byte() % 3, in.Byte() & 1))
                made.images.insert(name);
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
        case 4: {
            // Picture records composed into the named image at any scale.
            const int count = in.Byte() % 4;
            std::vector<uint8_t> records = Records(in, PRIM_PICTURES, kPic, count);
            Placed placed(records, in.Byte());
            int16_t hint = int16_t(in.Value<uint16_t>());
            shell->DrawImage(count, count ? placed.Data() : nullptr, in.Byte() % 6, name, in.Value<DWORD>(), &hint,
                             FloatBits(in.Float()), FloatBits(in.Float()));
            break;
        }
        default:
            shell->RemoveImage(name);
            break;
    }
}

// A device reset costs a hundred frames: one input loses the device once
// at the most, in one frame of sixteen.
void Frame(Input& in, IKDrawShell* shell, bool* lost) {
    lumiva::win32::AdvanceClock(16);
    const uint8_t loss = *lost ? 2 : in.Byte() % 32;
    *lost = *lost || loss < 2;
    switch (loss) {
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
    // A list of four records of one type: every number field small (kind
    // byte 200, value byte 0x50), then the name kinds and the call's tail.
    auto picture = [](uint8_t type, uint8_t nameKind) {
        Bytes bytes{0, type, 4};
        bytes.resize(bytes.size() + 4 * kRecordSizes[type], 0x10);
        for (int i = 0; i < 4; ++i) {
            for (char word : WordsOf(type))
                if (word != '.') bytes.insert(bytes.end(), {200, 0x50});
            bytes.push_back(nameKind);
        }
        bytes.insert(bytes.end(), {3, 1, 0, 200, 1, 200, 80});
        return bytes;
    };
    // A 40 x 40 image named like the sprite, and the sprite drawn into it at
    // scale 1.
    auto drawImage = [] {
        Bytes bytes{5, 0, 0, 40, 40, 2, 1, 5, 0, 4, 1};
        bytes.resize(bytes.size() + kPic, 0);
        for (char word : kPictureWords)
            if (word != '.') bytes.insert(bytes.end(), {200, 0x50});
        bytes.insert(bytes.end(), {0, 0, 0xFF, 0xFF, 3, 0, 0, 0, 0, 200, 65, 200, 65});
        return bytes;
    };
    return {
        {"pictures", picture(3, 0)},
        {"rect-pictures-unterminated", picture(4, 0x80)},
        {"two-point", picture(5, 1)},
        {"scaled", picture(7, 0)},
        {"clipped", picture(24, 0)},
        {"quad-clip-span", picture(22, 0)},
        {"bars-and-lines", Bytes{0, 9, 2, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 1, 0, 1, 2, 3, 0, 1, 1, 2, 3}},
        {"text", Bytes{2, 0, 16, 12, 'a', 'b', 0xC4, 0xE3, 6, 1, 0, 0xFF, 0, 0, 'c', 7, 8, 9, 10, 1, 0, 3, 0}},
        {"font-then-text", Bytes{1, 200, 1, 0, 2, 200, 8, 'h', 'e', 'l', 'l', 'o', '!', 'x', 'y', 1, 0}},
        {"loss", Bytes{6, 0, 6, 1, 1, 6, 2, 0, 3, 0}},
        {"rects", Bytes{3, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 3, 0}},
        {"images", Bytes{5, 0, 0, 20, 20, 1, 1, 5, 1, 1, 5, 3, 0}},
        {"draw-image", drawImage()},
    };
}

LUMIVA_FUZZ_TARGET(shell_calls, data, size) {
    PrepareShellCalls();
    ShellScope scope(ScopeScene::kHostFrames);
    IKDrawShell* shell = scope.Shell();
    HostilePictures pictures;
    shell->SetTextImageHandler(&pictures);
    Made made;
    Input in(data, size);
    int frames = 0;
    bool lost = false;
    for (int call = 0; call < 64 && !in.Empty(); ++call) {
        switch (in.Byte() % 7) {
            case 0:
                DrawPrimitives(in, shell);
                break;
            case 1:
                FontCalls(in, shell, made);
                break;
            case 2:
                TextCalls(in, shell, pictures);
                break;
            case 3:
                RectCalls(in, shell);
                break;
            case 5:
                ImageCalls(in, shell, made);
                break;
            default:
                if (++frames <= 8) Frame(in, shell, &lost);
                break;
        }
    }
    shell->RemoveTextImageHandler(&pictures);
    for (int id : made.fonts) shell->ReleaseFont(id);
    for (const std::string& name : made.images) shell->RemoveImage(name.c_str());
    // Every input leaves a working device behind for the next.
    lumiva::d3d9::SetCooperativeLevel(D3D_OK);
    lumiva::d3d9::FailNextReset(D3D_OK);
    shell->BeginFrame(0, 0xFF000000u, nullptr);
    shell->EndFrame();
}
