#include "textures/Control.h"

#include "textures/PictureServices.h"
#include "textures/TextureMemoryPolicy.h"

namespace lumiva::textures {
namespace {
bool g_frameTableReadFails = false;
}

void ResetForTests() {
    g_SpriteTextureFailures = 0;
    g_HalfSizeSprites = false;
    g_frameTableReadFails = false;
    picture_services::Reset();
}

void SetSprFrameTableReadFails(bool fails) { g_frameTableReadFails = fails; }
bool SprFrameTableReadFails() { return g_frameTableReadFails; }

}  // namespace lumiva::textures
