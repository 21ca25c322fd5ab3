#include "textures/KSprImage.h"

#include <strings.h>

#include <cstring>
#include <new>

#include "DebugLog.h"
#include "Palette.h"
#include "textures/Control.h"
#include "textures/SprRuns.h"

namespace {

int32_t I32(const uint8_t* p) { return int32_t(uint32_t(p[0] | p[1] << 8 | p[2] << 16) | uint32_t(p[3]) << 24); }

void PutI32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(value >> (8 * i));
}

bool IsSprName(const char* name) {
    size_t length = std::strlen(name);
    return length > 4 && strcasecmp(name + length - 4, ".spr") == 0;
}

// A frame-table length: at least the 8-byte head; a negative one stands for
// its magnitude.
bool FrameLength(int32_t stored, uint32_t* length) {
    int64_t magnitude = stored < 0 ? -int64_t(stored) : stored;
    if (magnitude < SPR_FRAME_HEAD_SIZE) return false;
    *length = uint32_t(magnitude);
    return true;
}

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

KSprImage::KSprImage() {
    m_type = kImageSprite;
    Reset();
}

KSprImage::~KSprImage() {
    Close();
    m_file.Close();
}

void KSprImage::Reset() {
    ResetCounters();
    m_centerX = m_centerY = 0;
    m_colorCount = 0;
    m_word16 = m_word18 = 1;
    m_palette24.clear();
    m_palette32.clear();
    m_palette16.clear();
    m_frameCount = 1;
    m_header = nullptr;
    m_frameTable = nullptr;
    m_frames.clear();
    m_packed = m_dxt5 = false;
    m_packedFrames.clear();
    m_frameCosts.clear();
}

bool KSprImage::Create(const char*, int, int, int, bool) { return false; }

bool KSprImage::Open(const char* name, int type) {
    if (!name || !*name || type != kImageSprite) return false;
    Close();
    m_type = type;
    return OpenSpr(name);
}

void KSprImage::Close() {
    InvalidateDeviceObjects();
    for (KSprFrame& record : m_frames) {
        DropFrameData(record);
        delete[] record.data;
        record.data = nullptr;
    }
    if (m_header) SprReleaseHeader(m_header);
    m_file.Close();
    Reset();
}

void KSprImage::DropFrameData(KSprFrame& record) {
    if (!record.hostFrame) return;
    SprReleaseFrame(record.hostFrame);
    record.hostFrame = nullptr;
    record.data = nullptr;
    m_memory -= record.dataLength;
    record.dataLength = 0;
}

void KSprImage::TakeHeaderFields(const SprHeaderFields& fields) {
    m_width = fields.width;
    m_height = fields.height;
    m_centerX = fields.centerX;
    m_centerY = fields.centerY;
    m_frameCount = fields.frameCount;
    m_word16 = fields.word16;
    m_word18 = fields.word18;
}

bool KSprImage::OpenSpr(const char* name) {
    if (!name || !IsSprName(name)) return false;
    SPRHEAD* header = SprGetHeader(&m_file, name);
    if (!header) return false;
    SprHeaderFields fields = SprGetHeaderFields(header);
    m_header = header;  // released by Close on every failure below
    if (m_file.Seek(SPR_HEADER_SIZE, 0) != SPR_HEADER_SIZE || fields.frameCount == 0) {
        Close();
        return false;
    }
    if (fields.kind == SPR_KIND_PACKED) {
        bool opened = OpenPacked(fields);
        if (!opened) {
            g_DebugLog("[Pictures]%s: bad packed frames", name);
            Close();
        }
        return opened;
    }

    if (fields.kind == SPR_KIND_RLE) ReadPalette(fields);
    m_dxt5 = fields.kind == SPR_KIND_DXT5;
    TakeHeaderFields(fields);
    m_frames.assign(m_frameCount, KSprFrame{});
    m_frameCosts.assign(m_frameCount, 0);

    StreamRead read = ReadFramesFromStream();
    bool opened = read == StreamRead::Done;
    if (opened) {
        SprReleaseHeader(m_header);
        m_header = nullptr;
        m_frameTable = nullptr;
    } else if (read == StreamRead::Unreadable) {
        opened = KeepHeaderBlock(fields);
    }
    m_file.Close();
    if (!opened) {
        g_DebugLog("[Pictures]%s: bad frames", name);
        Close();
    }
    return opened;
}

