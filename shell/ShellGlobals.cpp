#include "shell/ShellGlobals.h"

#include "scene/KModelManager.h"
#include "scene/NodeRegistration.h"
#include "shell/ClientSettings.h"
#include "shell/D3DShellStartup.h"
#include "shell/FrameState.h"
#include "shell/KDrawShell.h"
#include "shell/NeighbourServices.h"

KDrawShell* g_pDrawShell = nullptr;

KShellServices* ShellServices() { return g_pDrawShell; }
int g_ProjectionMode = 1;
float g_ProjectionRamp = kProjectionRampOrtho;
int g_ProjectionRampState = -1;
float g_FreeCameraZoomLimit = 5.0f;
bool g_FreeCamera = false;
DWORD g_FrameTime = 0;
D3DFORMAT g_SixteenBitFormat = D3DFMT_R5G6B5;
DWORD g_ReservedValue = 0;
bool g_ReservedFlag = false;
int g_BrightnessLevel = 60;
KPlaceMapTarget g_PlaceMapTarget{};

void ResetShellForTests() {
    // Models and meshes give their buffers and textures back while the device stands.
    ResetModelManagerForTests();
    delete g_pDrawShell;
    g_pDrawShell = nullptr;
    g_ProjectionMode = 1;
    g_ProjectionRamp = kProjectionRampOrtho;
    g_ProjectionRampState = -1;
    g_FreeCameraZoomLimit = 5.0f;
    g_FreeCamera = false;
    g_FrameTime = 0;
    g_SixteenBitFormat = D3DFMT_R5G6B5;
    g_ReservedValue = 0;
    g_ReservedFlag = false;
    g_BrightnessLevel = 60;
    g_PlaceMapTarget = KPlaceMapTarget{};
    StopGdiplusSession();
    ResetFrameStateForTests();
    ResetClientSettings();
    neighbours::ResetForTests();
    ResetNodeRegistrationForTests();
    ResetDirect3DForTests();
}
