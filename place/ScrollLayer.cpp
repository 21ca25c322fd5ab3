#include "place/TreeGeometry.h"
#include "place/ScrollLayer.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <numbers>

#include "DataRoot.h"
#include "DebugLog.h"
#include "HostRandom.h"
#include "shell/D3DShell.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr uint8_t kPictureFlagsNoFrameOffset = 2;
constexpr int16_t kScrollSpriteImage = 1;
constexpr int kImageInfoValues = 7;
constexpr int kTurn = 64;
constexpr int kQuarter = 16;

bool IsLargeScreen() { return g_ScreenWidth == 1024 && g_ScreenHeight == 768; }


// A coordinate in whole pixels; items far off any screen saturate.
int Pixel(float value) {
    if (!(value > -1.0e9f)) return -1000000000;
    if (!(value < 1.0e9f)) return 1000000000;
    return int(value);
}

int RandomSign() { return g_Random(2) == 0 ? -1 : 1; }

// Step and signs of a drifting item: the angle counts 64ths of a turn from
// straight up, clockwise.
void SetDirection(KScrollItem& item) {
    const int angle = ((item.angle % kTurn) + kTurn) % kTurn;
    const double a = (kQuarter - angle % kQuarter) * std::numbers::pi / 32.0;
    float stepY = float(std::sin(a) * item.speed), stepX = float(std::cos(a) * item.speed);
    switch (angle / kQuarter) {
        case 0: item.signX = 1, item.signY = -1; break;
        case 1: std::swap(stepX, stepY), item.signX = 1, item.signY = 1; break;
        case 2: item.signX = -1, item.signY = 1; break;
        default: std::swap(stepX, stepY), item.signX = -1, item.signY = -1; break;
    }
    item.stepX = stepX;
    item.stepY = stepY;
}

// Keeps a coordinate within range of the centre by whole field widths.
float WrapAround(float value, float centre, int range) {
    if (value < centre - range) return value + 2.0f * range;
    if (value > centre + range) return value - 2.0f * range;
    return value;
}

// The current file path is moved to the root while pictures are looked up
// and put back afterwards.
class RootFolderScope {
public:
    RootFolderScope() {
        g_GetFilePath(m_saved, sizeof m_saved);
        g_SetFilePath("\\");
    }
    ~RootFolderScope() { g_SetFilePath(m_saved); }
    RootFolderScope(const RootFolderScope&) = delete;
    RootFolderScope& operator=(const RootFolderScope&) = delete;

private:
    char m_saved[260] = {};
};

}  // namespace

KScrollLayer::KScrollLayer() {
    m_screenRight = g_ScreenWidth;
    m_screenBottom = g_ScreenHeight;
    ClearLayer();
}

void KScrollLayer::DriftRange(int* rx, int* ry) {
    const bool large = IsLargeScreen();
    *rx = large ? 2048 : 1600;
    *ry = large ? 3072 : 2400;
}

void KScrollLayer::ClearLayer() {
    m_pictureCount = 0;
    for (KScrollPicture& picture : m_pictures) std::memset(static_cast<void*>(&picture), 0, sizeof picture);
    m_items.Clear();
    m_itemCount = 0;
    m_liveCount = 0;
}

bool KScrollLayer::AddPicture(const char* name) {
    KShellServices* shell = ShellServices();
    if (m_pictureCount >= kMaxPictures || !shell || !name || !*name) return false;
    int16_t info[kImageInfoValues] = {};
    {
        RootFolderScope folder;
        if (!shell->GetImageInfo(name, info, kScrollSpriteImage)) return false;
    }
    KScrollPicture& entry = m_pictures[m_pictureCount];
    std::memset(static_cast<void*>(&entry), 0, sizeof entry);
    entry.frameCount = uint16_t(info[0]);
    entry.frameInterval = uint16_t(info[1]);
    entry.width = uint16_t(info[2]);
    entry.height = uint16_t(info[3]);
    for (int i = 0; i < 3; ++i) entry.more[i] = uint16_t(info[4 + i]);
    std::memcpy(entry.record.fileName, name, std::min(std::strlen(name), sizeof entry.record.fileName - 1));
    entry.record.imageType = kScrollSpriteImage;
    entry.record.flags = kPictureFlagsNoFrameOffset;
    entry.record.blendMode = 0;
    entry.record.alpha = 255;
    ++m_pictureCount;
    return true;
}

void KScrollLayer::SetBounds(int left, int top, int right, int bottom) {
    m_boundsLeft = left;
    m_boundsTop = top;
    m_boundsRight = right;
    m_boundsBottom = bottom;
}

int KScrollLayer::CappedCount(int count) const {
    if (count <= kMaxItems) return count;
    g_DebugLog("[Scene]scroll layer: %d items asked, %d made", count, kMaxItems);
    return kMaxItems;
}

void KScrollLayer::AddItem(float x, float y, int picture, int angle, float speed, bool withDirection) {
    if (m_pictureCount <= 0) return;
    auto* item = new KScrollItem{};
    const float scale = m_doubleScale ? 2.0f : 1.0f;
    item->x = x * scale;
    item->y = y * scale;
    item->angle = angle;
    item->speed = speed;
    if (withDirection) SetDirection(*item);
    item->picture = std::clamp(picture, 0, m_pictureCount - 1);
    item->width = m_pictures[item->picture].width;
    item->height = m_pictures[item->picture].height;
    if (m_items.PushBack(item)) ++m_liveCount;
}

