#include "ClientScreen.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <d3d9.h>

#include "AsfFontRaster.h"
#include "SampleData.h"
#include "lumiva/IKDrawShell.h"
#include "lumiva/PrimitiveRecords.h"
#include "lumiva/TextHostRecords.h"

namespace {

// Image types of picture records.
constexpr int16_t kJpegPicture = 0;
constexpr int16_t kSpritePicture = 1;

constexpr char kBackground[] = "\\ui\\background.jpg";
constexpr char kGoldGem[] = "\\spr\\gem_gold.spr";  // SPR
constexpr char kBlueGem[] = "\\spr\\gem_blue.spr";  // SDS2
constexpr int kGemFrames = 8;
constexpr int kGemSize = 48;

constexpr char kArrow[] = "\\spr\\arrow.spr";  // one frame, kArrowSize square

// A host fills records in plain memory: start from all-zero bytes.
template <typename Record>
Record Blank() {
    return std::bit_cast<Record>(std::array<std::byte, sizeof(Record)>{});
}

void SetColour(KPrimPicture& r, DWORD argb) {
    r.alpha = uint8_t(argb >> 24), r.red = uint8_t(argb >> 16), r.green = uint8_t(argb >> 8), r.blue = uint8_t(argb);
}

template <typename Record = KPrimPictureEx>
Record Picture(const char* file, int16_t imageType, int x, int y, int frame) {
    Record r = Blank<Record>();
    std::strncpy(r.fileName, file, sizeof(r.fileName) - 1);
    r.imageType = imageType;
    r.ax = x, r.ay = y;
    r.frame = int16_t(frame);
    SetColour(r, 0xFFFFFFFFu);
    return r;
}

// A whole sprite frame centred on (x, y).
KPrimPictureEx Gem(const char* file, int x, int y, int frame, uint8_t blendMode, DWORD tint) {
    KPrimPictureEx r = Picture(file, kSpritePicture, x, y, frame % kGemFrames);
    r.flags = kPictureAnchorCentre;
    r.blendMode = blendMode;
    SetColour(r, tint);
    r.r0 = 0, r.r1 = 0, r.r2 = kGemSize, r.r3 = kGemSize;
    return r;
}

// A sprite turned by `angle` radians about its centre at (x, y): a picture
// list record on screen.
KPrimPicture Turned(const char* file, int x, int y, int size, float angle) {
    KPrimPicture r = Picture<KPrimPicture>(file, kSpritePicture, x, y, 0);
    r.flags = kPictureAnchorCentre | kPictureRotate;
    r.angle = angle;
    r.pivotX = r.pivotY = size / 2;
    return r;
}

// A sprite stretched over the rectangle from A to B: a scaled list record.
KPrimPicture Stretched(const char* file, int x1, int y1, int x2, int y2, int frame) {
    KPrimPicture r = Picture<KPrimPicture>(file, kSpritePicture, x1, y1, frame);
    r.bx = x2, r.by = y2;
    return r;
}

KPrimLine Line(int x1, int y1, int x2, int y2, DWORD argb) {
    KPrimLine r{};
    r.x1 = x1, r.y1 = y1, r.x2 = x2, r.y2 = y2;
    r.alpha = uint8_t(argb >> 24), r.red = uint8_t(argb >> 16), r.green = uint8_t(argb >> 8), r.blue = uint8_t(argb);
    return r;
}

// The filled part spans y1 + 3 .. y2 - 3; bevel lines grow above and below it.
KPrimBar Bar(int x1, int y1, int x2, int y2, DWORD rgb) {
    KPrimBar r{};
    r.ax = x1, r.ay = y1, r.bx = x2, r.by = y2;
    r.red = uint8_t(rgb >> 16), r.green = uint8_t(rgb >> 8), r.blue = uint8_t(rgb);
    return r;
}

template <typename Record>
void Draw(IKDrawShell* shell, std::vector<Record>& records, KPrimitiveType type) {
    shell->DrawPrimitives(int(records.size()), records.data(), type, 1, 0, -1, -1.0f);
}

void Text(IKDrawShell* shell, int font, const std::string& text, int x, int y, D3DCOLOR colour) {
    shell->OutputText(font, text.c_str(), int(text.size()), x, y, colour, 0, kScreenZ, 0);
}

// Text laid out in the chat panel's box: 340 pixels wide, from x 16.
void TextBox(IKDrawShell* shell, int y, int16_t maxLines, D3DCOLOR colour, const std::string& text) {
    KTextRect box{};
    box.x = 16;
    box.y = y;
    box.z = kScreenZ;
    box.maxLines = maxLines;
    box.colour = colour;
    shell->OutputTextInRect(kGdiFontId, &box, text.c_str(), int(text.size()), 340);
}

}  // namespace

