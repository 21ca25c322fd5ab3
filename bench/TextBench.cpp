// OutputText with a warm glyph cache: 1,000 characters, half GBK and half
// ASCII, wrapped over an 800 x 600 target; with and without pixel work.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

#include <d3d9.h>

#include "basrel/BasrelReset.h"
#include "lumiva/basrel/HostGlobals.h"
#include "d3d9/Control.h"
#include "draw2d/text/KFontTable.h"
#include "draw2d/text/TextGlobals.h"
#include "draw2d/text/TextShellOperations.h"
#include "gdi/Control.h"
#include "win32/Control.h"

namespace {

std::string ToGbk(const std::string& utf8) {
    iconv_t converter = iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* cursor = out.data();
    size_t outLeft = out.size();
    iconv(converter, &in, &inLeft, &cursor, &outLeft);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

// 100 times five ASCII and five GBK characters.
std::string MixedText() {
    const std::string piece = "Lumi " + ToGbk("文字绘制器");
    std::string text;
    for (int i = 0; i < 100; ++i) text += piece;
    return text;
}

class TextScene {
public:
    TextScene() {
        BasrelResetForTests();
        lumiva::win32::ResetForTests();
        lumiva::d3d9::ResetForTests();
        lumiva::gdi::ResetForTests();
        ResetTextGlobalsForTests();
        window_ = CreateWindowExA(0, "Bench", "Bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                  nullptr, nullptr);
        g_SetMainHWnd(window_);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 800;
        pp.BackBufferHeight = 600;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.hDeviceWindow = window_;
        pp.Windowed = TRUE;
        d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                           &device_);
        shell_.SetDevice(device_);
        const std::string face = "@" + ToGbk("黑体") + ",16,0,32,0";
        ready_ = device_ && fonts_.CreateFont(shell_, face.c_str(), 0, 16);
        text_ = MixedText();
        device_->BeginScene();
        Draw();  // warm the glyph cache
    }
    ~TextScene() {
        if (device_) device_->EndScene();
        fonts_.ReleaseAll();
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
        DestroyWindow(window_);
        lumiva::d3d9::ResetForTests();
    }
    void Draw() {
        OutputText(fonts_, shell_, 16, text_.c_str(), int32_t(text_.size()), 0, 0, 0xFFFFFFFFu, 780, kScreenZ,
                   0x00FFC040u);
    }
    bool Ready() const { return ready_; }

private:
    HWND window_ = nullptr;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    TextShellStandIn shell_;
    KFontTable fonts_;
    std::string text_;
    bool ready_ = false;
};

void RunOutputText(benchmark::State& state, bool pixels) {
    TextScene scene;
    if (!scene.Ready()) {
        state.SkipWithError("no font");
        return;
    }
    lumiva::d3d9::SetNoRaster(!pixels);
    constexpr int kCharacters = 1000;
    for (auto _ : state) scene.Draw();
    state.SetItemsProcessed(state.iterations() * kCharacters);
    state.counters["time_per_char"] = benchmark::Counter(double(state.iterations()) * kCharacters,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    lumiva::d3d9::SetNoRaster(false);
}

void BM_OutputTextWarm_Pixels(benchmark::State& state) { RunOutputText(state, true); }
void BM_OutputTextWarm_NoRaster(benchmark::State& state) { RunOutputText(state, false); }

BENCHMARK(BM_OutputTextWarm_Pixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OutputTextWarm_NoRaster)->Unit(benchmark::kMicrosecond);

}  // namespace
