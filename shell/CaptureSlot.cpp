// Slot 50: the picture is pasted into the back-buffer surface the capture
// services read.
#include "draw2d/lists/CaptureComposite.h"
#include "shell/KDrawShell.h"

/*  50 */ void KDrawShell::CompositePictureToCapture(void* record) {
    CompositePictureOntoSurface(*this, record, backBufferSurface);
}
