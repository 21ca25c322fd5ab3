#include "MapWriter.h"

#include <cstdio>
#include <sstream>

#include "ByteWriter.h"

namespace {

void WriteGroundRecord(ByteWriter& out, const GroundRecordFields& r) {
    out.I32(r.x);
    out.I32(r.y);
    out.Text(r.name, 128);
    out.U16(r.width);
    out.U16(r.height);
    out.U16(r.frame);
    out.U8(r.kind);
    out.U8(r.layer);
    out.I16(r.order);
}

void WriteLight(ByteWriter& out, const RegionLightFields& l) {
    out.I32(l.x);
    out.I32(l.y);
    out.I32(l.z);
    out.U32(l.colour);
    out.I32(l.radius1);
    out.I32(l.radius2);
    out.I32(l.reserved);
}

std::string HostPath(const std::string& root, const std::string& modulePath) {
    std::string path = root;
    for (char c : modulePath) path += c == '\\' ? '/' : c;
    return path;
}

std::string Joined(const std::array<int, 4>& v) {
    return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) + "," +
           std::to_string(v[3]);
}

}  // namespace

std::vector<uint8_t> WriteRegionFile(const RegionFileLayout& layout) {
    ByteWriter out;
    const size_t entries = layout.sections.size();
    out.U32(layout.sectionCount.value_or(uint32_t(entries)));
    uint32_t at = 0;
    for (const RegionSectionEntry& s : layout.sections) {
        out.U32(s.offset.value_or(at));
        out.U32(s.length.value_or(uint32_t(s.bytes.size())));
        at += uint32_t(s.bytes.size());
    }
    for (const RegionSectionEntry& s : layout.sections) out.Bytes(s.bytes);
    return out.Take();
}

std::vector<uint8_t> WriteObstacleSection(const std::vector<uint32_t>& cells) {
    ByteWriter out;
    for (uint32_t cell : cells) out.U32(cell);
    return out.Take();
}

std::vector<uint8_t> WriteGroundSection(const GroundSectionFields& fields) {
    ByteWriter tiles;
    for (const GroundTileFields& t : fields.tiles) {
        tiles.U16(t.cellX);
        tiles.U16(t.cellY);
        tiles.U16(t.frame);
        tiles.U16(t.nameLength.value_or(uint16_t(t.name.size())));
        tiles.Bytes(t.name.data(), t.name.size());
    }
    tiles.Bytes(fields.gap);
    ByteWriter out;
    out.U32(fields.tileCount.value_or(uint32_t(fields.tiles.size())));
    out.U32(fields.recordCount.value_or(uint32_t(fields.records.size())));
    out.U32(fields.recordOffset.value_or(uint32_t(12 + tiles.Size())));
    out.Bytes(tiles.Data());
    for (const GroundRecordFields& r : fields.records) WriteGroundRecord(out, r);
    return out.Take();
}

std::vector<uint8_t> WriteObjectSection(const ObjectSectionFields& fields) {
    ByteWriter out;
    out.U32(fields.count.value_or(uint32_t(fields.objects.size())));
    out.U16(fields.lines);
    out.U16(fields.segments);
    out.U16(fields.points);
    out.U16(fields.flats);
    out.U16(fields.unused);
    out.U16(fields.lightCount.value_or(uint16_t(fields.lights.size())));
    for (const RegionObjectFields& o : fields.objects) out.Bytes(WriteRegionObject(o));
    for (const RegionLightFields& l : fields.lights) WriteLight(out, l);
    return out.Take();
}

std::vector<uint8_t> BuildRegionFile(const RegionFileFields& fields) {
    RegionFileLayout layout;
    layout.sections.resize(6);
    if (fields.cells) layout.sections[0].bytes = WriteObstacleSection(*fields.cells);
    if (fields.ground) layout.sections[4].bytes = WriteGroundSection(*fields.ground);
    if (fields.objects) layout.sections[5].bytes = WriteObjectSection(*fields.objects);
    return WriteRegionFile(layout);
}

