// The scene place's back-to-front order of map objects and host objects.
//
// A binary space partition over ground lines: the first region fragment in
// a node becomes its splitter; further fragments go to the side they lie
// on, are cut where they cross, or join the node when they share its line
// key. The leaves hold item lists into which point items, free-standing
// segments and the host's objects are sorted by ground y and by the walls
// that cover them. Walks visit side 0, the node's fragments, then side 1;
// within a list each item's behind list, the item, its front list, then
// the next item.
//
// Ownership: host objects belong to the scene place, region fragments to
// their region (keep them alive until the next ResetForMerge or Clear);
// fragments the tree cuts off (owned byte 1) and the nodes belong to the
// tree. Deleting a node dissolves its lists, so no item keeps a link into
// freed memory. Insertion, walks and clearing keep their own stacks, so a
// degenerate tree of any depth is safe.
//
// The region merge clears the tree (ResetForMerge), inserts the fragments
// of every wall line, then segment items, then point items and lights, and
// ends with ReinsertPendingObjects. Every item enters with its list links
// cleared: read a chain's next link before handing an item over.
#pragma once

#include <cstdint>
#include <vector>

#include "place/LightGrid.h"
#include "place/TreeItems.h"
#include "place/TreeNode.h"

class KSceneLight;
struct KRegionLightRecord;

class KSceneObjectTree {
public:
    KSceneObjectTree();
    ~KSceneObjectTree();
    KSceneObjectTree(const KSceneObjectTree&) = delete;
    KSceneObjectTree& operator=(const KSceneObjectTree&) = delete;

    // Region merge: a fragment of a wall line into the partition.
    void InsertRegionFragment(KTreePoint* fragment);
    // Region merge: a free-standing segment into a leaf list.
    void InsertSegmentItem(KTreePoint* item);
    // A point item (a host object, or a region's point object) into a leaf
    // list; a host object also gets its light unless it has one. A host
    // object still in the tree is taken out first.
    void InsertObject(KScenePoint* item);
    // Takes a host object out of the tree (or the pending list) and frees
    // its light. Harmless for an object that is in neither.
    void RemoveObject(KSceneObject* object);

    // First step of a merge: every host object to the pending list, the
    // partition cleared, the lights without owner deleted.
    void ResetForMerge();
    // Last step: every pending object back into the tree. The rectangle
    // (left, top, right, bottom) drops nothing.
    void ReinsertPendingObjects(const int32_t rect[4]);
    // Deletes the partition, empties the pending list, frees every light.
    void Clear();

    // The base node's horizontal splitter, used while no fragment is in.
    void SetBaseLine(int32_t x1, int32_t x2, int32_t y);
    void SetGridOrigin(int32_t x, int32_t y);
    int32_t GridOriginX() const { return m_gridOriginX; }
    int32_t GridOriginY() const { return m_gridOriginY; }

    using ItemCallback = void (*)(void* context, KScenePoint* item);
    // Every item: node fragments and list items in paint order.
    void WalkItems(void* context, ItemCallback callback) const;
    // Paint order: visitor.NodeFragment(item) and visitor.ListItem(item).
    template <class Visitor>
    void WalkPaintOrder(Visitor& visitor) const;
    // The leaf lists only, in the same order: visitor.ListItem(item).
    template <class Visitor>
    void WalkLeafLists(Visitor& visitor) const;

    // Lights: the tree deletes them.
    void AddLight(KSceneLight* light);
    const std::vector<KSceneLight*>& Lights() const { return m_lights; }
    void DeleteLightsOwnedBy(const KSceneObject* owner);
    void DeleteOwnerlessLights();
    void DeleteAllLights();
    // Region merge: a flickering light for each record, while object
    // lights are on.
    void AddRegionLights(const KRegionLightRecord* records, uint32_t count);
    // Steps the map lights (those without an owner).
    void Update();
    // The ambient colour plus every light's share, smoothed.
    void BuildLightGrid();
    const KLightGrid& LightGrid() const { return m_grid; }

