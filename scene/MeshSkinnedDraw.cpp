// Drawing a skinned mesh combination by combination in its mode: the
// skinning shaders (2), indexed vertex blending (1), or non-indexed
// blending with a software pass for what the hardware cannot blend (0).
// The palette is rebuilt from the bones' current matrices at every draw.
#include <d3dx9.h>

#include "scene/KMaterial.h"
#include "scene/KMesh.h"
#include "shell/D3DDevice.h"
#include "shell/SkinningShaders.h"

namespace {

constexpr DWORD kDrawEmptyBoneSlot = 0xFFFFFFFF;

// The material handling the three draws share: the material is applied
// when the attribute changes, and a refused material or a failed draw holds
// the following combinations back until it is applied again.
class SkinMaterialRun {
public:
    SkinMaterialRun(KMaterial* material, D3DCOLOR colour, float alpha)
        : m_material(material), m_colour(colour), m_alpha(alpha) {}

    // Whether the combination of `attribute` is to be drawn.
    bool Ready(DWORD attribute, BYTE depthWrite) {
        if (!m_hasLast || attribute != m_last) {
            if (m_material) m_status = m_material->Apply(m_colour, attribute, m_alpha, depthWrite);
            m_last = attribute;
            m_hasLast = true;
        }
        return m_status >= 0;
    }
    void Drawn(HRESULT result) { m_status = result; }
    void ForgetAttribute() { m_hasLast = false; }
    HRESULT Status() const { return m_status; }

private:
    KMaterial* m_material;
    D3DCOLOR m_colour;
    float m_alpha;
    DWORD m_last = 0;
    bool m_hasLast = false;
    HRESULT m_status = 0;
};

DWORD CullForAlpha(float alpha) { return alpha >= 1.0f ? D3DCULL_NONE : D3DCULL_CW; }

void SetCombinationStates(IDirect3DDevice9* device, DWORD cull, IDirect3DBaseTexture9* texture) {
    device->SetRenderState(D3DRS_CULLMODE, cull);
    if (texture) device->SetTexture(0, texture);
}

}  // namespace

// A conversion that has not succeeded leaves nothing to draw, even when
// a half-made skinned mesh is still held.
bool KMesh::HasUsableSkin() const { return conversionStamp == 0 && skinnedMesh && combinationTable; }

void KMesh::BuildWorldPalette(const D3DXMATRIX& world) {
    for (DWORD b = 0; b < boneCount; ++b) {
        D3DXMATRIX posed;
        D3DXMatrixMultiply(&posed, &bones[b].offsetMatrix, &bones[b].currentMatrix);
        D3DXMatrixMultiply(&paletteMatrices[b], &posed, &world);
    }
}

void KMesh::BuildShaderPalette() {
    for (DWORD b = 0; b < boneCount; ++b)
        D3DXMatrixMultiplyTranspose(&paletteMatrices[b], &bones[b].offsetMatrix, &bones[b].currentMatrix);
}

void KMesh::SetSlotMatrices(const D3DXBONECOMBINATION& combination, DWORD slots) {
    for (DWORD j = 0; j < slots; ++j) {
        const DWORD bone = combination.BoneId[j];
        if (bone != kDrawEmptyBoneSlot && bone < boneCount) device->SetTransform(D3DTS_WORLDMATRIX(j), &paletteMatrices[bone]);
    }
}

DWORD KMesh::LastBlendSlot(const D3DXBONECOMBINATION& combination) const {
    DWORD last = 0;
    for (DWORD k = 0; k < maxInfluences; ++k)
        if (combination.BoneId[k] != kDrawEmptyBoneSlot) last = k;
    return last;
}

