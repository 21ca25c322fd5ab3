#include "draw2d/lists/InterpolateLinear.h"

float InterpolateLinear(float a0, float a1, float x0, float x1, float x) {
    const double t = (double(x) - double(x0)) / (double(x1) - double(x0));
    return float(t * (double(a1) - double(a0)) + double(a0));
}