bool KSprImage::OpenPacked(const SprHeaderFields& fields) {
    m_packed = true;
    TakeHeaderFields(fields);
    SprReleaseHeader(m_header);
    m_header = nullptr;
    std::vector<uint8_t> records(size_t(m_frameCount) * SPR_PACKED_FRAME_SIZE);
    if (m_file.Read(records.data(), uint32_t(records.size())) != records.size()) return false;
    m_packedFrames.resize(m_frameCount);
    m_frameCosts.assign(m_frameCount, 0);
    for (int f = 0; f < m_frameCount; ++f) {
        if (const char* why = ReadPackedSprFrame(records.data() + size_t(f) * SPR_PACKED_FRAME_SIZE, m_file.Size(),
                                                 &m_packedFrames[f])) {
            g_DebugLog("[Pictures]packed frame %d: %s", f, why);
            return false;
        }
    }
    return true;
}

void KSprImage::ReadPalette(const SprHeaderFields& fields) {
    m_colorCount = fields.colorCount;
    m_palette24.resize(size_t(m_colorCount) * 3);
    uint32_t bytes = uint32_t(m_palette24.size());
    if (m_file.Read(m_palette24.data(), bytes) != bytes) {
        // The header block holds the whole file; SprGetHeader checked that the
        // palette lies inside it.
        if (SprGetHeaderBlockSize(m_header) >= SPR_HEADER_SIZE + uint64_t(bytes))
            std::memcpy(m_palette24.data(), reinterpret_cast<uint8_t*>(m_header) + SPR_HEADER_SIZE, bytes);
        else
            std::memset(m_palette24.data(), 0, bytes);
    }
    m_palette16.resize(m_colorCount);
    m_palette32.resize(m_colorCount);
    for (int i = 0; i < m_colorCount; ++i) {
        const uint8_t* rgb = &m_palette24[size_t(i) * 3];
        m_palette16[i] = uint16_t(((rgb[0] & 0xF0) << 4) + (rgb[1] & 0xF0) + (rgb[2] >> 4));
    }
    g_Pal24ToPal32(m_palette24.data(), reinterpret_cast<DWORD*>(m_palette32.data()), m_colorCount);
}

KSprImage::StreamRead KSprImage::ReadFramesFromStream() {
    std::vector<uint8_t> table(size_t(m_frameCount) * SPR_TABLE_ENTRY_SIZE);
    if (lumiva::textures::SprFrameTableReadFails() || m_file.Read(table.data(), uint32_t(table.size())) != table.size())
        return StreamRead::Unreadable;
    for (int f = 0; f < m_frameCount; ++f) {
        KSprFrame& record = m_frames[f];
        uint32_t length = 0;
        if (!FrameLength(I32(&table[size_t(f) * 8 + 4]), &length)) return StreamRead::Malformed;
        uint8_t head[SPR_FRAME_HEAD_SIZE];
        if (m_file.Read(head, SPR_FRAME_HEAD_SIZE) != SPR_FRAME_HEAD_SIZE) return StreamRead::Unreadable;
        record.width = U16(head);
        record.height = U16(head + 2);
        record.offsetX = U16(head + 4);
        record.offsetY = U16(head + 6);
        uint32_t dataLength = length - SPR_FRAME_HEAD_SIZE;
        if (dataLength > m_file.Size() - m_file.Tell()) return StreamRead::Unreadable;
        record.data = new (std::nothrow) uint8_t[dataLength ? dataLength : 1];
        if (!record.data || m_file.Read(record.data, dataLength) != dataLength) return StreamRead::Unreadable;
        record.dataLength = dataLength;
        m_memory += dataLength;
        if (m_dxt5 && !Dxt5FrameFits(record)) return StreamRead::Malformed;
    }
    return StreamRead::Done;
}

