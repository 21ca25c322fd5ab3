// Vertex declarations and shader objects. A vertex shader is decoded once,
// when it is created, into the program the vertex stage runs; pixel shaders
// keep only their tokens.
#pragma once

#include <memory>
#include <vector>

#include "d3d9/raster/ShaderProgram.h"

#include "d3d9/ComObject.h"
#include "d3d9/Resource.h"

namespace lumiva::d3d9 {

template <class Interface>
class DeviceChild : public Interface, public ObjectBase {
public:
    explicit DeviceChild(Device* device) : device_(device) {
        AttachChild(device_, this, D3DPOOL_SYSTEMMEM, false);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseObject(); }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        return HandOutDevice(device_, IsDead(), device);
    }

protected:
    void OnFinalRelease() override { DetachChild(device_, this, D3DPOOL_SYSTEMMEM, false); }
    Device* device_;
};

class VertexDeclaration final : public DeviceChild<IDirect3DVertexDeclaration9> {
public:
    // The elements up to and excluding the end marker; false when no end
    // marker comes within MAXD3DDECLLENGTH entries or an element is malformed.
    static bool ParseElements(const D3DVERTEXELEMENT9* elements, std::vector<D3DVERTEXELEMENT9>* out);

    VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* numElements) override;

    // Without the end marker.
    const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements_; }

protected:
    const char* InterfaceName() const override { return "IDirect3DVertexDeclaration9"; }

private:
    std::vector<D3DVERTEXELEMENT9> elements_;
};

template <class Interface>
class ShaderObject final : public DeviceChild<Interface> {
public:
    // The token stream through its end token; false when it has none within
    // a sane length or does not start with a version token of the kind.
    static bool ParseTokens(const DWORD* function, DWORD versionPrefix, std::vector<DWORD>* out);

    ShaderObject(Device* device, std::vector<DWORD> tokens, const GUID& iid, const char* name,
                 std::shared_ptr<const raster::VertexProgram> program = nullptr)
        : DeviceChild<Interface>(device), tokens_(std::move(tokens)), iid_(iid), name_(name),
          program_(std::move(program)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return AnswerQuery(static_cast<Interface*>(this), riid, object, iid_);
    }
    HRESULT STDMETHODCALLTYPE GetFunction(void* data, UINT* sizeOfData) override {
        if (!sizeOfData) return D3DERR_INVALIDCALL;
        const UINT size = static_cast<UINT>(tokens_.size() * sizeof(DWORD));
        if (!data) {
            *sizeOfData = size;
            return D3D_OK;
        }
        if (*sizeOfData < size) return D3DERR_INVALIDCALL;
        std::memcpy(data, tokens_.data(), size);
        *sizeOfData = size;
        return D3D_OK;
    }
    const std::vector<DWORD>& Tokens() const { return tokens_; }
    DWORD Version() const { return tokens_.empty() ? 0 : tokens_[0]; }
    // The decoded program of a vertex shader; null for pixel shaders.
    const raster::VertexProgram* Program() const { return program_.get(); }

protected:
    const char* InterfaceName() const override { return name_; }

private:
    std::vector<DWORD> tokens_;
    GUID iid_;
    const char* name_;
    std::shared_ptr<const raster::VertexProgram> program_;
};

using VertexShader = ShaderObject<IDirect3DVertexShader9>;
using PixelShader = ShaderObject<IDirect3DPixelShader9>;

VertexDeclaration* AsVertexDeclaration(IDirect3DVertexDeclaration9* declaration);
VertexShader* AsVertexShader(IDirect3DVertexShader9* shader);
PixelShader* AsPixelShader(IDirect3DPixelShader9* shader);

}  // namespace lumiva::d3d9
