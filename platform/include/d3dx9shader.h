// D3DX shader assembly: vs.1.1 assembler text to the platform's shader
// tokens.
#pragma once

#include "d3d9.h"
#include "d3dx9core.h"

// Flags the assembler accepts; none changes the tokens it writes.
#define D3DXSHADER_DEBUG (1 << 0)
#define D3DXSHADER_SKIPVALIDATION (1 << 1)
#define D3DXSHADER_SKIPOPTIMIZATION (1 << 2)

typedef struct _D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
} D3DXMACRO, *LPD3DXMACRO;

typedef enum _D3DXINCLUDE_TYPE {
    D3DXINC_LOCAL,
    D3DXINC_SYSTEM,
    D3DXINC_FORCE_DWORD = 0x7fffffff
} D3DXINCLUDE_TYPE;

DECLARE_INTERFACE(ID3DXInclude) {
    STDMETHOD(Open)(D3DXINCLUDE_TYPE type, LPCSTR fileName, LPCVOID parentData, LPCVOID* data, UINT* bytes) PURE;
    STDMETHOD(Close)(LPCVOID data) PURE;

protected:
    ~ID3DXInclude() = default;
};
typedef ID3DXInclude* LPD3DXINCLUDE;

// Assembles `length` bytes of text. Defines replace whole words before
// parsing; the include handler is not used (the text may not contain
// preprocessor lines). On failure the result is D3DXERR_INVALIDDATA and,
// when asked for, the error buffer holds one "(line): error: text" line per
// fault, zero-terminated.
HRESULT D3DXAssembleShader(LPCSTR source, UINT length, const D3DXMACRO* defines, LPD3DXINCLUDE include, DWORD flags,
                           LPD3DXBUFFER* shader, LPD3DXBUFFER* errors);

// The version token of a shader's tokens; 0 for null.
DWORD D3DXGetShaderVersion(const DWORD* function);
// Bytes of a shader's tokens through its end token; 0 for null or a stream
// without an end token in its first 64K words.
UINT D3DXGetShaderSize(const DWORD* function);
