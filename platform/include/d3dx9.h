// Stand-in for the D3DX9 utility library: math, buffers, textures and surfaces.
#pragma once

#include "d3dx9core.h"
#include "d3dx9math.h"
#include "d3dx9mesh.h"
#include "d3dx9shader.h"
#include "d3dx9tex.h"
