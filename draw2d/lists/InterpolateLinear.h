// Maps x from [x0, x1] onto [a0, a1]; the corner and sprite renderers use it
// between positions and texture coordinates.
#pragma once

// Computed in double precision so that long spans keep their texel edges.
float InterpolateLinear(float a0, float a1, float x0, float x1, float x);
