// Stand-in for the platform's <gdiplus.h>: start-up, image encoders, images
// loaded from streams holding BMP data, and saving them as JPEG (over
// libjpeg-turbo), PNG (libpng) or BMP. Implemented in platform/gdiplus.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>

// Encoder parameter and image format identifiers live outside the
// namespace, as on the platform.
// {1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}
inline constexpr GUID EncoderQuality = {0x1D5BE4B5, 0xFA4A, 0x452D, {0x9C, 0xDD, 0x5D, 0xB3, 0x51, 0x05, 0xE7, 0xEB}};
// {E09D739D-CCD4-44EE-8EBA-3FBF8BE4FC58}
inline constexpr GUID EncoderCompression = {0xE09D739D, 0xCCD4, 0x44EE, {0x8E, 0xBA, 0x3F, 0xBF, 0x8B, 0xE4, 0xFC, 0x58}};
// {66087055-AD66-4C7C-9A18-38A2310B8337}
inline constexpr GUID EncoderColorDepth = {0x66087055, 0xAD66, 0x4C7C, {0x9A, 0x18, 0x38, 0xA2, 0x31, 0x0B, 0x83, 0x37}};
// {B96B3CAB-0728-11D3-9D7B-0000F81EF32E}
inline constexpr GUID ImageFormatBMP = {0xB96B3CAB, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {B96B3CAE-0728-11D3-9D7B-0000F81EF32E}
inline constexpr GUID ImageFormatJPEG = {0xB96B3CAE, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
// {B96B3CAF-0728-11D3-9D7B-0000F81EF32E}
inline constexpr GUID ImageFormatPNG = {0xB96B3CAF, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

#define WINGDIPAPI
#define GDIPCONST const

namespace Gdiplus {

typedef float REAL;
typedef uint32_t UINT32;
typedef DWORD ARGB;
typedef INT PixelFormat;

#define PixelFormatIndexed 0x00010000
#define PixelFormatGDI 0x00020000
#define PixelFormatAlpha 0x00040000
#define PixelFormatCanonical 0x00200000
#define PixelFormat24bppRGB (8 | (24 << 8) | PixelFormatGDI)
#define PixelFormat32bppRGB (9 | (32 << 8) | PixelFormatGDI)
#define PixelFormat32bppARGB (10 | (32 << 8) | PixelFormatAlpha | PixelFormatGDI | PixelFormatCanonical)

enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
    ProfileNotFound = 21
};
typedef Status GpStatus;

// --- Start-up ---
enum DebugEventLevel { DebugEventLevelFatal, DebugEventLevelWarning };
typedef VOID(WINAPI* DebugEventProc)(DebugEventLevel level, CHAR* message);
typedef Status(WINAPI* NotificationHookProc)(ULONG_PTR* token);
typedef VOID(WINAPI* NotificationUnhookProc)(ULONG_PTR token);

struct GdiplusStartupInput {
    UINT32 GdiplusVersion;
    DebugEventProc DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;

    GdiplusStartupInput(DebugEventProc debugEventCallback = nullptr, BOOL suppressBackgroundThread = FALSE,
                        BOOL suppressExternalCodecs = FALSE)
        : GdiplusVersion(1),
          DebugEventCallback(debugEventCallback),
          SuppressBackgroundThread(suppressBackgroundThread),
          SuppressExternalCodecs(suppressExternalCodecs) {}
};

struct GdiplusStartupOutput {
    NotificationHookProc NotificationHook;
    NotificationUnhookProc NotificationUnhook;
};

extern "C" Status WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                                        GdiplusStartupOutput* output);
extern "C" VOID WINAPI GdiplusShutdown(ULONG_PTR token);

// --- Codecs and encoder parameters ---
enum ImageCodecFlags {
    ImageCodecFlagsEncoder = 0x00000001,
    ImageCodecFlagsDecoder = 0x00000002,
    ImageCodecFlagsSupportBitmap = 0x00000004,
    ImageCodecFlagsSupportVector = 0x00000008,
    ImageCodecFlagsSeekableEncode = 0x00000010,
    ImageCodecFlagsBlockingDecode = 0x00000020,
    ImageCodecFlagsBuiltin = 0x00010000,
    ImageCodecFlagsSystem = 0x00020000,
    ImageCodecFlagsUser = 0x00040000
};

class ImageCodecInfo {
public:
    CLSID Clsid;
    GUID FormatID;
    const WCHAR* CodecName;
    const WCHAR* DllName;
    const WCHAR* FormatDescription;
    const WCHAR* FilenameExtension;
    const WCHAR* MimeType;
    DWORD Flags;
    DWORD Version;
    DWORD SigCount;
    DWORD SigSize;
    const BYTE* SigPattern;
    const BYTE* SigMask;
};

enum EncoderParameterValueType {
    EncoderParameterValueTypeByte = 1,
    EncoderParameterValueTypeASCII = 2,
    EncoderParameterValueTypeShort = 3,
    EncoderParameterValueTypeLong = 4,
    EncoderParameterValueTypeRational = 5,
    EncoderParameterValueTypeLongRange = 6,
    EncoderParameterValueTypeUndefined = 7,
    EncoderParameterValueTypeRationalRange = 8,
    EncoderParameterValueTypePointer = 9
};

class EncoderParameter {
public:
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    VOID* Value;
};

class EncoderParameters {
public:
    UINT Count;
    EncoderParameter Parameter[1];
};

// --- Flat API objects ---
class GpImage {
public:
    virtual ~GpImage() = default;

protected:
    GpImage() = default;
};

class GpBitmap : public GpImage {
protected:
    GpBitmap() = default;
};

namespace DllExports {
extern "C" {
GpStatus WINGDIPAPI GdipGetImageEncodersSize(UINT* numEncoders, UINT* size);
GpStatus WINGDIPAPI GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);
GpStatus WINGDIPAPI GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus WINGDIPAPI GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
GpStatus WINGDIPAPI GdipDisposeImage(GpImage* image);
GpStatus WINGDIPAPI GdipSaveImageToFile(GpImage* image, GDIPCONST WCHAR* filename, GDIPCONST CLSID* clsidEncoder,
                                        GDIPCONST EncoderParameters* encoderParams);
GpStatus WINGDIPAPI GdipSaveImageToStream(GpImage* image, IStream* stream, GDIPCONST CLSID* clsidEncoder,
                                          GDIPCONST EncoderParameters* encoderParams);
GpStatus WINGDIPAPI GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus WINGDIPAPI GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus WINGDIPAPI GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus WINGDIPAPI GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
}
}  // namespace DllExports

// --- Wrappers ---
inline Status GetImageEncodersSize(UINT* numEncoders, UINT* size) {
    return DllExports::GdipGetImageEncodersSize(numEncoders, size);
}

inline Status GetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
    return DllExports::GdipGetImageEncoders(numEncoders, size, encoders);
}

