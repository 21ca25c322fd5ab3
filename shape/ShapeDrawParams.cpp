#include "shape/ShapeDrawParams.h"

KShapeDrawParams g_ShapeDrawParams;

void ResetShapeDrawParams() { g_ShapeDrawParams = KShapeDrawParams{}; }
