// Slots that later work fills in. Until then each returns the failure value
// its operation documents (false, 0, null, -1 or E_FAIL) and does nothing.
// Move a body out of this file when its operation is built.
#include "shell/KDrawShell.h"

/*  16 */ KParticleSystem* KDrawShell::CreateParticleSystem(int) { return nullptr; }
/*  17 */ void KDrawShell::ReleaseParticleSystem(KParticleSystem**) {}
/* 130 */ bool KDrawShell::ShrinkPlaceGround() { return false; }
/* 149 */ void KDrawShell::RenderOwnViewPass(KModelProxy**, int, int, int, int, int, DWORD) {}
/* 166 */ void KDrawShell::RenderTimedPass(KStaticMesh*, int, int, int, int) {}
