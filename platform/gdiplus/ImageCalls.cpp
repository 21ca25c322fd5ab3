// Images: loading from streams, saving through an encoder, and queries.
// Every image pointer is checked against the live set, so a disposed or
// foreign pointer is refused.
#include <gdiplus.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "gdiplus/BmpReader.h"
#include "gdiplus/DecodedImage.h"
#include "gdiplus/Control.h"
#include "gdiplus/GdiplusRuntime.h"
#include "gdiplus/HostPath.h"
#include "gdiplus/ImageCodecs.h"

namespace lumiva::gdiplus {
namespace {

// Streams beyond this are refused rather than read into memory.
const size_t kMaxImageStreamBytes = size_t(512) << 20;
const ULONG kReadChunk = 64 * 1024;

struct ImageTable {
    std::mutex lock;
    std::set<const Gdiplus::GpImage*> live;
};

ImageTable& Images() {
    static ImageTable* table = new ImageTable;  // outlives static destructors
    return *table;
}

DecodedImage* Live(Gdiplus::GpImage* image) {
    ImageTable& table = Images();
    std::lock_guard<std::mutex> hold(table.lock);
    return table.live.count(image) ? static_cast<DecodedImage*>(image) : nullptr;
}

// A stream written and then handed over without a seek back stands at its
// end; the image is then read from the start, since an image stream holds
// one image.
void RewindWhenAtEnd(IStream* stream) {
    LARGE_INTEGER zero{};
    ULARGE_INTEGER position{}, end{};
    if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &position))) return;
    if (FAILED(stream->Seek(zero, STREAM_SEEK_END, &end))) return;
    LARGE_INTEGER back{};
    back.QuadPart = (position.QuadPart >= end.QuadPart) ? 0 : LONGLONG(position.QuadPart);
    stream->Seek(back, STREAM_SEEK_SET, nullptr);
}

Gdiplus::Status ReadRest(IStream* stream, std::vector<BYTE>* bytes) {
    RewindWhenAtEnd(stream);
    for (;;) {
        size_t used = bytes->size();
        if (used >= kMaxImageStreamBytes) return Gdiplus::OutOfMemory;
        bytes->resize(used + kReadChunk);
        ULONG read = 0;
        HRESULT result = stream->Read(bytes->data() + used, kReadChunk, &read);
        // A stream claiming more than it was asked for is not believed.
        if (FAILED(result) || read > kReadChunk) return Gdiplus::Win32Error;
        bytes->resize(used + read);
        if (read == 0) return Gdiplus::Ok;
    }
}

Gdiplus::Status Load(IStream* stream, DecodedImage** loaded) {
    if (!stream || !loaded) return Gdiplus::InvalidParameter;
    *loaded = nullptr;
    if (!IsStarted()) return Gdiplus::GdiplusNotInitialized;
    std::vector<BYTE> bytes;
    Gdiplus::Status status = ReadRest(stream, &bytes);
    if (status != Gdiplus::Ok) return status;
    auto image = std::make_unique<DecodedImage>();
    status = ReadBmp(bytes, image.get());
    if (status != Gdiplus::Ok) return status;
    ImageTable& table = Images();
    std::lock_guard<std::mutex> hold(table.lock);
    table.live.insert(image.get());
    *loaded = image.release();
    return Gdiplus::Ok;
}

Gdiplus::Status Encode(Gdiplus::GpImage* image, const CLSID* clsid, const Gdiplus::EncoderParameters* parameters,
                       std::vector<BYTE>* out) {
    if (!IsStarted()) return Gdiplus::GdiplusNotInitialized;
    DecodedImage* decoded = Live(image);
    if (!decoded || !clsid) return Gdiplus::InvalidParameter;
    const Codec* codec = FindEncoder(*clsid);
    if (!codec) return Gdiplus::FileNotFound;
    return codec->encode(*decoded, parameters, out);
}

// Written whole or not at all: a failed write leaves no partial file.
Gdiplus::Status WriteFileBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return Gdiplus::Win32Error;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (!written) std::remove(path.c_str());
    return written ? Gdiplus::Ok : Gdiplus::Win32Error;
}

}  // namespace