void KScrollLayer::SetupDrift(int angle, float speed, int count, int focusX, int focusY) {
    if (count < 1) return;
    count = CappedCount(count);
    m_baseAngle = angle;
    m_baseSpeed = speed;
    m_itemCount = count;
    int rx = 0, ry = 0;
    DriftRange(&rx, &ry);
    for (int i = 0; i < count; ++i) {
        int64_t j = g_Random(5);
        if (g_Random(2) == 0) j = -j;
        if (angle + j >= kTurn) j = kTurn - int64_t(angle);
        if (angle + j < 0) j = -int64_t(angle);
        if (float(j / 10) + speed < 0) j = -int64_t(speed + 0.1f) * 10;
        const int picture = g_Random(m_pictureCount);
        const float x = float(int64_t(focusX) + g_Random(rx) - rx);
        const float y = float(int64_t(focusY) + g_Random(ry) - ry);
        AddItem(x, y, picture, SaturateToInt32(angle + j), speed + float(j / 10), true);
    }
}

int KScrollLayer::UpdateDrift(int focusX, int focusY) {
    int rx = 0, ry = 0;
    DriftRange(&rx, &ry);
    const float scale = m_doubleScale ? 2.0f : 1.0f;
    const float centreX = float(focusX) * scale, centreY = float(focusY) * scale;
    for (KScrollItem* item = m_items.First(); item; item = m_items.Next()) {
        item->x = WrapAround(item->x + item->stepX * float(item->signX), centreX, rx);
        item->y = WrapAround(item->y + item->stepY * float(item->signY), centreY, ry);
    }
    return 1;
}

void KScrollLayer::SetupFall(int angle, float speed, int count, int, int) {
    if (count < 1) return;
    count = CappedCount(count);
    m_baseAngle = angle;
    m_baseSpeed = speed;
    m_itemCount = count;
    for (int i = 0; i < count; ++i) {
        const int picture = g_Random(m_pictureCount);
        const float x = float(g_Random(m_screenRight - m_screenLeft));
        const int turn = g_Random(30) * RandomSign();
        const float itemSpeed = speed + float(g_Random(5) / 2);
        AddItem(x, 0.0f, picture, SaturateToInt32(int64_t(angle) + turn), itemSpeed, false);
    }
}

void KScrollLayer::RespawnFalling(KScrollItem& item) {
    item.angle = SaturateToInt32(int64_t(m_baseAngle) + g_Random(30) * RandomSign());
    item.speed = m_baseSpeed + float(g_Random(5) / 2);
    if (m_pictureCount > 0) {
        item.picture = std::clamp(g_Random(m_pictureCount), 0, m_pictureCount - 1);
        item.width = m_pictures[item.picture].width;
        item.height = m_pictures[item.picture].height;
        item.frame = 0;
    }
}

int KScrollLayer::UpdateFall() {
    const uint32_t now = timeGetTime();
    if (!m_fallClockStarted) {
        m_fallClockStarted = true;
        m_lastFallTime = now;
    }
    // Tenths of a second as a real number: whole tenths would stand still
    // at more than ten frames a second.
    const double t = double(now - m_lastFallTime) / 100.0;
    m_lastFallTime = now;
    for (KScrollItem* item = m_items.First(); item; item = m_items.Next()) {
        const double a = item->angle * std::numbers::pi / 180.0;
        const double v = std::trunc(double(item->speed)) * t;
        item->x = float(item->x - std::sin(a) * v);
        item->y = float(item->y + std::cos(a) * v);
        if (item->x < float(m_screenLeft - kFallMargin)) {
            RespawnFalling(*item);
            item->x = float(m_screenRight);
        } else if (item->x > float(m_screenRight + kFallMargin)) {
            RespawnFalling(*item);
            item->x = float(m_screenLeft);
        }
        if (item->y > float(m_screenBottom + kFallMargin)) {
            RespawnFalling(*item);
            item->y = float(m_screenTop);
        }
    }
    return 1;
}

void KScrollLayer::DrawItem(KScrollItem& item, int x, int y) {
    KScrollPicture& entry = m_pictures[item.picture];
    KPrimPictureEx& record = entry.record;
    record.frame = int16_t(item.frame);
    record.ax = x;
    record.ay = y;
    record.bx = x + item.width;
    record.by = y + item.height;
    record.r0 = 0;
    record.r1 = 0;
    record.r2 = item.width;
    record.r3 = item.height;
    ShellServices()->DrawPrimitives(1, &record, PRIM_PICTURES, 1, 0, -1, -1.0f);
}

void KScrollLayer::PaintOnScreen() {
    if (!m_enabled || m_pictureCount <= 0 || !ShellServices()) return;
    for (KScrollItem* item = m_items.First(); item; item = m_items.Next()) {
        DrawItem(*item, Pixel(item->x), Pixel(item->y));
        const int frames = m_pictures[item->picture].frameCount;
        item->frame = item->frame + 1 >= frames ? 0 : item->frame + 1;
    }
}

void KScrollLayer::PaintInScene(int focusX, int focusY) {
    if (!m_enabled || m_pictureCount <= 0 || !ShellServices()) return;
    const int screenW = g_ScreenWidth, screenH = g_ScreenHeight;
    // A screen pixel covers two world units down.
    const float left = float(int64_t(focusX) - screenW / 2);
    const float top = float(int64_t(focusY) - 2 * (screenH / 2));
    for (KScrollItem* item = m_items.First(); item; item = m_items.Next()) {
        if (left - item->width < item->x && item->x < left + screenW && top - 2.0f * item->height < item->y &&
            item->y < top + 2.0f * screenH)
            DrawItem(*item, Pixel(item->x - left), Pixel((item->y - top) / 2));
        const int frames = m_pictures[item->picture].frameCount;
        item->frame = item->frame + 1 >= frames ? 0 : item->frame + 1;
    }
}