class Image {
public:
    explicit Image(IStream* stream, BOOL useEmbeddedColorManagement = FALSE) {
        (void)useEmbeddedColorManagement;
        lastResult = DllExports::GdipLoadImageFromStream(stream, &nativeImage);
    }
    // Always an object; a failed load shows in GetLastStatus.
    static Image* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE) {
        return new Image(stream, useEmbeddedColorManagement);
    }
    virtual ~Image() {
        if (nativeImage) DllExports::GdipDisposeImage(nativeImage);
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    Status Save(const WCHAR* filename, const CLSID* clsidEncoder, const EncoderParameters* encoderParams = nullptr) {
        return SetStatus(DllExports::GdipSaveImageToFile(nativeImage, filename, clsidEncoder, encoderParams));
    }
    Status Save(IStream* stream, const CLSID* clsidEncoder, const EncoderParameters* encoderParams = nullptr) {
        return SetStatus(DllExports::GdipSaveImageToStream(nativeImage, stream, clsidEncoder, encoderParams));
    }
    UINT GetWidth() {
        UINT width = 0;
        SetStatus(DllExports::GdipGetImageWidth(nativeImage, &width));
        return width;
    }
    UINT GetHeight() {
        UINT height = 0;
        SetStatus(DllExports::GdipGetImageHeight(nativeImage, &height));
        return height;
    }
    PixelFormat GetPixelFormat() {
        PixelFormat format = 0;
        SetStatus(DllExports::GdipGetImagePixelFormat(nativeImage, &format));
        return format;
    }
    Status GetLastStatus() const {
        Status status = lastResult;
        lastResult = Ok;
        return status;
    }

protected:
    Image() = default;
    Status SetStatus(Status status) const {
        if (status != Ok) lastResult = status;
        return status;
    }

    GpImage* nativeImage = nullptr;
    mutable Status lastResult = Ok;
};

class Bitmap : public Image {
public:
    explicit Bitmap(IStream* stream, BOOL useEmbeddedColorManagement = FALSE) {
        (void)useEmbeddedColorManagement;
        GpBitmap* bitmap = nullptr;
        lastResult = DllExports::GdipCreateBitmapFromStream(stream, &bitmap);
        nativeImage = bitmap;
    }
    static Bitmap* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE) {
        return new Bitmap(stream, useEmbeddedColorManagement);
    }
    Status GetPixel(INT x, INT y, ARGB* color) {
        return SetStatus(DllExports::GdipBitmapGetPixel(static_cast<GpBitmap*>(nativeImage), x, y, color));
    }
};

}  // namespace Gdiplus