size_t LiveImageCount() {
    ImageTable& table = Images();
    std::lock_guard<std::mutex> hold(table.lock);
    return table.live.size();
}

}  // namespace lumiva::gdiplus

namespace Gdiplus::DllExports {

GpStatus WINGDIPAPI GdipLoadImageFromStream(IStream* stream, GpImage** image) {
    lumiva::gdiplus::DecodedImage* loaded = nullptr;
    GpStatus status = lumiva::gdiplus::Load(stream, image ? &loaded : nullptr);
    if (image) *image = loaded;
    return status;
}

GpStatus WINGDIPAPI GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
    lumiva::gdiplus::DecodedImage* loaded = nullptr;
    GpStatus status = lumiva::gdiplus::Load(stream, bitmap ? &loaded : nullptr);
    if (bitmap) *bitmap = loaded;
    return status;
}

GpStatus WINGDIPAPI GdipDisposeImage(GpImage* image) {
    lumiva::gdiplus::ImageTable& table = lumiva::gdiplus::Images();
    std::unique_lock<std::mutex> hold(table.lock);
    if (!image || table.live.erase(image) == 0) return InvalidParameter;
    hold.unlock();
    delete image;
    return Ok;
}

GpStatus WINGDIPAPI GdipSaveImageToFile(GpImage* image, GDIPCONST WCHAR* filename, GDIPCONST CLSID* clsidEncoder,
                                        GDIPCONST EncoderParameters* encoderParams) {
    std::string path = lumiva::gdiplus::HostPathFromWide(filename);
    if (path.empty()) return InvalidParameter;
    std::vector<BYTE> bytes;
    GpStatus status = lumiva::gdiplus::Encode(image, clsidEncoder, encoderParams, &bytes);
    if (status != Ok) return status;
    return lumiva::gdiplus::WriteFileBytes(path, bytes);
}

GpStatus WINGDIPAPI GdipSaveImageToStream(GpImage* image, IStream* stream, GDIPCONST CLSID* clsidEncoder,
                                          GDIPCONST EncoderParameters* encoderParams) {
    if (!stream) return InvalidParameter;
    std::vector<BYTE> bytes;
    GpStatus status = lumiva::gdiplus::Encode(image, clsidEncoder, encoderParams, &bytes);
    if (status != Ok) return status;
    if (bytes.size() > 0xFFFFFFFFull) return ValueOverflow;
    ULONG written = 0;
    HRESULT result = stream->Write(bytes.data(), ULONG(bytes.size()), &written);
    return SUCCEEDED(result) && written == bytes.size() ? Ok : Win32Error;
}

GpStatus WINGDIPAPI GdipGetImageWidth(GpImage* image, UINT* width) {
    lumiva::gdiplus::DecodedImage* decoded = lumiva::gdiplus::Live(image);
    if (!decoded || !width) return InvalidParameter;
    *width = decoded->width;
    return Ok;
}

GpStatus WINGDIPAPI GdipGetImageHeight(GpImage* image, UINT* height) {
    lumiva::gdiplus::DecodedImage* decoded = lumiva::gdiplus::Live(image);
    if (!decoded || !height) return InvalidParameter;
    *height = decoded->height;
    return Ok;
}

GpStatus WINGDIPAPI GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
    lumiva::gdiplus::DecodedImage* decoded = lumiva::gdiplus::Live(image);
    if (!decoded || !format) return InvalidParameter;
    *format = decoded->format;
    return Ok;
}

GpStatus WINGDIPAPI GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) {
    lumiva::gdiplus::DecodedImage* decoded = lumiva::gdiplus::Live(bitmap);
    if (!decoded || !color) return InvalidParameter;
    if (x < 0 || y < 0 || UINT(x) >= decoded->width || UINT(y) >= decoded->height) return InvalidParameter;
    const BYTE* pixel = decoded->Row(UINT(y)) + size_t(x) * 3;
    *color = 0xFF000000u | ARGB(pixel[2]) << 16 | ARGB(pixel[1]) << 8 | pixel[0];
    return Ok;
}

}  // namespace Gdiplus::DllExports
