#include "gdiplus/ImageCodecs.h"

#include <cstring>
#include <cwchar>

#include "gdiplus/GdiplusRuntime.h"
#include "gdiplus/ImageWriters.h"

namespace lumiva::gdiplus {
namespace {

const int kDefaultJpegQuality = 75;

const BYTE kBmpSignature[] = {'B', 'M'};
const BYTE kJpegSignature[] = {0xFF, 0xD8};
const BYTE kPngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The quality, when the parameters carry one; a malformed quality parameter
// is refused rather than read blindly.
Gdiplus::Status JpegQuality(const Gdiplus::EncoderParameters* parameters, int* quality) {
    *quality = kDefaultJpegQuality;
    if (!parameters) return Gdiplus::Ok;
    for (UINT i = 0; i < parameters->Count; ++i) {
        const Gdiplus::EncoderParameter& parameter = parameters->Parameter[i];
        if (!(parameter.Guid == EncoderQuality)) continue;
        if (parameter.Type != Gdiplus::EncoderParameterValueTypeLong || parameter.NumberOfValues < 1 ||
            !parameter.Value)
            return Gdiplus::InvalidParameter;
        ULONG value = *static_cast<const ULONG*>(parameter.Value);
        if (value > 100) return Gdiplus::InvalidParameter;
        *quality = int(value);
    }
    return Gdiplus::Ok;
}

Gdiplus::Status EncodeBmp(const DecodedImage& image, const Gdiplus::EncoderParameters*, std::vector<BYTE>* out) {
    return WriteBmp(image, out);
}

Gdiplus::Status EncodeJpeg(const DecodedImage& image, const Gdiplus::EncoderParameters* parameters,
                           std::vector<BYTE>* out) {
    int quality = 0;
    Gdiplus::Status status = JpegQuality(parameters, &quality);
    return status == Gdiplus::Ok ? WriteJpeg(image, quality, out) : status;
}

Gdiplus::Status EncodePng(const DecodedImage& image, const Gdiplus::EncoderParameters*, std::vector<BYTE>* out) {
    return WritePng(image, out);
}

// {557CF400-1A04-11D3-9A73-0000F81EF32E} and its neighbours.
constexpr CLSID EncoderClsid(uint32_t last) {
    return CLSID{0x557CF400 | last, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
}

const Codec kEncoders[] = {
    {EncoderClsid(0), ImageFormatBMP, L"Built-in BMP Codec", L"BMP", L"*.BMP;*.DIB;*.RLE", L"image/bmp",
     kBmpSignature, sizeof kBmpSignature, EncodeBmp},
    {EncoderClsid(1), ImageFormatJPEG, L"Built-in JPEG Codec", L"JPEG", L"*.JPG;*.JPEG;*.JPE;*.JFIF",
     L"image/jpeg", kJpegSignature, sizeof kJpegSignature, EncodeJpeg},
    {EncoderClsid(6), ImageFormatPNG, L"Built-in PNG Codec", L"PNG", L"*.PNG", L"image/png", kPngSignature,
     sizeof kPngSignature, EncodePng},
};
const UINT kEncoderCount = sizeof kEncoders / sizeof kEncoders[0];

size_t TextBytes(const WCHAR* text) { return (std::wcslen(text) + 1) * sizeof(WCHAR); }

// The list as the platform lays it out: the records, then the texts and
// signatures they point at, all in the caller's one buffer.
UINT EncoderListBytes() {
    size_t bytes = kEncoderCount * sizeof(Gdiplus::ImageCodecInfo);
    for (const Codec& codec : kEncoders) {
        bytes += TextBytes(codec.name) + TextBytes(codec.description) + TextBytes(codec.extensions) +
                 TextBytes(codec.mimeType);
        bytes += 2 * codec.signatureSize;  // pattern and mask
    }
    return UINT(bytes);
}

class ListWriter {
public:
    explicit ListWriter(BYTE* tail) : tail_(tail) {}
    const WCHAR* Text(const WCHAR* text) {
        size_t bytes = TextBytes(text);
        std::memcpy(tail_, text, bytes);
        return reinterpret_cast<const WCHAR*>(Take(bytes));
    }
    const BYTE* Bytes(const BYTE* data, size_t size) { return Take(size, data); }
    const BYTE* Filled(BYTE value, size_t size) {
        std::memset(tail_, value, size);
        return Take(size);
    }

private:
    const BYTE* Take(size_t size, const BYTE* data = nullptr) {
        if (data) std::memcpy(tail_, data, size);
        const BYTE* start = tail_;
        tail_ += size;
        return start;
    }
    BYTE* tail_;
};

}  // namespace

const Codec* FindEncoder(const CLSID& clsid) {
    for (const Codec& codec : kEncoders)
        if (codec.clsid == clsid) return &codec;
    return nullptr;
}

}  // namespace lumiva::gdiplus

namespace Gdiplus::DllExports {

GpStatus WINGDIPAPI GdipGetImageEncodersSize(UINT* numEncoders, UINT* size) {
    if (!numEncoders || !size) return InvalidParameter;
    if (!lumiva::gdiplus::IsStarted()) return GdiplusNotInitialized;
    *numEncoders = lumiva::gdiplus::kEncoderCount;
    *size = lumiva::gdiplus::EncoderListBytes();
    return Ok;
}

GpStatus WINGDIPAPI GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
    if (!encoders) return InvalidParameter;
    if (!lumiva::gdiplus::IsStarted()) return GdiplusNotInitialized;
    if (numEncoders != lumiva::gdiplus::kEncoderCount || size != lumiva::gdiplus::EncoderListBytes()) return GenericError;
    BYTE* base = reinterpret_cast<BYTE*>(encoders);
    lumiva::gdiplus::ListWriter tail(base + lumiva::gdiplus::kEncoderCount * sizeof(ImageCodecInfo));
    for (UINT i = 0; i < lumiva::gdiplus::kEncoderCount; ++i) {
        const lumiva::gdiplus::Codec& codec = lumiva::gdiplus::kEncoders[i];
        ImageCodecInfo& info = encoders[i];
        info.Clsid = codec.clsid;
        info.FormatID = codec.format;
        info.CodecName = tail.Text(codec.name);
        info.DllName = nullptr;
        info.FormatDescription = tail.Text(codec.description);
        info.FilenameExtension = tail.Text(codec.extensions);
        info.MimeType = tail.Text(codec.mimeType);
        info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
        info.Version = 1;
        info.SigCount = 1;
        info.SigSize = codec.signatureSize;
        info.SigPattern = tail.Bytes(codec.signature, codec.signatureSize);
        info.SigMask = tail.Filled(0xFF, codec.signatureSize);
    }
    return Ok;
}

}  // namespace Gdiplus::DllExports
