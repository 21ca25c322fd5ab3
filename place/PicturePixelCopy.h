// Copying decoded JPEG pixels into shell images in the shell's picture
// texture format, shared by the tiled pictures and the mini-map blocks.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <vector>

class KShellServices;
struct QivImageContent;

// What a lock of a shell image tells of the display's 16-bit layout (its
// fourth value): 1 is X1R5G5B5, 2 R5G6B5. The decoder is asked for the
// matching layout; -1 leaves the choice to it.
int DecodeMaskForPixelKind(int32_t kind);

// A rectangle of the decoded picture and where it lands in a locked image.
struct PictureCopyRect {
    int sourceX = 0, sourceY = 0;  // picture pixels
    int width = 0, height = 0;
    int destX = 0, destY = 0;      // image pixels
};

// The locked image: its bits, the lock's row pitch and its size in pixels.
struct LockedImage {
    uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0, height = 0;
};

enum class PictureCopyResult { Copied, UnsupportedFormat };

// The shell's 565-to-8888 conversion of every 16-bit value, asked of the
// shell once; a picture's pixels then convert by lookup instead of a call
// each.
class KColour565Table {
public:
    const uint32_t* Get(KShellServices& shell);
    // Whether the shell's conversion is the plain widening (each channel
    // shifted to the top of its byte), which rows can do without lookups.
    bool IsPlainWidening(KShellServices& shell) {
        Get(shell);
        return m_plain;
    }

private:
    std::vector<uint32_t> m_table;
    bool m_plain = false;
};

// Copies the rectangle, clipped to the picture and to the image on every
// side, rows advancing by the lock's pitch. Pixels decoded with mask
// `decodeMask` are read in that layout. The picture texture format decides
// the target: R5G6B5 pixels are stored as such, X8R8G8B8 ones through the
// shell's 565-to-8888 conversion (X1R5G5B5 pixels through its 555 twin).
// Any other format copies nothing.
PictureCopyResult CopyPicturePixels(KShellServices& shell, KColour565Table& colours, D3DFORMAT format,
                                    const QivImageContent& picture, int decodeMask, const PictureCopyRect& rect,
                                    const LockedImage& image);

// A picture texture format the module cannot fill: the message box with
// string-table texts 48 and 44, then the process ends with exit code 1
// (through exit() or, with `immediate`, _exit()). Returns only when a
// test's fatal hook lets it.
void EndForUnsupportedPictureFormat(bool immediate);
