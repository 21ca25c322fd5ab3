// The paint passes over the tree: the light grid in pass 1, region
// fragments and the host's pass-2 objects in pass 2, and the host objects
// whose flags share a bit with the pass number in every other pass.
#include "place/ObjectPaint.h"
#include "place/SceneObjectTree.h"
#include "place/ScenePlaceHost.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

namespace {

constexpr int32_t kFragmentPass = 2;
constexpr int32_t kLightPass = 1;

bool InRect(KIntPoint p, const int32_t rect[4]) {
    return p.x >= rect[0] && p.y >= rect[1] && p.x < rect[2] && p.y < rect[3];
}

void PaintHostObject(KScenePoint& item, const int32_t rect[4], int32_t pass) {
    if ((item.host.flags & uint32_t(pass)) == 0) return;
    IScenePlaceHost* host = ScenePlaceHost();
    if (!host) return;
    const KIntPoint at = item.Position();
    if (InRect(at, rect)) host->PaintObject(int32_t(item.wordA), item.host.id, at.x, at.y, 0, 0, pass);
}

struct FragmentPassVisitor {
    const int32_t* rect;
    void NodeFragment(KScenePoint* fragment) { PaintNodeFragment(*fragment, rect); }
    void ListItem(KScenePoint* item) {
        if (item->IsHostObject())
            PaintHostObject(*item, rect, kFragmentPass);
        else
            PaintListFragment(*item, rect);
    }
};

struct HostPassVisitor {
    const int32_t* rect;
    int32_t pass;
    void ListItem(KScenePoint* item) {
        if (item->IsHostObject()) PaintHostObject(*item, rect, pass);
    }
};

}  // namespace

void KSceneObjectTree::PaintPass(const int32_t rect[4], int32_t pass) {
    if (!ShellServices()) return;
    if (pass == kLightPass && m_lightGridOn) {
        BuildLightGrid();
        ShellServices()->SetLightColorGrid(m_gridOriginX, m_gridOriginY, m_grid.Colours());
    }
    if (pass == kFragmentPass) {
        FragmentPassVisitor visitor{rect};
        WalkPaintOrder(visitor);
        return;
    }
    HostPassVisitor visitor{rect, pass};
    WalkLeafLists(visitor);
}
