#include "shell/GdiplusJpeg.h"

#include <gdiplus.h>
#include <objidl.h>

#include <cstring>
#include <string>
#include <vector>

#include "lumiva/basrel/DataRoot.h"
#include "lumiva/basrel/KBmpFile24.h"
#include "shell/ShellGlobals.h"

namespace {

constexpr int kMaxWidePathChars = 510;

// The host path of `path` under the data root, as GDI+ takes file names.
bool WideHostPath(const char* path, std::wstring* wide) {
    std::string hostPath;
    if (!basrel::ResolveForWriting(path, hostPath)) return false;
    WCHAR buffer[kMaxWidePathChars + 1];
    int count = MultiByteToWideChar(CP_ACP, 0, hostPath.c_str(), -1, buffer, kMaxWidePathChars + 1);
    // A longer path is refused rather than cut to a different file name.
    if (count <= 0) return false;
    wide->assign(buffer);
    return true;
}

// The BMP bytes in a fresh stream that frees its memory on release.
IStream* BmpStream(const std::vector<uint8_t>& bmp) {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream) return nullptr;
    ULARGE_INTEGER size{};
    size.QuadPart = bmp.size();
    ULONG written = 0;
    if (FAILED(stream->SetSize(size)) || FAILED(stream->Write(bmp.data(), ULONG(bmp.size()), &written)) ||
        written != bmp.size()) {
        stream->Release();
        return nullptr;
    }
    return stream;
}

bool SaveImageAsJpeg(Gdiplus::GpImage* image, const WCHAR* path, int quality) {
    CLSID jpeg{};
    if (FindImageEncoder(L"image/jpeg", &jpeg) < 0) return false;
    LONG value = quality;
    Gdiplus::EncoderParameters parameters{};
    parameters.Count = 1;
    parameters.Parameter[0].Guid = EncoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].Value = &value;
    return Gdiplus::DllExports::GdipSaveImageToFile(image, path, &jpeg, &parameters) == Gdiplus::Ok;
}

}  // namespace

bool StartupGdiplus() {
    StartGdiplusSession();
    return GdiplusSessionActive();
}

void ShutdownGdiplus() { StopGdiplusSession(); }

int FindImageEncoder(const WCHAR* mimeType, CLSID* clsid) {
    if (!mimeType || !clsid) return -1;
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0 || count == 0) return -1;
    // The list is one block: codec records first, their strings after them.
    std::vector<uint8_t> block(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
    if (bytes < count * sizeof(Gdiplus::ImageCodecInfo) ||
        Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return -1;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, mimeType) == 0) {
            *clsid = codecs[i].Clsid;
            return int(i);
        }
    }
    return -1;
}

bool SaveJpegFromPixels(const char* path, const void* pixels, int pitch, int width, int height, int quality) {
    if (!GdiplusSessionActive() || !path || !*path) return false;
    std::vector<uint8_t> bmp = KBmpFile24::Encode(pixels, pitch, width, height);
    if (bmp.empty()) return false;
    std::wstring widePath;
    if (!WideHostPath(path, &widePath)) return false;
    IStream* stream = BmpStream(bmp);
    if (!stream) return false;
    Gdiplus::GpImage* image = nullptr;
    bool saved = false;
    if (Gdiplus::DllExports::GdipLoadImageFromStream(stream, &image) == Gdiplus::Ok && image) {
        saved = SaveImageAsJpeg(image, widePath.c_str(), quality);
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    stream->Release();
    return saved;
}
