// SEAM to the model handle. A node's attachment update drives its attached
// model through these five handle operations. Until KModelProxy exists the
// calls go to a stand-in double that tests set (none set: nothing happens).
// The model handle's work fills AttachedModelSeam.cpp with the handle's own
// operations (SetShapeFlag, SetPosition, SetScale, SetHeading, UpdateTree)
// and drops the double; nothing else in scene/ reaches the handle.
#pragma once

#include <windows.h>

class KModelProxy;

namespace attached_model {

void SetShapeFlag(KModelProxy* model, DWORD value);
void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration);
void SetScale(KModelProxy* model, float x, float y, float z);
// The handle's heading arguments (a, b, c), not yet turned into the node's.
void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest);
void UpdateTree(KModelProxy* model, DWORD argument);

// --- Stand-in until the handle exists ---
class IAttachedModelDouble {
public:
    virtual void SetShapeFlag(KModelProxy* model, DWORD value) = 0;
    virtual void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration) = 0;
    virtual void SetScale(KModelProxy* model, float x, float y, float z) = 0;
    virtual void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest) = 0;
    virtual void UpdateTree(KModelProxy* model, DWORD argument) = 0;

protected:
    ~IAttachedModelDouble() = default;
};

// The double the operations reach; null for none.
void SetDoubleForTests(IAttachedModelDouble* stand);

}  // namespace attached_model