std::vector<uint8_t> WriteRegionPack(const RegionPackFields& fields) {
    ByteWriter out;
    out.U16(fields.xMin);
    out.U16(fields.xMax);
    out.U16(fields.yMin);
    out.U16(fields.yMax);
    // Reversed bounds write an empty table.
    const int width = fields.xMax >= fields.xMin ? fields.xMax - fields.xMin + 1 : 0;
    const int height = fields.yMax >= fields.yMin ? fields.yMax - fields.yMin + 1 : 0;
    std::vector<const std::vector<uint8_t>*> order;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const RegionKey key{fields.xMin + x, fields.yMin + y};
            const auto blob = fields.blobs.find(key);
            const auto size = fields.sizes.find(key);
            const uint32_t blobSize = blob == fields.blobs.end() ? 0 : uint32_t(blob->second.size());
            out.U32(size == fields.sizes.end() ? blobSize : size->second);
            if (blob != fields.blobs.end()) order.push_back(&blob->second);
        }
    }
    for (const std::vector<uint8_t>* blob : order) out.Bytes(*blob);
    return out.Take();
}

std::string RegionFilePath(const std::string& folder, int rx, int ry) {
    char tail[64];
    std::snprintf(tail, sizeof tail, "\\v_%03d\\%03d_Region_C.dat", ry, rx);
    return folder + tail;
}

std::string RegionPackPath(const std::string& folder) { return folder + "_c.dat"; }

bool WriteDataFile(const std::string& root, const std::string& modulePath, const std::vector<uint8_t>& bytes) {
    return WriteFileBytes(HostPath(root, modulePath), bytes);
}

bool WriteDataText(const std::string& root, const std::string& modulePath, const std::string& text) {
    return WriteDataFile(root, modulePath, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string WriteMapList(const std::vector<MapListEntry>& entries) {
    std::map<std::string, std::vector<const MapListEntry*>> sections;
    std::vector<std::string> order;
    for (const MapListEntry& e : entries) {
        if (!sections.count(e.section)) order.push_back(e.section);
        sections[e.section].push_back(&e);
    }
    std::ostringstream text;
    for (const std::string& section : order) {
        text << "[" << section << "]\n";
        for (const MapListEntry* e : sections[section]) {
            text << e->key << "=" << e->folder << "\n";
            if (e->name) text << e->key << "_name=" << *e->name << "\n";
        }
    }
    return text.str();
}

std::string WriteWorSettings(const WorSettings& s) {
    std::ostringstream text;
    text << "[MAIN]\n";
    if (s.isInDoor) text << "IsInDoor=" << *s.isInDoor << "\n";
    if (s.isLight) text << "IsLight=" << *s.isLight << "\n";
    if (s.modelLight) text << "ModelLight=" << *s.modelLight << "\n";
    if (s.perspective) text << "Perspective=" << *s.perspective << "\n";
    if (s.rect) text << "rect=" << Joined(*s.rect) << "\n";
    if (s.mapLTRegionIndex)
        text << "MapLTRegionIndex=" << (*s.mapLTRegionIndex)[0] << "," << (*s.mapLTRegionIndex)[1] << "\n";
    if (!s.lights.empty()) {
        text << "[LIGHT]\n";
        for (const auto& [key, value] : s.lights) text << key << "=" << Joined(value) << "\n";
    }
    return text.str();
}

std::string WriteTabText(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const std::vector<std::string>& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) text += (i ? "\t" : "") + row[i];
        text += "\n";
    }
    return text;
}

std::string WritePlayerActionList(const std::vector<std::array<std::string, 2>>& tables) {
    std::vector<std::vector<std::string>> rows{{"Name", "Kind", "TableA", "Note", "TableB"}};
    for (size_t i = 0; i < tables.size(); ++i)
        rows.push_back({"action" + std::to_string(i), "0", tables[i][0], "", tables[i][1]});
    return WriteTabText(rows);
}
