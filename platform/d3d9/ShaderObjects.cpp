#include "d3d9/ShaderObjects.h"

namespace lumiva::d3d9 {
namespace {
constexpr DWORD kEndToken = 0x0000FFFF;
constexpr size_t kMaxShaderObjectTokens = 1 << 16;
}  // namespace

bool VertexDeclaration::ParseElements(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>* out) {
    out->clear();
    if (!elements) return false;
    for (UINT i = 0; i < MAXD3DDECLLENGTH; ++i) {
        const D3DVERTEXELEMENT9& e = elements[i];
        if (e.Stream == 0xFF) return e.Type == D3DDECLTYPE_UNUSED;
        if (e.Stream >= 16 || e.Type >= D3DDECLTYPE_UNUSED || e.Usage > D3DDECLUSAGE_SAMPLE ||
            e.Method > D3DDECLMETHOD_LOOKUPPRESAMPLED)
            return false;
        out->push_back(e);
    }
    return false;
}

VertexDeclaration::VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements)
    : DeviceChild(device), elements_(std::move(elements)) {}

HRESULT VertexDeclaration::QueryInterface(REFIID riid, void** object) {
    return AnswerQuery(static_cast<IDirect3DVertexDeclaration9*>(this), riid, object, IID_IDirect3DVertexDeclaration9);
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* numElements) {
    if (!numElements) return D3DERR_INVALIDCALL;
    const UINT count = static_cast<UINT>(elements_.size()) + 1;  // with the end marker
    if (elements) {
        if (*numElements != 0 && *numElements < count) return D3DERR_INVALIDCALL;
        for (size_t i = 0; i < elements_.size(); ++i) elements[i] = elements_[i];
        elements[count - 1] = D3DVERTEXELEMENT9 D3DDECL_END();
    }
    *numElements = count;
    return D3D_OK;
}

template <class Interface>
bool ShaderObject<Interface>::ParseTokens(const DWORD* function, DWORD versionPrefix, std::vector<DWORD>* out) {
    out->clear();
    if (!function || (function[0] & 0xFFFF0000) != versionPrefix) return false;
    for (size_t i = 0; i < kMaxShaderObjectTokens; ++i) {
        out->push_back(function[i]);
        if (function[i] == kEndToken) return true;
    }
    return false;
}

template class ShaderObject<IDirect3DVertexShader9>;
template class ShaderObject<IDirect3DPixelShader9>;

VertexDeclaration* AsVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    return static_cast<VertexDeclaration*>(declaration);
}
VertexShader* AsVertexShader(IDirect3DVertexShader9* shader) { return static_cast<VertexShader*>(shader); }
PixelShader* AsPixelShader(IDirect3DPixelShader9* shader) { return static_cast<PixelShader*>(shader); }

}  // namespace lumiva::d3d9
