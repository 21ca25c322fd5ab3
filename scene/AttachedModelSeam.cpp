// STAND-IN, see AttachedModelSeam.h.
#include "scene/AttachedModelSeam.h"

namespace attached_model {
namespace {

IAttachedModelDouble* g_Double = nullptr;

}  // namespace

void SetDoubleForTests(IAttachedModelDouble* stand) { g_Double = stand; }

void SetShapeFlag(KModelProxy* model, DWORD value) {
    if (g_Double) g_Double->SetShapeFlag(model, value);
}

void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration) {
    if (g_Double) g_Double->SetPosition(model, x, y, z, duration);
}

void SetScale(KModelProxy* model, float x, float y, float z) {
    if (g_Double) g_Double->SetScale(model, x, y, z);
}

void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest) {
    if (g_Double) g_Double->SetHeading(model, a, b, c, duration, shortest);
}

void UpdateTree(KModelProxy* model, DWORD argument) {
    if (g_Double) g_Double->UpdateTree(model, argument);
}

}  // namespace attached_model