bool KSprImage::KeepHeaderBlock(const SprHeaderFields& fields) {
    // Stream reading may have filled some records before it failed.
    for (KSprFrame& record : m_frames) {
        delete[] record.data;
        record = KSprFrame{};
    }
    m_memory = 0;
    uint64_t tableAt = SPR_HEADER_SIZE + (fields.kind == SPR_KIND_RLE ? uint64_t(fields.colorCount) * 3 : 0);
    uint64_t tableEnd = tableAt + uint64_t(m_frameCount) * SPR_TABLE_ENTRY_SIZE;
    if (tableEnd > SprGetHeaderBlockSize(m_header)) return false;
    m_frameTable = reinterpret_cast<uint8_t*>(m_header) + tableAt;
    return true;
}

bool KSprImage::TableLength(int frame, uint32_t* length) {
    uint8_t* entry = m_frameTable + size_t(frame) * SPR_TABLE_ENTRY_SIZE;
    int32_t stored = I32(entry + 4);
    if (!FrameLength(stored, length)) return false;
    if (stored < 0) PutI32(entry + 4, *length);
    return true;
}

bool KSprImage::FetchFrame(int frame) {
    KSprFrame& record = m_frames[frame];
    uint32_t length = 0;
    if (!TableLength(frame, &length)) return false;
    SPRFRAME* host = SprGetFrame(m_header, frame);
    if (!host) return false;
    record.width = host->Width;
    record.height = host->Height;
    record.offsetX = host->OffsetX;
    record.offsetY = host->OffsetY;
    record.dataLength = length - SPR_FRAME_HEAD_SIZE;
    record.data = SprFrameData(host);
    record.hostFrame = host;
    m_memory += record.dataLength;
    if (m_dxt5 && !Dxt5FrameFits(record)) {
        DropFrameData(record);
        return false;
    }
    return true;
}

bool KSprImage::LoadFrame(const char* name, int frame, bool createTiles, int loadArgument) {
    if (!name || !HasFrame(frame)) return false;
    if (m_packed) {
        if (!m_packedFrames[frame].tiles[0].texture && createTiles) ReadFrames(frame, loadArgument);
        return true;
    }
    KSprFrame& record = m_frames[frame];
    if (record.tiles[0].texture) return true;
    if (m_header && !record.data && !FetchFrame(frame)) return false;
    if (createTiles) CreateFrameTiles(frame);
    return true;
}

int KSprImage::GetPixelAlpha(int frame, int x, int y) {
    if (!HasFrame(frame)) return 0;
    if (m_packed || m_dxt5) {
        bool inside = x >= 0 && y >= 0 && x < GetFrameWidth(frame) && y < GetFrameHeight(frame);
        return inside ? 255 : 0;
    }
    return PixelAlphaRle(frame, x, y);
}

uint8_t KSprImage::PixelAlphaRle(int frame, int x, int y) {
    const KSprFrame& record = m_frames[frame];
    if (!m_header) {
        return SprAlphaAt(record.data, record.dataLength, record.width, record.height, x - record.offsetX,
                          y - record.offsetY);
    }
    uint32_t length = 0;
    if (!TableLength(frame, &length)) return 0;
    SPRFRAME* host = SprGetFrame(m_header, frame);
    if (!host) return 0;
    uint8_t alpha = SprAlphaAt(SprFrameData(host), length - SPR_FRAME_HEAD_SIZE, host->Width, host->Height,
                               x - host->OffsetX, y - host->OffsetY);
    SprReleaseFrame(host);
    return alpha;
}

// --- Getters ---

int KSprImage::FrameSlots() const { return int(m_packed ? m_packedFrames.size() : m_frames.size()); }

