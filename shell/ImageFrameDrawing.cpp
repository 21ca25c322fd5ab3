#include "shell/ImageFrameDrawing.h"

void DrawImageFrame(KSprImage*, int, KImageTexture*, int, int, float, float) {}
