// Shared helpers of the GDI+ stand-in tests: BMP bytes laid out as the
// module writes them, streams, a temp folder and decoders for the results.
#pragma once

#include <gdiplus.h>
#include <gtest/gtest.h>
#include <objidl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "gdiplus/Control.h"

namespace gdiplus_test {

struct Rgb {
    BYTE r, g, b;
};

typedef std::function<Rgb(int x, int y)> Picture;

inline Rgb Gradient(int x, int y) { return Rgb{BYTE(x * 4), BYTE(y * 5), BYTE(128 + (x - y))}; }

inline void PutU16(std::vector<BYTE>& out, size_t at, uint32_t v) {
    out[at] = BYTE(v);
    out[at + 1] = BYTE(v >> 8);
}

inline void PutU32(std::vector<BYTE>& out, size_t at, uint32_t v) {
    PutU16(out, at, v & 0xFFFF);
    PutU16(out, at + 2, v >> 16);
}

// A bottom-up 24-bit BMP: file header, info header, rows padded to 4 bytes.
inline std::vector<BYTE> Bmp24(int width, int height, const Picture& picture) {
    const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<BYTE> bmp(54 + rowBytes * height, 0);
    PutU16(bmp, 0, 0x4D42);
    PutU32(bmp, 2, uint32_t(bmp.size()));
    PutU32(bmp, 10, 54);
    PutU32(bmp, 14, 40);
    PutU32(bmp, 18, uint32_t(width));
    PutU32(bmp, 22, uint32_t(height));
    PutU16(bmp, 26, 1);
    PutU16(bmp, 28, 24);
    PutU32(bmp, 38, 2880);
    PutU32(bmp, 42, 2880);
    for (int y = 0; y < height; ++y) {
        BYTE* row = bmp.data() + 54 + size_t(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            Rgb c = picture(x, y);
            row[x * 3] = c.b;
            row[x * 3 + 1] = c.g;
            row[x * 3 + 2] = c.r;
        }
    }
    return bmp;
}

// A stream holding `bytes`, left standing at its end as a writer leaves it.
inline IStream* StreamWith(const std::vector<BYTE>& bytes) {
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULONG written = 0;
    EXPECT_EQ(stream->Write(bytes.data(), ULONG(bytes.size()), &written), S_OK);
    EXPECT_EQ(written, bytes.size());
    return stream;
}

inline std::vector<BYTE> StreamBytes(IStream* stream) {
    STATSTG stat{};
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    std::vector<BYTE> bytes(size_t(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

inline std::vector<BYTE> FileBytes(const std::string& path) {
    std::vector<BYTE> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    BYTE chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return bytes;
}

inline bool FileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

inline std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A fresh folder for one test.
inline std::string MakeTempFolder() {
    const char* root = std::getenv("LUMIVA_TEST_TMP");
    std::string base = root && *root ? root : "/tmp";
    ::mkdir(base.c_str(), 0755);
    std::string pattern = base + "/gdiplus-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    const char* made = ::mkdtemp(buffer.data());
    EXPECT_NE(made, nullptr);
    return made ? made : base;
}

// The encoder of a MIME type, found the way the module finds it.
inline bool FindEncoder(const WCHAR* mime, CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(codecs[i].MimeType, mime) == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

// One quality parameter of type long, as the module passes it.
struct QualityParameter {
    explicit QualityParameter(ULONG quality) : value(quality) {
        parameters.Count = 1;
        parameters.Parameter[0].Guid = EncoderQuality;
        parameters.Parameter[0].NumberOfValues = 1;
        parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        parameters.Parameter[0].Value = &value;
    }
    ULONG value;
    Gdiplus::EncoderParameters parameters{};
};

struct DecodedPicture {
    int width = 0, height = 0;
    std::vector<BYTE> rgb;
    Rgb At(int x, int y) const {
        const BYTE* p = &rgb[(size_t(y) * width + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    }
};

bool DecodeJpeg(const std::vector<BYTE>& bytes, DecodedPicture* picture);
bool DecodePng(const std::vector<BYTE>& bytes, DecodedPicture* picture);

class GdiplusTest : public ::testing::Test {
protected:
    void SetUp() override {
        lumiva::gdiplus::ResetStartupForTests();
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override {
        Gdiplus::GdiplusShutdown(token);
        EXPECT_EQ(lumiva::gdiplus::LiveImageCount(), 0u);
        lumiva::gdiplus::ResetStartupForTests();
    }
    ULONG_PTR token = 0;
};

}  // namespace gdiplus_test
