#include "draw2d/lists/LightVertexByGrid.h"

#include "draw2d/lists/ColorMath.h"
#include "shell/KDrawShell.h"

uint32_t LightVertexByGrid(KDrawShell& shell, KSceneVertex* out, const KSceneVertex& in, uint32_t factor) {
    *out = in;
    uint32_t colour = shell.GetLightGridColor(&in);
    if (factor != 0xFFFFFFFFu) colour = ModulateColor(colour, factor);
    out->colour = colour;
    return colour;
}
