// A node's attachment update drives its attached model through these five
// handle operations (KModelProxy's SetShapeFlag, SetPosition, SetScale,
// SetHeading, UpdateTree). Node tests may set a double that takes the calls
// in place of the handle; nothing else in scene/ reaches the handle.
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

// --- Test double ---
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

// The double the operations reach; null: the handle's own operations.
void SetDoubleForTests(IAttachedModelDouble* stand);

}  // namespace attached_model
