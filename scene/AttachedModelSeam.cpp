// A node's attached model is driven through its handle; a test double, when
// set, takes the calls instead.
#include "scene/AttachedModelSeam.h"

#include "scene/KModelProxy.h"

namespace attached_model {
namespace {

IAttachedModelDouble* g_Double = nullptr;

}  // namespace

void SetDoubleForTests(IAttachedModelDouble* stand) { g_Double = stand; }

void SetShapeFlag(KModelProxy* model, DWORD value) {
    if (g_Double) g_Double->SetShapeFlag(model, value);
    else if (model) model->SetShapeFlag(int32_t(value));
}

void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration) {
    if (g_Double) g_Double->SetPosition(model, x, y, z, duration);
    else if (model) model->SetPosition(x, y, z, duration);
}

void SetScale(KModelProxy* model, float x, float y, float z) {
    if (g_Double) g_Double->SetScale(model, x, y, z);
    else if (model) model->SetScale(x, y, z);
}

void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest) {
    if (g_Double) g_Double->SetHeading(model, a, b, c, duration, shortest);
    else if (model) model->SetHeading(a, b, c, duration, shortest);
}

void UpdateTree(KModelProxy* model, DWORD argument) {
    if (g_Double) g_Double->UpdateTree(model, argument);
    else if (model) model->UpdateTree(argument);
}

}  // namespace attached_model
