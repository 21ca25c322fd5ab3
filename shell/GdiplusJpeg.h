// JPEG screenshots through GDI+: the pixels go in as an in-memory 24-bit BMP
// and come out through the "image/jpeg" encoder with one quality parameter.
#pragma once

#include <windows.h>

// Starts GDI+ once; true while it is started.
bool StartupGdiplus();
void ShutdownGdiplus();

// Index of the encoder whose MIME type equals `mimeType` exactly, its CLSID
// copied out; -1 when there is none.
int FindImageEncoder(const WCHAR* mimeType, CLSID* clsid);

// Writes width x height 32-bit pixels (rows `pitch` bytes apart, top row
// first) as a JPEG of the given quality to `path` under the data root.
bool SaveJpegFromPixels(const char* path, const void* pixels, int pitch, int width, int height, int quality);
