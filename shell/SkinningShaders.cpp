#include "shell/SkinningShaders.h"

#include <cstring>

#include <d3dx9.h>

#include "shell/ComRelease.h"
#include "shell/D3DDevice.h"

namespace {

const char kSkin1[] =
    "vs.1.1\n"
    "dcl_position v0\n"
    "dcl_blendindices v2\n"
    "dcl_texcoord v3\n"
    "mul r1, v2.zyxw, c0.wwww\n"
    "mov a0.x, r1.x\n"
    "m4x3 r0.xyz, v0, c[a0.x + 5]\n"
    "mov r0.w, c0.x\n"
    "m4x4 oPos, r0, c1\n"
    "mov oT0, v3\n";

const char kSkin2[] =
    "vs.1.1\n"
    "dcl_position v0\n"
    "dcl_blendweight v1\n"
    "dcl_blendindices v2\n"
    "dcl_texcoord v3\n"
    "mul r1, v2.zyxw, c0.wwww\n"
    "dp3 r2.w, v1, c0.xzz\n"
    "add r2.w, -r2.w, c0.x\n"
    "mov a0.x, r1.x\n"
    "m4x3 r0.xyz, v0, c[a0.x + 5]\n"
    "mul r0.xyz, r0.xyz, v1.xxx\n"
    "mov a0.x, r1.y\n"
    "m4x3 r3.xyz, v0, c[a0.x + 5]\n"
    "mad r0.xyz, r3.xyz, r2.www, r0.xyz\n"
    "mov r0.w, c0.x\n"
    "m4x4 oPos, r0, c1\n"
    "mov oT0, v3\n";

const char kSkin3[] =
    "vs.1.1\n"
    "dcl_position v0\n"
    "dcl_blendweight v1\n"
    "dcl_blendindices v2\n"
    "dcl_texcoord v3\n"
    "mul r1, v2.zyxw, c0.wwww\n"
    "dp3 r2.w, v1, c0.xxz\n"
    "add r2.w, -r2.w, c0.x\n"
    "mov a0.x, r1.x\n"
    "m4x3 r0.xyz, v0, c[a0.x + 5]\n"
    "mul r0.xyz, r0.xyz, v1.xxx\n"
    "mov a0.x, r1.y\n"
    "m4x3 r3.xyz, v0, c[a0.x + 5]\n"
    "mad r0.xyz, r3.xyz, v1.yyy, r0.xyz\n"
    "mov a0.x, r1.z\n"
    "m4x3 r3.xyz, v0, c[a0.x + 5]\n"
    "mad r0.xyz, r3.xyz, r2.www, r0.xyz\n"
    "mov r0.w, c0.x\n"
    "m4x4 oPos, r0, c1\n"
    "mov oT0, v3\n";

const char kSkin4[] =
    "vs.1.1\n"
    "dcl_position v0\n"
    "dcl_blendweight v1\n"
    "dcl_blendindices v2\n"
    "dcl_texcoord v3\n"
    "mul r1, v2.zyxw, c0.wwww\n"
    "dp3 r2.w, v1, c0.xxx\n"
    "add r2.w, -r2.w, c0.x\n"
    "mov a0.x, r1.x\n"
    "m4x3 r0.xyz, v0, c[a0.x + 5]\n"
    "mul r0.xyz, r0.xyz, v1.xxx\n"
    "mov a0.x, r1.y\n"
    "m4x3 r3.xyz, v0, c[a0.x + 5]\n"
    "mad r0.xyz, r3.xyz, v1.yyy, r0.xyz\n"
    "mov a0.x, r1.z\n"
    "m4x3 r3.xyz, v0, c[a0.x + 5]\n"
    "mad r0.xyz, r3.xyz, v1.zzz, r0.xyz\n"
    "mov a0.x, r1.w\n"
    "m4x3 r3.xyz, v0, c[a0.x + 5]\n"
    "mad r0.xyz, r3.xyz, r2.www, r0.xyz\n"
    "mov r0.w, c0.x\n"
    "m4x4 oPos, r0, c1\n"
    "mov oT0, v3\n";

const char* const kSources[kSkinningShaderCount] = {kSkin1, kSkin2, kSkin3, kSkin4};

}  // namespace

const char* SkinningShaderSource(int influences) {
    if (influences < 1 || influences > kSkinningShaderCount) return nullptr;
    return kSources[influences - 1];
}

// A text that does not assemble leaves its handle null; the others are
// still made.
void KD3DDevice::CreateSkinningShaders() {
    for (int k = 0; k < kSkinningShaderCount; ++k) {
        skinShaders[k] = nullptr;
        const char* source = kSources[k];
        ID3DXBuffer* tokens = nullptr;
        if (FAILED(D3DXAssembleShader(source, UINT(std::strlen(source)), nullptr, nullptr, 0, &tokens, nullptr)))
            continue;
        device->CreateVertexShader(static_cast<const DWORD*>(tokens->GetBufferPointer()), &skinShaders[k]);
        tokens->Release();
    }
}

void KD3DDevice::ReleaseSkinningShaders() {
    for (IDirect3DVertexShader9*& shader : skinShaders) ReleaseAndNull(shader);
}

IDirect3DVertexShader9* KD3DDevice::GetSkinningShader(int n) const {
    if (n < 0 || n >= kSkinningShaderCount) return nullptr;
    return skinShaders[n];
}
