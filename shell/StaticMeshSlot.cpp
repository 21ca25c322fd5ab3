// Slot 160: a static mesh sized on the module's device. Without a device
// the mesh comes back empty; a refused size or buffer gives null.
#include <new>

#include "effects/KStaticMesh.h"
#include "shell/D3DDevice.h"
#include "shell/KDrawShell.h"

/* 160 */ KStaticMesh* KDrawShell::CreateStaticMesh(int vertexCount, int indexCount) {
    auto* mesh = new (std::nothrow) KStaticMesh;
    if (!mesh) return nullptr;
    if (mesh->Create(g_D3DDevice.device, vertexCount, indexCount) < 0) {
        delete mesh;
        return nullptr;
    }
    return mesh;
}
