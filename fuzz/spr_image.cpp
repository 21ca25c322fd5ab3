// Sprite pictures (KSprImage) over the three kinds: opening in stream and
// memory mode, then every frame's tiles made on the software device. The
// input's length picks the mode and the tile format, so the file's bytes
// stay those of a sprite.
#include "KPakFile.h"
#include "shell/D3DDevice.h"
#include "support/FuzzDevice.h"
#include "support/FuzzTarget.h"
#include "support/SpriteSeeds.h"
#include "textures/Control.h"
#include "textures/KSprImage.h"

using namespace lumiva::fuzz;

LUMIVA_FUZZ_SEEDS(spr_image) { return SeedSprites(); }

LUMIVA_FUZZ_TARGET(spr_image, data, size) {
    g_D3DDevice.device = FuzzDevice();
    ServeFile("fuzz.spr", data, size);
    lumiva::textures::SetSprFrameTableReadFails(size % 2 == 1);
    int loadArgument = (size / 2) % 2;
    {
        KSprImage sprite;
        if (sprite.Open("fuzz.spr", 1)) {
            int frames = sprite.GetFrameCount();
            for (int frame = -1; frame <= frames && frame < 8; ++frame) {
                if (!sprite.LoadFrame("fuzz.spr", frame, true, loadArgument)) continue;
                for (int xy : {0, 1, 7, 100}) sprite.GetPixelAlpha(frame, xy, xy);
            }
            sprite.Trim();
            sprite.Close();
        }
    }
    lumiva::textures::ResetForTests();
}
