// The run-length walker of "SPR\0" frames, shared by decoding and by the
// alpha probe so both read a frame the same way.
//
// A run is a 16-bit word, low byte the pixel count, high byte the alpha; a
// run of alpha 0 carries no more bytes, any other run is followed by count
// palette indices. Runs fill the frame left to right, top to bottom: a run
// that passes a row end carries on at the start of the next row.
#pragma once

#include <cstddef>
#include <cstdint>

struct SprRun {
    uint64_t start = 0;  // first pixel, counted row by row from the top-left
    uint32_t count = 0;  // pixels, clipped at the end of the frame
    uint8_t alpha = 0;
    const uint8_t* indices = nullptr;  // count palette indices; null for alpha 0
};

class SprRunReader {
public:
    SprRunReader(const uint8_t* data, size_t size, uint32_t width, uint32_t height);

    // The next run, false once the frame is full or the data ends. A run of
    // 0 pixels or one whose indices pass the end of the data ends the walk
    // and marks the data malformed.
    bool Next(SprRun* run);
    bool Malformed() const { return m_malformed; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
    uint64_t m_pixel = 0;
    uint64_t m_total;
    bool m_malformed = false;
};

// Decodes a frame of width x height into A4R4G4B4 texels: palette16[index]
// with the run's top four alpha bits; alpha 0 runs and pixels no run covers
// are 0, and so is an index at or past colorCount. Only the destination's
// destWidth x destHeight top-left pixels are written, pitch bytes apart.
// False when the data was malformed (what came before is still written).
bool ConvertSprPixels(uint16_t* destination, size_t pitch, uint32_t destWidth, uint32_t destHeight,
                      const uint8_t* source, size_t sourceSize, uint32_t width, uint32_t height,
                      const uint16_t* palette16, uint32_t colorCount);

// The alpha byte of the run that covers (x, y), 0 outside the frame or where
// no run reaches.
uint8_t SprAlphaAt(const uint8_t* source, size_t sourceSize, uint32_t width, uint32_t height, int x, int y);
