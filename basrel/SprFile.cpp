#include "SprFile.h"

#include <cstring>
#include <new>

#include "DebugLog.h"
#include "KPakFile.h"
#include "SprLayout.h"

namespace {

// Every header block carries its size ahead of the bytes the caller sees, so
// frames can be checked against it later; the tag catches foreign pointers.
struct SprBlockPrefix {
    uint64_t tag;
    uint64_t size;
};
static_assert(sizeof(SprBlockPrefix) == 16);
constexpr uint64_t kSprBlockTag = 0x4B4C4248'52505321ull;

SprBlockPrefix* PrefixOf(const SPRHEAD* header) {
    if (!header) return nullptr;
    auto* prefix = reinterpret_cast<SprBlockPrefix*>(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(header)) -
                                                     sizeof(SprBlockPrefix));
    return prefix->tag == kSprBlockTag ? prefix : nullptr;
}

uint8_t* NewBlock(uint64_t size) {
    auto* raw = new (std::nothrow) uint8_t[sizeof(SprBlockPrefix) + size];
    if (!raw) return nullptr;
    auto* prefix = reinterpret_cast<SprBlockPrefix*>(raw);
    prefix->tag = kSprBlockTag;
    prefix->size = size;
    return raw + sizeof(SprBlockPrefix);
}

void FreeBlock(uint8_t* bytes) {
    auto* prefix = reinterpret_cast<SprBlockPrefix*>(bytes - sizeof(SprBlockPrefix));
    prefix->tag = 0;
    delete[] reinterpret_cast<uint8_t*>(prefix);
}

bool ReadFromStart(KPakFile* file, void* buffer, uint64_t count) {
    return file->Seek(0, 0) == 0 && file->Read(buffer, uint32_t(count)) == count;
}

SPRHEAD* Refuse(KPakFile* file, const char* name, const char* why) {
    g_DebugLog("[Basrel]SprGetHeader %s: %s", name, why);
    file->Close();
    return nullptr;
}

}  // namespace

SPRHEAD* SprGetHeader(KPakFile* file, const char* name) {
    if (!file || !name || !*name) {
        g_DebugLog("[Basrel]SprGetHeader: no file or no name");
        return nullptr;
    }
    // KPakFile logs its own failure to open.
    if (!file->Open(name)) return nullptr;
    uint64_t fileSize = file->Size();
    uint8_t head[SPR_HEADER_SIZE];
    if (fileSize < SPR_HEADER_SIZE || !ReadFromStart(file, head, SPR_HEADER_SIZE))
        return Refuse(file, name, "truncated header");
    SprHeaderFields fields;
    if (const char* why = SprParseHeader(head, SPR_HEADER_SIZE, &fields)) return Refuse(file, name, why);

    bool packed = fields.kind == SPR_KIND_PACKED;
    uint64_t blockSize = packed ? SprPackedRecordsEnd(fields) : fileSize;
    if (blockSize > fileSize) return Refuse(file, name, "truncated frame records");
    uint8_t* block = NewBlock(blockSize);
    if (!block) return Refuse(file, name, "out of memory");
    if (!ReadFromStart(file, block, blockSize)) {
        FreeBlock(block);
        return Refuse(file, name, "short read");
    }
    const char* why = packed ? SprCheckPacked(block, fileSize, fields) : SprCheckUnpacked(block, blockSize, fields);
    if (why) {
        FreeBlock(block);
        return Refuse(file, name, why);
    }
    return reinterpret_cast<SPRHEAD*>(block);
}

SPRFRAME* SprGetFrame(SPRHEAD* header, int index) {
    SprBlockPrefix* prefix = PrefixOf(header);
    if (!prefix) {
        g_DebugLog("[Basrel]SprGetFrame %d: no sprite header", index);
        return nullptr;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(header);
    SprHeaderFields fields;
    const char* why = SprParseHeader(bytes, prefix->size, &fields);
    if (!why && fields.kind == SPR_KIND_PACKED) why = "packed sprite has no frame table";
    if (!why && index < 0) why = "frame index out of range";
    SprFrameSpan span;
    if (!why) why = SprLocateFrame(bytes, prefix->size, fields, uint32_t(index), &span);
    if (!why) why = SprCheckFrame(bytes + span.start, span.length, fields);
    if (why) {
        g_DebugLog("[Basrel]SprGetFrame %d: %s", index, why);
        return nullptr;
    }
    auto* copy = new (std::nothrow) uint8_t[span.length];
    if (!copy) {
        g_DebugLog("[Basrel]SprGetFrame %d: out of memory", index);
        return nullptr;
    }
    const uint8_t* source = bytes + span.start;
    auto* frame = reinterpret_cast<SPRFRAME*>(copy);
    frame->Width = WORD(source[0] | source[1] << 8);
    frame->Height = WORD(source[2] | source[3] << 8);
    frame->OffsetX = WORD(source[4] | source[5] << 8);
    frame->OffsetY = WORD(source[6] | source[7] << 8);
    std::memcpy(copy + SPR_FRAME_HEAD_SIZE, source + SPR_FRAME_HEAD_SIZE, span.length - SPR_FRAME_HEAD_SIZE);
    return frame;
}

void SprReleaseFrame(SPRFRAME* frame) { delete[] reinterpret_cast<uint8_t*>(frame); }

void SprReleaseHeader(SPRHEAD* header) {
    if (PrefixOf(header)) FreeBlock(reinterpret_cast<uint8_t*>(header));
}

SprHeaderFields SprGetHeaderFields(const SPRHEAD* header) {
    SprHeaderFields fields;
    if (SprBlockPrefix* prefix = PrefixOf(header))
        SprParseHeader(reinterpret_cast<const uint8_t*>(header), prefix->size, &fields);
    return fields;
}

uint32_t SprGetHeaderBlockSize(const SPRHEAD* header) {
    SprBlockPrefix* prefix = PrefixOf(header);
    return prefix ? uint32_t(prefix->size) : 0;
}