// Mode 2. A mesh blending more influences than there are shaders, or one
// whose shader was not made, is not drawn.
HRESULT KMesh::DrawShaderSkinned(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite) {
    if (!HasUsableSkin() || !declaration || maxInfluences < 1 || maxInfluences > kSkinningShaderCount) return E_FAIL;
    IDirect3DVertexShader9* shader = g_D3DDevice.GetSkinningShader(int(maxInfluences) - 1);
    if (!shader) return E_FAIL;
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    skinnedMesh->GetVertexBuffer(&vertices);
    skinnedMesh->GetIndexBuffer(&indices);

    device->SetStreamSource(0, nullptr, 0, 0);
    D3DXMATRIX world, view, projection;
    device->GetTransform(D3DTS_WORLD, &world);
    BuildShaderPalette();
    device->SetSoftwareVertexProcessing(FALSE);
    device->SetVertexShader(shader);
    const float indexScale[4] = {1.0f, 0.0f, 0.0f, kBoneIndexScale};
    device->SetVertexShaderConstantF(0, indexScale, 1);
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    D3DXMATRIX viewProjection, transform;
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    D3DXMatrixMultiplyTranspose(&transform, &world, &viewProjection);
    device->SetVertexShaderConstantF(kViewProjectionFirstRegister, transform, 4);

    const D3DXBONECOMBINATION* table = Combinations();
    const UINT stride = skinnedMesh->GetNumBytesPerVertex();
    SkinMaterialRun run(material, colour, alpha);
    for (DWORD i = 0; i < combinationCount; ++i) {
        const D3DXBONECOMBINATION& combination = table[i];
        for (DWORD j = 0; j < paletteSize; ++j) {
            const DWORD bone = combination.BoneId[j];
            if (bone == kDrawEmptyBoneSlot || bone >= boneCount) continue;
            device->SetVertexShaderConstantF(UINT(kBonePaletteFirstRegister + kRegistersPerBone * int(j)),
                                             paletteMatrices[bone], kRegistersPerBone);
        }
        if (!run.Ready(combination.AttribId, depthWrite)) continue;
        SetCombinationStates(device, CullForAlpha(alpha), texture);
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, vertices, 0, stride);
        device->SetIndices(indices);
        run.Drawn(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, combination.VertexStart, combination.VertexCount,
                                               combination.FaceStart * 3, combination.FaceCount));
    }
    device->SetVertexShader(nullptr);
    if (vertices) vertices->Release();
    if (indices) indices->Release();
    return run.Status();
}

// Mode 1.
HRESULT KMesh::DrawIndexedSkinned(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite) {
    if (!HasUsableSkin()) return E_FAIL;
    device->SetStreamSource(0, nullptr, 0, 0);
    D3DXMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    BuildWorldPalette(world);
    device->SetSoftwareVertexProcessing(FALSE);
    device->SetRenderState(D3DRS_VERTEXBLEND, maxInfluences == 1 ? DWORD(D3DVBF_0WEIGHTS) : maxInfluences - 1);
    device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
    const D3DXBONECOMBINATION* table = Combinations();
    SkinMaterialRun run(material, colour, alpha);
    for (DWORD i = 0; i < combinationCount; ++i) {
        SetSlotMatrices(table[i], paletteSize);
        if (!run.Ready(table[i].AttribId, depthWrite)) continue;
        SetCombinationStates(device, CullForAlpha(alpha), texture);
        run.Drawn(skinnedMesh->DrawSubset(i));
    }
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetTransform(D3DTS_WORLD, &world);
    return run.Status();
}

// Mode 0: the combinations the hardware blends in table order, then the
// others with software vertex processing, culling off and without depth
// writes of their own.
HRESULT KMesh::DrawBlendedSkinned(KMaterial* material, float alpha, IDirect3DBaseTexture9* texture, BYTE depthWrite) {
    if (!HasUsableSkin()) return E_FAIL;
    device->SetStreamSource(0, nullptr, 0, 0);
    D3DXMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    BuildWorldPalette(world);
    const DWORD hardwareMatrices = g_D3DDevice.GetCaps().MaxVertexBlendMatrices;
    const D3DXBONECOMBINATION* table = Combinations();
    SkinMaterialRun run(material, colour, alpha);
    for (DWORD i = 0; i < combinationCount; ++i) {
        const DWORD last = LastBlendSlot(table[i]);
        if (last + 1 > hardwareMatrices) continue;
        SetSlotMatrices(table[i], maxInfluences);
        device->SetRenderState(D3DRS_VERTEXBLEND, last);
        if (!run.Ready(table[i].AttribId, depthWrite)) continue;
        SetCombinationStates(device, CullForAlpha(alpha), texture);
        run.Drawn(skinnedMesh->DrawSubset(i));
    }
    if (firstSoftwareCombination < combinationCount) {
        run.ForgetAttribute();
        device->SetSoftwareVertexProcessing(TRUE);
        for (DWORD i = firstSoftwareCombination; i < combinationCount; ++i) {
            const DWORD last = LastBlendSlot(table[i]);
            if (last + 1 <= hardwareMatrices) continue;
            SetSlotMatrices(table[i], maxInfluences);
            device->SetRenderState(D3DRS_VERTEXBLEND, last);
            if (!run.Ready(table[i].AttribId, 0)) continue;
            SetCombinationStates(device, D3DCULL_NONE, texture);
            run.Drawn(skinnedMesh->DrawSubset(i));
        }
        if (!(g_D3DDevice.behaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING)) device->SetSoftwareVertexProcessing(FALSE);
    }
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetTransform(D3DTS_WORLD, &world);
    return run.Status();
}
