#include "scene/NodeRegistration.h"

namespace {

KNodeRegistrationFn g_RegisterNodeFn = nullptr;
KNodeRegistrationFn g_UnregisterNodeFn = nullptr;

}  // namespace

void SetRegisterNodeFn(KNodeRegistrationFn fn) { g_RegisterNodeFn = fn; }
void SetUnregisterNodeFn(KNodeRegistrationFn fn) { g_UnregisterNodeFn = fn; }
KNodeRegistrationFn GetRegisterNodeFn() { return g_RegisterNodeFn; }
KNodeRegistrationFn GetUnregisterNodeFn() { return g_UnregisterNodeFn; }

void ResetNodeRegistrationForTests() {
    g_RegisterNodeFn = nullptr;
    g_UnregisterNodeFn = nullptr;
}
