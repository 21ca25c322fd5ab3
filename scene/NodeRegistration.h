// The host's two node callbacks: told when a node becomes a registered
// root (enabled and without a parent) and when it stops being one. The
// exports g_SetRegisterNodeFn and g_SetUnregisterNodeFn store them; null
// (the state at load) means the host is not told.
#pragma once

class IK3DSceneNode;

using KNodeRegistrationFn = bool (*)(IK3DSceneNode* node);

void SetRegisterNodeFn(KNodeRegistrationFn fn);
void SetUnregisterNodeFn(KNodeRegistrationFn fn);
KNodeRegistrationFn GetRegisterNodeFn();
KNodeRegistrationFn GetUnregisterNodeFn();

// Both back to null.
void ResetNodeRegistrationForTests();
