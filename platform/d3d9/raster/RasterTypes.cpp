#include "d3d9/raster/RasterTypes.h"

#include <cstring>

namespace raster {

Matrix IdentityMatrix() {
    Matrix m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

namespace {
uint32_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}
}  // namespace

void SetDefaultStates(StateBlock& s) {
    s = StateBlock{};
    uint32_t* r = s.render;
    r[D3DRS_ZENABLE] = D3DZB_TRUE;
    r[D3DRS_FILLMODE] = D3DFILL_SOLID;
    r[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    r[D3DRS_ZWRITEENABLE] = 1;
    r[D3DRS_LASTPIXEL] = 1;
    r[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    r[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    r[D3DRS_CULLMODE] = D3DCULL_CCW;
    r[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    r[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    r[D3DRS_STENCILFAIL] = r[D3DRS_STENCILZFAIL] = r[D3DRS_STENCILPASS] = 1;  // KEEP
    r[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    r[D3DRS_STENCILMASK] = r[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    r[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    r[D3DRS_CLIPPING] = 1;
    r[D3DRS_LIGHTING] = 1;
    r[D3DRS_COLORVERTEX] = 1;
    r[D3DRS_LOCALVIEWER] = 1;
    r[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    r[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    r[D3DRS_POINTSIZE] = FloatBits(1.0f);
    r[D3DRS_COLORWRITEENABLE] = 0xF;
    r[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    for (int i = 0; i < kMaxStages; ++i) {
        uint32_t* t = s.stage[i];
        t[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = uint32_t(i);
        t[D3DTSS_COLORARG0] = t[D3DTSS_ALPHAARG0] = t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        uint32_t* p = s.sampler[i];
        p[D3DSAMP_ADDRESSU] = p[D3DSAMP_ADDRESSV] = p[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        p[D3DSAMP_MAGFILTER] = p[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        p[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        s.texture[i] = IdentityMatrix();
    }
    for (Matrix& w : s.world) w = IdentityMatrix();
    s.view = IdentityMatrix();
    s.projection = IdentityMatrix();
}

}  // namespace raster