bool ClientScreen::Load(const std::string& dataFolder) {
    // The shell picks its back buffer's size and stretches it over the
    // window: lay the screen out on the buffer.
    D3DVIEWPORT9 view{};
    if (IDirect3DDevice9* device = m_shell->GetDevice(); device && SUCCEEDED(device->GetViewport(&view)) &&
                                                         view.Width > 0 && view.Height > 0) {
        m_width = int(view.Width), m_height = int(view.Height);
    }
    if (!m_shell->CreateFont("@SimSun,16,0,32,0", 0, kGdiFontId)) {
        std::fprintf(stderr, "lumiva-demo: cannot create the GDI font\n");
        return false;
    }
    if (!m_shell->CreateFont("\\font\\sans12.asf", 0, kBitmapFontId)) {
        std::fprintf(stderr, "lumiva-demo: cannot create the bitmap font \\font\\sans12.asf in %s\n",
                     dataFolder.c_str());
        return false;
    }
    return true;
}

void ClientScreen::DrawFrame(int frame) {
    m_shell->BeginFrame(0, 0xFF000000u, nullptr);
    DrawBackdrop();
    // The sky's pictures come before the panels: the rectangles draw with
    // whatever blending the pictures left on, so the panels let the
    // backdrop show through, as they do in the client.
    DrawSprites(frame);
    DrawMotion(frame);
    DrawPanels(frame, true);
    DrawSkillIcons(frame);
    DrawTexts(frame);
    m_shell->EndFrame();
}

void ClientScreen::DrawHud(int frame) {
    DrawPanels(frame, false);
    DrawSkillIcons(frame);
    DrawTexts(frame);
}

void ClientScreen::DrawBackdrop() {
    std::vector<KPrimPictureEx> backdrop{Picture(kBackground, kJpegPicture, 0, 0, 0)};
    backdrop[0].r2 = m_width, backdrop[0].r3 = m_height;
    Draw(m_shell, backdrop, PRIM_RECT_PICTURES);
}

void ClientScreen::DrawPanels(int frame, bool mapPlaceholder) {
    const int bottom = m_height;
    std::vector<KPrimLine> frames, lines;
    std::vector<KPrimBar> bars;

    // Portrait with health and mana bars, top left.
    m_shell->DrawRect(8, 8, 220, 64, 0xC0101010u);
    frames.push_back(Line(8, 8, 227, 71, kFrameGold));
    const int health = 140 + 60 * ((frame * 7) % 10) / 10;
    bars.push_back(Bar(16, 37, 16 + health, 53, kHealthBarColour));
    bars.push_back(Bar(16, 54, 176, 70, 0x2050C0u));

    // Chat panel, bottom left, under a title line.
    m_shell->DrawRect(8, bottom - 168, 360, 160, kPanelColour);
    frames.push_back(Line(8, bottom - 168, 367, bottom - 9, kFrameGold));
    lines.push_back(Line(8, bottom - kSeparatorRise, 367, bottom - kSeparatorRise, kSeparatorColour));

    // Minimap, right: a shaded square with a cross on the player.
    const int mapX = m_width - 136, mapY = 180;
    if (mapPlaceholder) {
        KColorRect map{};
        map.x = mapX, map.y = mapY, map.width = 120, map.height = 120;
        map.topLeft = 0xE0305030u, map.topRight = 0xE0406040u, map.bottomLeft = 0xE0203820u,
        map.bottomRight = 0xE0508050u;
        m_shell->DrawColorRect(&map, nullptr, 0, 0);
    }
    frames.push_back(Line(mapX, mapY, mapX + 119, mapY + 119, kFrameGold));
    lines.push_back(Line(mapX + 52, mapY + 60, mapX + 68, mapY + 60, 0xFFFFFF60u));
    lines.push_back(Line(mapX + 60, mapY + 52, mapX + 60, mapY + 68, 0xFFFFFF60u));

    // Skill bar, bottom centre; the ready slot has a bright frame.
    const int barX = m_width / 2 - 170;
    for (int slot = 0; slot < 8; ++slot) {
        const int x = barX + slot * 44;
        m_shell->DrawRect(x, bottom - 52, 40, 40, 0xD0202020u);
        frames.push_back(Line(x, bottom - 52, x + 39, bottom - 13, slot == frame % 8 ? 0xFFFFE080u : 0xFF807050u));
    }

    Draw(m_shell, bars, PRIM_BARS);
    // A thin bar in the scene under the gems: scene points go through the
    // shell's projection, which centres the view on the scene's origin.
    std::vector<KPrimBar> thin{Bar(-130, -112, 70, -112, 0xE0E040u)};
    m_shell->DrawPrimitives(int(thin.size()), thin.data(), PRIM_THIN_BARS, 0, 0, -1, -1.0f);
    Draw(m_shell, lines, PRIM_LINES);
    Draw(m_shell, frames, PRIM_CORNER_FRAMES);
}

