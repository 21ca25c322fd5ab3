// Drawing the mini-map's visible blocks and handing the host its icons.
#include <cstring>

#include "place/PlaceMap.h"
#include "place/ScenePlaceHost.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellServices.h"

void KPlaceMap::Paint(int x, int y, bool isCurrentMap, int a, int b) {
    if (!m_hasPicture || !ShellServices()) return;
    if (m_flags & kFlagShown) DrawBlocks(x, y, a, b);
    if (isCurrentMap && (m_flags & (kFlagIconsA | kFlagIconsB)) == (kFlagIconsA | kFlagIconsB)) SendIcons(x, y, b);
}

void KPlaceMap::DrawBlocks(int x, int y, int a, int b) {
    KShellServices& shell = *ShellServices();
    int screenY = y;
    for (int row = m_firstRow; row <= m_lastRow; ++row) {
        const int top = row == m_firstRow ? m_firstOffsetY : 0;
        const int bottom = row == m_lastRow ? m_lastOffsetY : kBlockSide;
        int screenX = x;
        for (int column = m_firstColumn; column <= m_lastColumn; ++column) {
            const int left = column == m_firstColumn ? m_firstOffsetX : 0;
            const int right = column == m_lastColumn ? m_lastOffsetX : kBlockSide;
            KMapBlock& block = m_blocks[row * kBlocksPerSide + column];
            m_record.ax = screenX;
            m_record.ay = screenY;
            m_record.r0 = left;
            m_record.r1 = top;
            m_record.r2 = right;
            m_record.r3 = bottom;
            std::memcpy(m_record.fileName, block.key, sizeof block.key);
            m_record.fileId = block.image;
            m_record.indexHint = block.indexHint;
            if (a)
                shell.CompositePictureToCapture(&m_record);
            else
                shell.DrawPrimitives(1, &m_record, PRIM_RECT_PICTURES, 1, 0, b ? -1 : g_BrightnessLevel, -1.0f);
            block.image = m_record.fileId;
            block.indexHint = m_record.indexHint;
            screenX += right - left;
        }
        screenY += bottom - top;
    }
}

void KPlaceMap::SendIcons(int x, int y, int b) {
    IScenePlaceHost* host = ScenePlaceHost();
    if (!host) return;
    KMapIconRecord icons;
    std::memset(static_cast<void*>(&icons), 0, sizeof icons);
    icons.paintX = x;
    icons.paintY = y;
    icons.flagBit1 = (m_flags & kFlagIconsA) ? 1 : 0;
    icons.flagBit2 = (m_flags & kFlagIconsB) ? 1 : 0;
    const uint32_t now = GetTickCount();
    icons.elapsed = now - m_lastSendTime;
    icons.viewWindow = m_viewWindow;
    icons.acceptSecond = m_taskIconSizes[0][1];
    icons.acceptFirst = m_taskIconSizes[0][0];
    icons.accept = &m_taskIcons[0];
    icons.finishSecond = m_taskIconSizes[1][1];
    icons.finishFirst = m_taskIconSizes[1][0];
    icons.finish = &m_taskIcons[1];
    icons.cantFinishSecond = m_taskIconSizes[2][1];
    icons.cantFinishFirst = m_taskIconSizes[2][0];
    icons.cantFinish = &m_taskIcons[2];
    std::memcpy(static_cast<void*>(&icons.picture), static_cast<const void*>(&m_record), sizeof icons.picture);
    char* names[6] = {icons.teamIcon,     icons.friendIcon, icons.playerIcon,
                      icons.fightNpcIcon, icons.normalIcon, icons.fightPlayerIcon};
    for (int i = 0; i < 6; ++i) std::memcpy(names[i], m_iconNames[i], sizeof m_iconNames[i]);
    host->PaintMapIcons(&icons, b);
    m_lastSendTime = now;
}
