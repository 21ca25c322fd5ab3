#include "ClientScreen.h"

#include <d3dx9.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "draw2d/text/TextHostRecords.h"
#include "shell/IKDrawShell.h"

namespace {

struct ColourVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};
constexpr DWORD kColourFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct TexturedVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kTexturedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

void FillRect(IDirect3DDevice9* device, float x, float y, float w, float h, D3DCOLOR colour) {
    const ColourVertex quad[4] = {{x - 0.5f, y - 0.5f, 0, 1, colour},
                                  {x + w - 0.5f, y - 0.5f, 0, 1, colour},
                                  {x - 0.5f, y + h - 0.5f, 0, 1, colour},
                                  {x + w - 0.5f, y + h - 0.5f, 0, 1, colour}};
    device->SetTexture(0, nullptr);
    device->SetFVF(kColourFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex));
}

void FrameRect(IDirect3DDevice9* device, float x, float y, float w, float h, D3DCOLOR colour) {
    FillRect(device, x, y, w, 1, colour);
    FillRect(device, x, y + h - 1, w, 1, colour);
    FillRect(device, x, y, 1, h, colour);
    FillRect(device, x + w - 1, y, 1, h, colour);
}

void Text(IKDrawShell* shell, int font, const std::string& text, int x, int y, D3DCOLOR colour) {
    shell->OutputText(font, text.c_str(), int(text.size()), x, y, colour, 0, kScreenZ, 0);
}

}  // namespace

ClientScreen::~ClientScreen() {
    if (m_backdrop) m_backdrop->Release();
}

bool ClientScreen::Load(const std::string& dataFolder) {
    const std::string path = dataFolder + "/ui/background.jpg";
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.empty() || FAILED(D3DXCreateTextureFromFileInMemory(m_shell->GetDevice(), bytes.data(), UINT(bytes.size()),
                                                                   &m_backdrop))) {
        std::fprintf(stderr, "lumiva-demo: cannot load the backdrop %s\n", path.c_str());
        return false;
    }
    if (!m_shell->CreateFont("@SimSun,16,0,32,0", 0, kGdiFontId)) {
        std::fprintf(stderr, "lumiva-demo: cannot create the GDI font\n");
        return false;
    }
    if (!m_shell->CreateFont("\\font\\box12.asf", 0, kBitmapFontId)) {
        std::fprintf(stderr, "lumiva-demo: cannot create the bitmap font \\font\\box12.asf\n");
        return false;
    }
    return true;
}

void ClientScreen::DrawFrame(int frame) {
    m_shell->BeginFrame(0, 0xFF000000u, nullptr);
    DrawBackdrop();
    DrawPanels(frame);
    DrawTexts(frame);
    m_shell->EndFrame();
}

void ClientScreen::DrawBackdrop() {
    IDirect3DDevice9* device = m_shell->GetDevice();
    const float w = float(m_width), h = float(m_height);
    const TexturedVertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 0, 0},
                                    {w - 0.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 1, 0},
                                    {-0.5f, h - 0.5f, 0, 1, 0xFFFFFFFFu, 0, 1},
                                    {w - 0.5f, h - 0.5f, 0, 1, 0xFFFFFFFFu, 1, 1}};
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTexture(0, m_backdrop);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetFVF(kTexturedFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex));
    device->SetTexture(0, nullptr);
}

void ClientScreen::DrawPanels(int frame) {
    IDirect3DDevice9* device = m_shell->GetDevice();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);

    const float bottom = float(m_height);
    // Chat panel, bottom left.
    FillRect(device, 8, bottom - 168, 360, 160, kPanelColour);
    FrameRect(device, 8, bottom - 168, 360, 160, 0xFFC8A860u);
    // Portrait frame with health and mana bars, top left.
    FillRect(device, 8, 8, 220, 64, 0xC0101010u);
    FrameRect(device, 8, 8, 220, 64, 0xFFC8A860u);
    const float health = 140.0f + 60.0f * float((frame * 7) % 10) / 10.0f;
    FillRect(device, 16, 40, health, 10, kHealthBarColour);
    FillRect(device, 16, 54, 160, 10, 0xFF2050C0u);
    // Skill bar, bottom centre.
    const float barX = float(m_width) / 2 - 170;
    for (int slot = 0; slot < 8; ++slot) {
        const float x = barX + float(slot) * 44;
        FillRect(device, x, bottom - 52, 40, 40, 0xD0202020u);
        FrameRect(device, x, bottom - 52, 40, 40, slot == frame % 8 ? 0xFFFFE080u : 0xFF807050u);
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

void ClientScreen::DrawTexts(int frame) {
    const int bottom = m_height;
    Text(m_shell, kGdiFontId, "Lumiva Lv.42", 16, 16, 0xFFFFE8A0u);
    // Chat lines: GBK Chinese, Latin, and colour codes (0x02 r g b ... 0x03).
    Text(m_shell, kGdiFontId, "[\xCA\xC0\xBD\xE7] \xBB\xB6\xD3\xAD\xC0\xB4\xB5\xBD\xC2\xB7\xC3\xD7\xCD\xDF", 16,
         bottom - 160, 0xFFFFFFFFu);
    Text(m_shell, kGdiFontId, std::string("[Team] Meet at the \x02\x40\xFF\x40" "north gate\x03 at dusk."), 16,
         bottom - 140, 0xFFA0D0FFu);
    KTextRect box{};
    box.x = 16;
    box.y = bottom - 118;
    box.z = kScreenZ;
    box.maxLines = 4;
    box.colour = 0xFFE0E0E0u;
    const std::string wrapped =
        "[System] This long notice wraps inside the chat box: the module breaks lines between words "
        "and keeps each line within the box's width.";
    m_shell->OutputTextInRect(kGdiFontId, &box, wrapped.c_str(), int(wrapped.size()), 340);
    // The bitmap font: its glyphs are GBK codes from 0x8140.
    std::string glyphs;
    for (int i = 0; i < 8; ++i) glyphs += std::string{'\x81', char(0x40 + (i + frame) % 8)};
    Text(m_shell, kBitmapFontId, glyphs, m_width - 120, m_height - 30, 0xFFFFFFFFu);
}