void ClientScreen::DrawSprites(int frame) {
    // A row in the sky: SPR and SDS2 gems, plain, tinted (blend mode 5) and
    // half transparent, each at its own point of the animation.
    std::vector<KPrimPictureEx> gems{
        Gem(kGoldGem, 280, kGemRowY, frame, 0, 0xFFFFFFFFu),
        Gem(kBlueGem, 340, kGemRowY, frame + 2, 0, 0xFFFFFFFFu),
        Gem(kGoldGem, 400, kGemRowY, frame + 4, 5, 0xFFFF6060u),
        Gem(kBlueGem, 460, kGemRowY, frame + 6, 5, 0xFF60FF60u),
        Gem(kGoldGem, 520, kGemRowY, frame, 0, 0x80FFFFFFu),
    };
    Draw(m_shell, gems, PRIM_RECT_PICTURES);

    // Blend mode 3 doubles the texture's colour: a picture list draws it.
    std::vector<KPrimPicture> bright{
        Picture<KPrimPicture>(kBlueGem, kSpritePicture, kBrightGemX, kGemRowY, frame % kGemFrames)};
    bright[0].flags = kPictureAnchorCentre;
    bright[0].blendMode = 3;
    Draw(m_shell, bright, PRIM_PICTURES);
}

void ClientScreen::DrawSkillIcons(int frame) {
    std::vector<KPrimPictureEx> icons;
    const int barX = m_width / 2 - 170;
    for (int slot = 0; slot < 8; ++slot)
        icons.push_back(Gem(slot % 2 ? kBlueGem : kGoldGem, barX + slot * 44 + 20, m_height - 32, frame + slot, 0,
                            0xFFFFFFFFu));
    Draw(m_shell, icons, PRIM_RECT_PICTURES);
}

void ClientScreen::DrawMotion(int frame) {
    // An arrow turning a full circle every 60 frames, and another one
    // stretched to and fro.
    const float angle = 6.2831853f * float(frame % 60) / 60.0f;
    std::vector<KPrimPicture> turned{Turned(kArrow, kTurningArrowX, kMotionRowY, kArrowSize, angle)};
    Draw(m_shell, turned, PRIM_PICTURES);
    const int reach = kArrowSize + (kArrowSize * ((frame % 20 < 10) ? frame % 20 : 20 - frame % 20)) / 10;
    const int top = kMotionRowY - kArrowSize / 2;
    std::vector<KPrimPicture> stretched{
        Stretched(kArrow, kStretchedArrowX, top, kStretchedArrowX + reach, top + kArrowSize, 0)};
    SetColour(stretched[0], 0xF0FFFFFFu);  // a touch of translucency turns blending on, and it stays on
    Draw(m_shell, stretched, PRIM_SCALED_PICTURES);
}

void ClientScreen::DrawTexts(int frame) {
    const int bottom = m_height;
    Text(m_shell, kGdiFontId, "Lumiva Lv.42", 16, 16, 0xFFFFE8A0u);
    // Chat lines: GBK Chinese, then text boxes, where control codes work: a
    // colour (2 r g b ... 3) and an underline (7 r g b ... 8).
    Text(m_shell, kGdiFontId, "[\xCA\xC0\xBD\xE7] \xBB\xB6\xD3\xAD\xC0\xB4\xB5\xBD\xC2\xB7\xC3\xD7\xCD\xDF", 16,
         bottom - 160, 0xFFFFFFFFu);
    TextBox(m_shell, bottom - 140, 1, 0xFFA0D0FFu,
            "[Team] Meet at the \x02\x40\xFF\x40north gate\x03 at \x07\xFF\xC0\x40"
            "dusk\x08.");
    TextBox(m_shell, bottom - 118, 4, 0xFFE0E0E0u,
            "[System] This long notice wraps inside the chat box: the module fills each line to the box's "
            "width and breaks it at that column, even inside a word.");
    // The bitmap font holds GBK's full-width Latin letters; the frame number
    // counts up in it.
    const std::string line = FullWidthGbk("Frame " + std::to_string(frame % 1000));
    const int width = int(line.size() / 2) * kBitmapFontId;
    Text(m_shell, kBitmapFontId, line, m_width - 16 - width, m_height - 30, 0xFFFFFFFFu);
}
