#include "place/RegionSections.h"

#include <cstring>
#include <limits>
#include <new>

#include "place/ByteCursor.h"
#include "place/DataFile.h"

namespace {

constexpr size_t kNameField = 128;
constexpr size_t kObjectNameAt = 56;
constexpr size_t kGroundNameAt = 8;

void CopyName(const uint8_t* field, char (&name)[kNameField]) {
    std::memcpy(name, field, kNameField - 1);
    name[kNameField - 1] = 0;
}

void LoadPoint(const uint8_t* p, int32_t (&point)[3]) {
    for (int i = 0; i < 3; ++i) point[i] = LoadI32(p + 4 * i);
}

}  // namespace

void ReadRegionSectionTable(KDataFile& file, KRegionSectionTable& table, const char** problem) {
    table = {};
    const uint64_t size = file.Size();
    uint8_t countBytes[4];
    if (!SeekTo(file, 0) || file.Read(countBytes, 4) != 4) {
        NoteProblem(problem, "no section count");
        return;
    }
    const uint64_t count = LoadU32(countBytes);
    const uint64_t tableEnd = 4 + 8 * count;
    if (tableEnd > size) {
        NoteProblem(problem, "section table past the end");
        return;
    }
    const uint32_t entries = uint32_t(count < kRegionTableEntries ? count : kRegionTableEntries);
    uint8_t entryBytes[8 * kRegionTableEntries];
    if (file.Read(entryBytes, 8 * entries) != 8 * entries) {
        NoteProblem(problem, "short section table");
        return;
    }
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t offset = LoadU32(entryBytes + 8 * i);
        const uint32_t length = LoadU32(entryBytes + 8 * i + 4);
        if (length == 0) continue;
        if (tableEnd + offset + length > size) {
            NoteProblem(problem, "section past the end");
            continue;
        }
        table.start[i] = tableEnd + offset;
        table.length[i] = length;
    }
}

bool SeekTo(KDataFile& file, uint64_t position) {
    if (position > uint64_t(std::numeric_limits<int32_t>::max()) || position > file.Size()) return false;
    return file.Seek(int32_t(position), 0) == position;
}

std::unique_ptr<uint8_t[]> ReadSectionBytes(KDataFile& file, uint32_t length, const char** problem) {
    const uint32_t size = file.Size(), at = file.Tell();
    if (at > size || length > size - at) {
        NoteProblem(problem, "section past the end");
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[length ? length : 1]);
    if (!bytes) {
        NoteProblem(problem, "no memory for a section");
        return nullptr;
    }
    if (file.Read(bytes.get(), length) != length) {
        NoteProblem(problem, "short section");
        return nullptr;
    }
    return bytes;
}

bool ParseGroundSection(const uint8_t* bytes, size_t size, KGroundSectionView& view, const char** problem) {
    view = {};
    KByteCursor head(bytes, size);
    uint32_t tileCount, recordCount, recordOffset;
    if (!head.U32(tileCount) || !head.U32(recordCount) || !head.U32(recordOffset)) {
        NoteProblem(problem, "ground head past the section");
        return false;
    }
    if (recordOffset < kGroundHeaderBytes || recordOffset > size) {
        NoteProblem(problem, "ground record offset outside the section");
        return false;
    }
    if (uint64_t(recordCount) * kGroundRecordBytes > size - recordOffset) {
        NoteProblem(problem, "ground records past the section");
        return false;
    }
    view.tileCount = tileCount;
    view.recordCount = recordCount;
    view.tiles = bytes + kGroundHeaderBytes;
    view.tileBytes = recordOffset - kGroundHeaderBytes;
    view.records = bytes + recordOffset;
    return true;
}

bool ParseObjectSection(const uint8_t* bytes, size_t size, KObjectSectionView& view, const char** problem) {
    view = {};
    if (size < kObjectHeaderBytes) {
        NoteProblem(problem, "object head past the section");
        return false;
    }
    KRegionObjectHeader& h = view.header;
    h.count = LoadU32(bytes);
    h.lines = LoadU16(bytes + 4);
    h.segments = LoadU16(bytes + 6);
    h.points = LoadU16(bytes + 8);
    h.flats = LoadU16(bytes + 10);
    h.unused = LoadU16(bytes + 12);
    h.lightCount = LoadU16(bytes + 14);
    const uint64_t recordBytes = uint64_t(h.count) * kObjectRecordBytes;
    if (kObjectHeaderBytes + recordBytes + uint64_t(h.lightCount) * kLightRecordBytes > size) {
        NoteProblem(problem, "objects and lights past the section");
        h = {};
        return false;
    }
    view.records = bytes + kObjectHeaderBytes;
    view.lights = bytes + kObjectHeaderBytes + recordBytes;
    const uint64_t grouped = uint64_t(h.lines) + h.segments + h.points;
    if (h.flats > h.count || grouped > h.count - h.flats) {
        // The groups would index past the records.
        NoteProblem(problem, "object groups larger than the records");
        h.count = 0;
        h.lines = h.segments = h.points = h.flats = 0;
        view.records = nullptr;
        view.objectsDropped = true;
    }
    return true;
}

void DecodeObjectRecord(const uint8_t* p, KRegionObjectRecord& r) {
    r.flags = LoadU32(p);
    LoadPoint(p + 4, r.topLeft);
    LoadPoint(p + 16, r.topRight);
    LoadPoint(p + 28, r.bottomRight);
    LoadPoint(p + 40, r.bottomLeft);
    r.width = LoadI16(p + 52);
    r.height = LoadI16(p + 54);
    CopyName(p + kObjectNameAt, r.name);
    r.animationStart = LoadU32(p + 184);
    r.frame = LoadU16(p + 188);
    r.frameCount = LoadU16(p + 190);
    r.frameInterval = LoadU16(p + 192);
    r.fade = LoadU16(p + 194);
    r.x = LoadI32(p + 196);
    r.y = LoadI32(p + 200);
    r.depth = LoadI32(p + 204);
    r.endX = LoadI32(p + 208);
    r.endY = LoadI32(p + 212);
    r.fadedOut = 0;
    std::memset(r.unread217, 0, sizeof r.unread217);
    r.keyA = LoadF32(p + 220);
    r.keyB = LoadF32(p + 224);
}

void DecodeGroundRecord(const uint8_t* p, KRegionGroundRecord& r) {
    r.x = LoadI32(p);
    r.y = LoadI32(p + 4);
    CopyName(p + kGroundNameAt, r.name);
    r.width = LoadU16(p + 136);
    r.height = LoadU16(p + 138);
    r.frame = LoadU16(p + 140);
    r.kind = p[142];
    r.layer = p[143];
    r.order = LoadI16(p + 144);
}

void DecodeLightRecord(const uint8_t* p, KRegionLightRecord& r) {
    r.x = LoadI32(p);
    r.y = LoadI32(p + 4);
    r.z = LoadI32(p + 8);
    r.colour = LoadU32(p + 12);
    r.radius1 = LoadI32(p + 16);
    r.radius2 = LoadI32(p + 20);
    r.reserved = LoadI32(p + 24);
}

const char* ObjectRecordName(const uint8_t* bytes, char (&name)[128]) {
    CopyName(bytes + kObjectNameAt, name);
    return name;
}

const char* GroundRecordName(const uint8_t* bytes, char (&name)[128]) {
    CopyName(bytes + kGroundNameAt, name);
    return name;
}
