#include "place/TreeItems.h"

#include "place/HostObjectHooks.h"
#include "place/RegionRecords.h"

void KScenePoint::GetPosition(int32_t* outX, int32_t* outY) {
    const KIntPoint p = StoredPosition();
    if (outX) *outX = p.x;
    if (outY) *outY = p.y;
}

void KScenePoint::SetPosition(int32_t newX, int32_t newY) {
    x = float(newX);
    y = float(newY);
}

KIntPoint KScenePoint::StoredPosition() const { return KIntPoint{TruncateToInt32(x), TruncateToInt32(y)}; }

uint32_t KScenePoint::RecordFlags() const { return kind == kItemRegionFragment && record ? record->flags : 0; }

KSceneObject::KSceneObject() {
    kind = kItemHostObject;
    host = HostWords{-1, 0};
    owner = OwnerWords{nullptr, nullptr};
    previous = nullptr;
    z = 0;
}

void KSceneObject::GetPosition(int32_t* outX, int32_t* outY) {
    KIntPoint p;
    if (!HostModelPosition(*this, &p)) p = StoredPosition();
    if (outX) *outX = p.x;
    if (outY) *outY = p.y;
}

KTreePoint::KTreePoint() {
    end = EndWords{0, 0};
    key = KeyWords{0, 0};
    piece = PieceWords{0, 0, 0};
    record = nullptr;
}