    // Painting: pass 1 builds and hands over the light grid and paints the
    // host objects of pass 1; pass 2 paints fragments and the host objects
    // the host draws; other passes paint their host objects only.
    // rect: left, top (inclusive), right, bottom (exclusive).
    //
    // The host's PaintObject may move, add or remove objects and reset or
    // clear the tree: the pass takes its order from the tree before the
    // first call, skips objects removed meanwhile (the place frees them
    // after the pass), and ends when the tree was reset or cleared.
    void PaintPass(const int32_t rect[4], int32_t pass);
    // Raised by every reset and clear: what a walk took from the tree
    // before may be gone.
    uint32_t Resets() const { return m_resets; }

    // Values the place sets.
    void SetAmbientColor(uint32_t argb) { m_ambient = argb; }
    uint32_t AmbientColor() const { return m_ambient; }
    // Off deletes every map light.
    void EnableObjectLights(bool on);
    bool ObjectLightsOn() const { return m_objectLightsOn != 0; }
    void EnableLightGrid(bool on) { m_lightGridOn = on ? 1 : 0; }
    bool LightGridOn() const { return m_lightGridOn != 0; }
    void SetIndoor(bool indoor) { m_indoor = indoor ? 1 : 0; }
    bool Indoor() const { return m_indoor != 0; }
    void SetPlayerLightColour(uint32_t argb) { m_playerLight = argb; }
    uint32_t PlayerLightColour() const { return m_playerLight; }
    void SetTimeOfDay(int32_t minutes) { m_timeOfDay = minutes; }
    int32_t TimeOfDay() const { return m_timeOfDay; }

    const KTreeNode* Root() const { return m_root; }
    const KTreeNode& BaseNode() const { return m_baseNode; }
    // Where inserts and walks start: the root, or the base node without one.
    const KTreeNode* Top() const { return m_root ? m_root : &m_baseNode; }
    KScenePoint* PendingHead() const { return m_pendingAnchor.next; }

private:
    KTreeNode* TopNode() { return m_root ? m_root : &m_baseNode; }

    // Fragments.
    struct NodeWork {
        KTreeNode* node;
        KScenePoint* fragment;
    };
    void InsertIntoNode(KTreeNode* node, KScenePoint* fragment);
    void InsertIntoChild(KTreeNode* node, int i, KScenePoint* fragment, std::vector<NodeWork>& work);
    void AddToNode(KTreeNode* node, KScenePoint* fragment);
    static KScenePoint* SplitFragment(KScenePoint* fragment, KIntPoint cut);
    static void DropFragment(KScenePoint* fragment);

    // Lists.
    struct ListSlot {
        KTreeNode* node;    // owner node, or null
        KScenePoint* item;  // owner item, or null
        int child;          // node child slot; 0 behind, 1 front of item
        KScenePoint*& Head() const;
    };
    static void SortIntoList(ListSlot slot, KScenePoint* object);
    static void SortSegmentIntoList(ListSlot slot, KScenePoint* item);
    static void LinkIntoList(ListSlot slot, KScenePoint* previous, KScenePoint* item);
    static void UnlinkItem(KScenePoint* object);
    static bool IsLinked(const KScenePoint* object);
    void AddObjectLight(KSceneObject* object);

    // Clearing.
    // Every host object to the pending list; the partition cleared.
    void CollectHostObjects();
    void ClearNodeContents(KTreeNode* node, bool collectHostObjects);
    void DissolveList(KScenePoint* head, bool collectHostObjects);
    void PushPending(KScenePoint* object);

    KTreeNode* m_root = nullptr;
    KTreeNode m_baseNode;
    KTreePoint m_pendingAnchor;
    uint32_t m_resets = 0;
    int32_t m_gridOriginX = 0;
    int32_t m_gridOriginY = 0;
    std::vector<KSceneLight*> m_lights;

    // Lighting, after the tree's own fields.
    uint8_t m_indoor = 0;
    uint8_t m_objectLightsOn = 1;
    uint8_t m_lightGridOn = 1;
    uint32_t m_ambient = 0xFF000000;
    KLightGrid m_grid;
    uint32_t m_playerLight = 0xFFFFFFFF;
    int32_t m_timeOfDay = 0;
};

#include "place/SceneTreeWalk.h"
