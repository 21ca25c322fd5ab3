// The items of the scene object tree. One field layout serves the three
// item classes: host objects (KSceneObject) and region object fragments
// (KTreePoint) keep different things in the per-kind words, so those words
// are unions read by the item's kind.
#pragma once

#include <cstdint>

#include "place/TreeGeometry.h"

class KTreeNode;
struct KRegionObjectRecord;

constexpr uint32_t kItemRegionFragment = 0;
constexpr uint32_t kItemHostObject = 1;

// Host object flags (tested against the paint pass numbers).
constexpr uint32_t kHostObjectPaintedByHost = 2;
constexpr uint32_t kHostObjectHasLight = 8;

class KScenePoint {
public:
    // The stored position, truncated (saturated) to integers.
    virtual void GetPosition(int32_t* outX, int32_t* outY);
    virtual void SetPosition(int32_t newX, int32_t newY);

    KIntPoint Position() {
        KIntPoint p;
        GetPosition(&p.x, &p.y);
        return p;
    }
    bool IsHostObject() const { return kind == kItemHostObject; }

    // Fragment words.
    KIntPoint EndPoint() const { return KIntPoint{end.x, end.y}; }
    KIntPoint StoredPosition() const;
    uint32_t RecordFlags() const;  // 0 without a record

    struct HostWords {
        int32_t id;
        uint32_t flags;
    };
    struct EndWords {
        int32_t x;
        int32_t y;
    };
    struct OwnerWords {
        KTreeNode* node;    // whose child slot holds the object's list
        KScenePoint* item;  // whose behind or front list holds it
    };
    struct KeyWords {
        float a;
        float b;
    };
    struct PieceWords {
        uint16_t cacheHint;
        uint8_t owned;  // 1: the tree frees this fragment
        uint8_t split;  // 1: part of a cut base line
    };

    uint32_t kind = kItemRegionFragment;
    KScenePoint* next = nullptr;    // following item of the same list
    KScenePoint* behind = nullptr;  // items painted just before this one
    KScenePoint* front = nullptr;   // items painted just after this one
    float x = 0;
    float y = 0;
    uint32_t wordA = 0;  // host object: the host's kind; fragment: cached picture id
    union {
        HostWords host = {0, 0};
        EndWords end;  // base line end
    };
    union {
        OwnerWords owner = {nullptr, nullptr};
        KeyWords key;  // line key of the source record
    };
    union {
        KScenePoint* previous = nullptr;  // host object: null for a list head
        PieceWords piece;
    };
    union {
        const KRegionObjectRecord* record = nullptr;  // fragment: what it draws
        float z;                                      // host object: height
    };

protected:
    KScenePoint() = default;
    ~KScenePoint() = default;
    KScenePoint(const KScenePoint&) = default;
    KScenePoint& operator=(const KScenePoint&) = default;
};

// A moving object of the host, owned by the scene place.
class KSceneObject final : public KScenePoint {
public:
    KSceneObject();
    // From the host's model when it has one, else the stored position.
    void GetPosition(int32_t* outX, int32_t* outY) override;
    // Moves the object's model there over `duration` ms (-1: 80 ms; at once
    // while the place places a new object that is not the player), or the
    // stored position without a model. The player's moves are told to the
    // host.
    void MoveTo(int32_t toX, int32_t toY, int32_t duration);

    // Taken out by the host while the place still walks or moves it: the
    // place frees it once its own call ends, and skips it meanwhile.
    bool removed = false;
};

// A region object fragment: made by the region merge from an object record,
// or by the tree when it cuts a fragment in two.
class KTreePoint final : public KScenePoint {
public:
    KTreePoint();
    KTreePoint(const KTreePoint&) = default;
    KTreePoint& operator=(const KTreePoint&) = default;
};
