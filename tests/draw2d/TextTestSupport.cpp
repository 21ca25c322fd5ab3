#include "TextTestSupport.h"
#include "support/WindowedDevice.h"

#include <iconv.h>

#include "AsfFontWriter.h"
#include "lumiva/basrel/DebugLog.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "gdi/Control.h"

namespace text_test {

std::string Encode(const std::string& utf8, const char* codePage) {
    iconv_t converter = iconv_open(codePage, "UTF-8");
    if (converter == iconv_t(-1)) return {};
    std::string out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* cursor = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(converter, &in, &inLeft, &cursor, &outLeft);
    iconv_close(converter);
    if (result == size_t(-1)) return {};
    out.resize(out.size() - outLeft);
    return out;
}

QuadLog& CapturedQuads() {
    static QuadLog log;
    return log;
}

namespace {
bool g_drawCaptured = false;

void KeepQuads(const KTextVertex* vertices, int quads) {
    QuadLog& log = CapturedQuads();
    log.batches.push_back(quads);
    for (int q = 0; q < quads; ++q) {
        DrawnQuad quad;
        for (int i = 0; i < 6; ++i) quad.v[i] = vertices[6 * q + i];
        log.quads.push_back(quad);
    }
    if (g_drawCaptured) DrawTextQuads(vertices, quads);
}

void ResetTextParts() {
    lumiva::gdi::ResetForTests();
    ResetTextGlobalsForTests();
    CapturedQuads() = {};
    g_drawCaptured = false;
}
}  // namespace

void TextTest::SetUp() {
    ShellFixture::SetUp();
    ResetTextParts();
    basrel::SetDebugLogToFile(false);
    window_ = CreateWindowExA(0, "Test", "Test", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    g_SetMainHWnd(window_);
    fonts_ = new KFontTable();
}

void TextTest::TearDown() {
    delete fonts_;
    fonts_ = nullptr;
    if (device_) {
        EXPECT_EQ(device_->Release(), 0u);
    }
    device_ = nullptr;
    if (d3d_) d3d_->Release();
    d3d_ = nullptr;
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), 0u) << "a test leaked a resource";
    EXPECT_EQ(lumiva::gdi::LiveFontCount(), 0u) << "a test leaked a GDI font";
    DestroyWindow(window_);
    ResetTextParts();
    ShellFixture::TearDown();
}

void TextTest::CreateDevice(UINT width, UINT height) {
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    D3DPRESENT_PARAMETERS pp = WindowedTestParameters(window_, width, height);
    ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &pp, &device_),
              D3D_OK);
    shell_.SetDevice(device_);
}

void TextTest::CaptureQuads(bool draw) {
    g_drawCaptured = draw;
    g_pfnDrawTextQuads = KeepQuads;
}

std::string TextTest::TempPath(const std::string& name) const { return m_root + "/" + name; }

std::string TextTest::MakeAsfFont(const std::string& name, uint16_t w, uint16_t h, int count) {
    AsfFontSpec spec;
    spec.cellWidth = w;
    spec.cellHeight = h;
    for (int i = 0; i < count; ++i) spec.glyphs.emplace_back(size_t(w) * h, uint8_t(i % 7 + 1));
    WriteDataFile(name, WriteAsfFont(spec));
    return name;
}

D3DCOLOR TextTest::Pixel(UINT x, UINT y) {
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    const D3DCOLOR colour = lumiva::d3d9::SurfaceImage(back).At(x, y);
    back->Release();
    return colour;
}

void TextTest::ClearTarget(D3DCOLOR colour) { device_->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0); }

}  // namespace text_test
