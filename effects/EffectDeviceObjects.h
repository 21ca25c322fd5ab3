// The default-pool buffers of particle systems and static meshes, which the
// device must see released before a reset. Each system and mesh enters the
// module-wide list when made and leaves it when destroyed; the shell's
// device-object calls reach them all through the two functions below.
#pragma once

class KParticleSystem;
class KStaticMesh;

void TrackDeviceObjects(KParticleSystem* system);
void ForgetDeviceObjects(KParticleSystem* system);
void TrackDeviceObjects(KStaticMesh* mesh);
void ForgetDeviceObjects(KStaticMesh* mesh);

// Releases every tracked buffer; particles grow theirs again at the next
// Render, meshes in RestoreEffectDeviceObjects.
void InvalidateEffectDeviceObjects();
void RestoreEffectDeviceObjects();
