// Field access to picture records as they cross the module boundary: packed
// little-endian bytes at fixed offsets, 208 bytes for the plain record, 240
// with the rectangle and float offsets, 264 with corners C and D.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int kPictureRecordSize = 208;
constexpr int kPictureExRecordSize = 240;

class KPictureRecordView {
public:
    explicit KPictureRecordView(uint8_t* bytes) : m_bytes(bytes) {}

    int32_t IntA(int axis) const { return Read<int32_t>(0 + 4 * axis); }
    float FloatA(int axis) const { return Read<float>(12 + 4 * axis); }
    int32_t IntB(int axis) const { return Read<int32_t>(24 + 4 * axis); }
    float FloatB(int axis) const { return Read<float>(36 + 4 * axis); }
    uint32_t Colour() const { return Read<uint32_t>(48); }
    uint8_t BlendMode() const { return m_bytes[52]; }
    uint8_t Flags() const { return m_bytes[53]; }
    int16_t ImageType() const { return Read<int16_t>(54); }
    // Always terminated; empty until CopyName, and for a refused name.
    const char* Name() const { return m_name; }
    uint32_t FileId() const { return Read<uint32_t>(184); }
    int16_t IndexHint() const { return Read<int16_t>(188); }
    // The image cache's answers go back into the record.
    void StoreCacheHints(uint32_t fileId, int16_t indexHint) {
        std::memcpy(m_bytes + 184, &fileId, sizeof(fileId));
        std::memcpy(m_bytes + 188, &indexHint, sizeof(indexHint));
    }
    int16_t Frame() const { return Read<int16_t>(190); }
    float Angle() const { return Read<float>(192); }
    int32_t PivotX() const { return Read<int32_t>(196); }
    int32_t PivotY() const { return Read<int32_t>(200); }
    uint32_t LoadArgument() const { return Read<uint32_t>(204); }
    int32_t Rect(int i) const { return Read<int32_t>(208 + 4 * i); }
    float Offset(int i) const { return Read<float>(224 + 4 * i); }
    int32_t IntC(int axis) const { return Read<int32_t>(240 + 4 * axis); }
    int32_t IntD(int axis) const { return Read<int32_t>(252 + 4 * axis); }

    // Takes a copy of the name before the cache sees it. A name must end
    // within its field; one that fills the field is refused (read as empty,
    // which the cache treats as a missing picture).
    void CopyName() {
        std::memcpy(m_name, m_bytes + 56, sizeof(m_name));
        if (std::memchr(m_name, 0, sizeof(m_name)) == nullptr) m_name[0] = 0;
    }

private:
    template <typename T>
    T Read(int offset) const {
        T value;
        std::memcpy(&value, m_bytes + offset, sizeof(T));
        return value;
    }
    uint8_t* m_bytes;
    char m_name[128] = {};
};

namespace picture_flags {
constexpr uint8_t kAnchor = 1;
constexpr uint8_t kNoFrameOffset = 2;
constexpr uint8_t kSizeFromPicture = 4;
constexpr uint8_t kKeepB = 8;
constexpr uint8_t kRotate = 16;
}  // namespace picture_flags
