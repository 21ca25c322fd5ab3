// The state options of material records: each saves the states it sets
// into its own data block and sets them back from there.
#include <d3dx9math.h>

#include "scene/KMaterial.h"

namespace {

constexpr D3DTEXTURESTAGESTATETYPE kStageStates[6] = {D3DTSS_COLOROP,   D3DTSS_COLORARG1, D3DTSS_COLORARG2,
                                                      D3DTSS_ALPHAOP,   D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2};
// Texture matrices exist for the first four stages only.
constexpr DWORD kStagesWithTextureMatrix = 4;

}  // namespace

void KMaterial::ApplyOption(DWORD stage, KMaterialOption& option) {
    if (!device) return;
    if (auto* cull = std::get_if<KCullOption>(&option.data)) {
        device->GetRenderState(D3DRS_CULLMODE, &cull->savedCullMode);
        device->SetRenderState(D3DRS_CULLMODE, cull->cullMode);
    } else if (auto* blend = std::get_if<KBlendOption>(&option.data)) {
        device->GetRenderState(D3DRS_SRCBLEND, &blend->savedSource);
        device->GetRenderState(D3DRS_DESTBLEND, &blend->savedDestination);
        device->SetRenderState(D3DRS_SRCBLEND, blend->sourceBlend);
        device->SetRenderState(D3DRS_DESTBLEND, blend->destinationBlend);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    } else if (auto* states = std::get_if<KStageStatesOption>(&option.data)) {
        for (int i = 0; i < 6; ++i) device->GetTextureStageState(stage, kStageStates[i], &states->saved[i]);
        device->GetRenderState(D3DRS_TEXTUREFACTOR, &states->saved[6]);
        const DWORD values[6] = {states->colorOp, states->colorArg1, states->colorArg2,
                                 states->alphaOp, states->alphaArg1, states->alphaArg2};
        for (int i = 0; i < 6; ++i) device->SetTextureStageState(stage, kStageStates[i], values[i]);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, states->textureFactor);
    } else if (auto* coords = std::get_if<KTexCoordOption>(&option.data)) {
        device->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &coords->savedIndex);
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, coords->index);
    } else if (auto* transform = std::get_if<KTexTransformOption>(&option.data)) {
        device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
        D3DXMATRIX scaling, rotation, m;
        D3DXMatrixScaling(&scaling, transform->scale[0], transform->scale[1], transform->scale[2]);
        D3DXMatrixRotationYawPitchRoll(&rotation, transform->yawPitchRoll[0], transform->yawPitchRoll[1],
                                       transform->yawPitchRoll[2]);
        D3DXMatrixMultiply(&m, &scaling, &rotation);
        m._41 = transform->translation[0];
        m._42 = transform->translation[1];
        m._43 = transform->translation[2];
        if (stage < kStagesWithTextureMatrix)
            device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &m);
    }
}

void KMaterial::RestoreOption(DWORD stage, KMaterialOption& option) {
    if (!device) return;
    if (auto* cull = std::get_if<KCullOption>(&option.data)) {
        device->SetRenderState(D3DRS_CULLMODE, cull->savedCullMode);
    } else if (auto* blend = std::get_if<KBlendOption>(&option.data)) {
        device->SetRenderState(D3DRS_SRCBLEND, blend->savedSource);
        device->SetRenderState(D3DRS_DESTBLEND, blend->savedDestination);
    } else if (auto* states = std::get_if<KStageStatesOption>(&option.data)) {
        for (int i = 0; i < 6; ++i) device->SetTextureStageState(stage, kStageStates[i], states->saved[i]);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, states->saved[6]);
    } else if (auto* coords = std::get_if<KTexCoordOption>(&option.data)) {
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, coords->savedIndex);
    } else if (std::holds_alternative<KTexTransformOption>(option.data)) {
        device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    }
}

void KMaterial::SetValueAll(DWORD value) {
    auto setCull = [value](std::vector<KMaterialOption>& options) {
        for (KMaterialOption& option : options)
            if (auto* cull = std::get_if<KCullOption>(&option.data)) *cull = KCullOption{value, value};
    };
    for (KMaterialRecord& record : records) {
        setCull(record.options);
        for (auto& stageOptions : record.stageOptions) setCull(stageOptions);
    }
}
