#include "DispatchFixture.h"

#include <cstring>

#include "SprWriter.h"
#include "win32/Control.h"

namespace dispatch_test {

void DispatchTest::SetUp() {
    ShellFixture::SetUp();
    lumiva::win32::InstallManualClock(1000000);
    MakeCreatedShell();
}

KSprImage* DispatchTest::Sprite(const std::string& name, int w, int h, const std::vector<uint32_t>& argb, int ox,
                                int oy, int centreX, int centreY) {
    SprSpriteInfo info{uint16_t(w + ox), uint16_t(h + oy), uint16_t(centreX), uint16_t(centreY), 1, 1};
    WriteDataFile(name, WriteSpr(info, {{uint16_t(w), uint16_t(h), uint16_t(ox), uint16_t(oy), argb}}));
    return dynamic_cast<KSprImage*>(m_shell->imageCache.GetImage(name.c_str(), nullptr, nullptr, 0, 1, 0, 1, 0, 0));
}

KJpgImage* DispatchTest::Jpeg(const std::string& name, int w, int h) {
    WriteGreyJpeg(name, w, h);
    return dynamic_cast<KJpgImage*>(m_shell->imageCache.GetImage(name.c_str(), nullptr, nullptr, 0, 0, 0, 1, 0, 0));
}

void DispatchTest::ClearTarget(D3DCOLOR colour) {
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    if (!m_inScene) m_inScene = SUCCEEDED(Device()->BeginScene());
    lumiva::d3d9::ClearRecording();
    lumiva::d3d9::EnableRecording(true);
}

lumiva::d3d9::Image DispatchTest::Target() {
    if (m_inScene) Device()->EndScene();
    m_inScene = false;
    return BackBuffer();
}

std::vector<KScreenVertex> DispatchTest::DrawnVertices(const lumiva::d3d9::RecordedCall& draw) {
    const auto& stream = draw.state->streams[0];
    const UINT first = UINT(draw.args[1]), primitives = UINT(draw.args[2]);
    UINT count = primitives;
    switch (D3DPRIMITIVETYPE(draw.args[0])) {
        case D3DPT_TRIANGLESTRIP: count = primitives + 2; break;
        case D3DPT_LINELIST: count = primitives * 2; break;
        case D3DPT_TRIANGLELIST: count = primitives * 3; break;
        case D3DPT_LINESTRIP: count = primitives + 1; break;
        default: break;
    }
    void* data = nullptr;
    const bool recording = lumiva::d3d9::IsRecording();
    lumiva::d3d9::EnableRecording(false);
    std::vector<KScreenVertex> out;
    if (!stream.buffer || FAILED(stream.buffer->Lock(0, 0, &data, D3DLOCK_READONLY)) || !data) {
        ADD_FAILURE() << "stream 0 cannot be read";
        lumiva::d3d9::EnableRecording(recording);
        return out;
    }
    out.resize(count);
    std::memcpy(out.data(), static_cast<uint8_t*>(data) + size_t(first) * stream.stride, count * sizeof(KScreenVertex));
    stream.buffer->Unlock();
    lumiva::d3d9::EnableRecording(recording);
    return out;
}

std::vector<std::string> DispatchTest::CallNames() {
    std::vector<std::string> names;
    for (const auto& call : lumiva::d3d9::RecordedCalls()) names.push_back(call.name);
    return names;
}

}  // namespace dispatch_test