bool KSprImage::TileAt(int frame, int tile, TileView* view) const {
    if (!HasFrame(frame) || tile < 0 || tile >= kMaxFrameTiles) return false;
    if (m_packed) {
        const KSprPackedTile& t = m_packedFrames[frame].tiles[tile];
        *view = {t.textureWidth, t.textureHeight, t.x, t.y, t.width, t.height, t.texture};
    } else {
        const KSprTile& t = m_frames[frame].tiles[tile];
        *view = {uint16_t(t.textureWidth), uint16_t(t.textureHeight), uint16_t(t.x), uint16_t(t.y),
                 uint16_t(t.width),        uint16_t(t.height),        t.texture};
    }
    return true;
}

bool KSprImage::GetFrameView(int frame, KSprFrameView* view) const {
    if (!HasFrame(frame)) return false;
    if (m_packed) {
        const KSprPackedFrame& f = m_packedFrames[size_t(frame)];
        view->width = f.width, view->height = f.height, view->offsetX = f.offsetX, view->offsetY = f.offsetY;
        view->tileCount = f.tileCount;
        for (int i = 0; i < kMaxFrameTiles; ++i) {
            const KSprPackedTile& t = f.tiles[i];
            view->tiles[i] = {t.textureWidth, t.textureHeight, t.x, t.y, t.width, t.height, t.texture};
        }
    } else {
        const KSprFrame& f = m_frames[size_t(frame)];
        view->width = uint16_t(f.width), view->height = uint16_t(f.height);
        view->offsetX = uint16_t(f.offsetX), view->offsetY = uint16_t(f.offsetY);
        view->tileCount = f.tileCount;
        for (int i = 0; i < kMaxFrameTiles; ++i) {
            const KSprTile& t = f.tiles[i];
            view->tiles[i] = {uint16_t(t.textureWidth), uint16_t(t.textureHeight), uint16_t(t.x), uint16_t(t.y),
                              uint16_t(t.width),        uint16_t(t.height),        t.texture};
        }
    }
    return true;
}

int KSprImage::GetTileCount(int frame) const {
    if (!HasFrame(frame)) return 0;
    return m_packed ? m_packedFrames[frame].tileCount : m_frames[frame].tileCount;
}

IDirect3DTexture9* KSprImage::GetTileTexture(int frame, int tile) const {
    TileView v;
    return TileAt(frame, tile, &v) ? v.texture : nullptr;
}

#define TILE_GETTER(Name, field)                          \
    uint16_t KSprImage::Name(int frame, int tile) const { \
        TileView v;                                       \
        return TileAt(frame, tile, &v) ? v.field : 0;     \
    }
TILE_GETTER(GetTileTextureWidth, textureWidth)
TILE_GETTER(GetTileTextureHeight, textureHeight)
TILE_GETTER(GetTileX, x)
TILE_GETTER(GetTileY, y)
TILE_GETTER(GetTileWidth, width)
TILE_GETTER(GetTileHeight, height)
#undef TILE_GETTER

#define FRAME_GETTER(Name, field)                                                        \
    uint16_t KSprImage::Name(int frame) const {                                          \
        if (!HasFrame(frame)) return 0;                                                  \
        return m_packed ? m_packedFrames[frame].field : uint16_t(m_frames[frame].field); \
    }
FRAME_GETTER(GetFrameOffsetX, offsetX)
FRAME_GETTER(GetFrameOffsetY, offsetY)
FRAME_GETTER(GetFrameWidth, width)
FRAME_GETTER(GetFrameHeight, height)
#undef FRAME_GETTER

const uint8_t* KSprImage::GetRleFrameData() const { return m_packed || m_frames.empty() ? nullptr : m_frames[0].data; }

uint32_t KSprImage::GetRleFrameDataLength() const {
    return GetRleFrameData() ? m_frames[0].dataLength : 0;
}

const uint16_t* KSprImage::GetPalette16() const {
    return m_packed || m_palette16.empty() ? nullptr : m_palette16.data();
}
