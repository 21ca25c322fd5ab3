// The paint passes over the tree: the light grid in pass 1, region
// fragments and the host's pass-2 objects in pass 2, and the host objects
// whose flags share a bit with the pass number in every other pass. The
// order is taken whole before the host's first PaintObject of the pass.
#include <vector>

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

// One step of a pass, in paint order, taken from the tree before the
// host is called.
struct PaintStep {
    enum What : uint8_t { NodeFragment, ListFragment, HostObject };
    KScenePoint* item;
    What what;
};

struct FragmentPassCollector {
    std::vector<PaintStep>& steps;
    void NodeFragment(KScenePoint* fragment) { steps.push_back({fragment, PaintStep::NodeFragment}); }
    void ListItem(KScenePoint* item) {
        steps.push_back({item, item->IsHostObject() ? PaintStep::HostObject : PaintStep::ListFragment});
    }
};

struct HostPassCollector {
    std::vector<PaintStep>& steps;
    void ListItem(KScenePoint* item) {
        if (item->IsHostObject()) steps.push_back({item, PaintStep::HostObject});
    }
};

}  // namespace

void KSceneObjectTree::PaintPass(const int32_t rect[4], int32_t pass) {
    if (!ShellServices()) return;
    if (pass == kLightPass && m_lightGridOn) {
        BuildLightGrid();
        ShellServices()->SetLightColorGrid(m_gridOriginX, m_gridOriginY, m_grid.Colours());
    }
    std::vector<PaintStep> steps;
    if (pass == kFragmentPass) {
        FragmentPassCollector collector{steps};
        WalkPaintOrder(collector);
    } else {
        HostPassCollector collector{steps};
        WalkLeafLists(collector);
    }
    const uint32_t resets = m_resets;
    for (const PaintStep& step : steps) {
        // A reset or clear from the host's last call took the fragments
        // and links this order was taken from.
        if (m_resets != resets) return;
        switch (step.what) {
            case PaintStep::NodeFragment: PaintNodeFragment(*step.item, rect); break;
            case PaintStep::ListFragment: PaintListFragment(*step.item, rect); break;
            case PaintStep::HostObject:
                if (!static_cast<KSceneObject*>(step.item)->removed) PaintHostObject(*step.item, rect, pass);
                break;
        }
    }
}
