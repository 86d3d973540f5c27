#include "editor/FrameOverlays.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "editor/bubble/BubbleDraw.h"
#include "project/model/DemoProject.h"
#include "project/model/FrameInfo.h"

QColor ColorFromUser(int32_t crColor) {
    const auto cr = static_cast<uint32_t>(crColor);
    return {static_cast<int>(cr & 0xFF), static_cast<int>((cr >> 8) & 0xFF),
            static_cast<int>((cr >> 16) & 0xFF)};
}

int32_t UserFromColor(const QColor& color) {
    return static_cast<int32_t>(static_cast<uint32_t>(color.red()) |
                                (static_cast<uint32_t>(color.green()) << 8) |
                                (static_cast<uint32_t>(color.blue()) << 16));
}

void DrawHotspot(const CFrameInfo& frame, QImage& picture) {
    if (!frame.HasHotspot()) {
        return;
    }
    const SRect& rc = frame.m_rcHotspot;
    const QRect area = QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1))
                           .normalized()
                           .intersected(picture.rect());
    if (area.isEmpty()) {
        return;
    }
    QPainter painter(&picture);
    const QColor colour = ColorFromUser(frame.m_crHotspot);
    const int nLevel = std::clamp<int>(frame.m_nHotspotLevel, 1, 100);
    switch (frame.m_nHotspotStyle) {
        case kHotspotShade: {
            // Everything but the hotspot is darkened by the level.
            QPainterPath outside;
            outside.addRect(picture.rect());
            QPainterPath inside;
            inside.addRect(area);
            painter.fillPath(outside.subtracted(inside), QColor(0, 0, 0, nLevel * 255 / 100));
            return;
        }
        case kHotspotHighlight: {
            QColor tint = colour;
            tint.setAlpha(nLevel * 255 / 100 / 2);
            painter.fillRect(area, tint);
            return;
        }
        default:
            break;
    }
    // The outline styles: the pen is as thick as the slider says, but never more than fills the
    // hotspot.
    const int nThickness = std::clamp<int>(frame.m_nHotspotThickness, 1,
                                           std::max(1, std::min(area.width(), area.height()) / 2));
    QPen pen(colour, nThickness);
    pen.setJoinStyle(Qt::MiterJoin);
    const bool bMarker = frame.m_nHotspotStyle == kHotspotImage ||
                         frame.m_nHotspotStyle == kHotspotFlashMovie ||
                         frame.m_nHotspotStyle == kHotspotMouse;
    if (bMarker) {
        pen.setStyle(Qt::DashLine);
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal half = nThickness / 2.0;
    const QRectF inner = QRectF(area).adjusted(half, half, -half, -half);
    if (frame.m_nHotspotStyle == kHotspotOval || frame.m_nHotspotStyle == kHotspotZoomOval) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawEllipse(inner);
    } else {
        painter.drawRect(inner);
    }
}

std::optional<CBubbleLayout> DrawFrameOverlays(const CDemoProject& project, const CFrameInfo& frame,
                                               QImage& picture, SOverlayChoice choice) {
    // "Place hotspot over text" puts the hotspot on top of the bubble.
    const bool bHotspotOnTop = frame.m_bHotspotOverText != 0;
    if (!bHotspotOnTop && choice.bHotspot) {
        DrawHotspot(frame, picture);
    }
    std::optional<CBubbleLayout> layout;
    if (frame.HasTalkBubble() && choice.bBubble) {
        SBubbleView view;
        view.nShownWidth = picture.width();
        view.nShownHeight = picture.height();
        view.nRecordedWidth = project.m_nWidth;
        view.nRecordedHeight = project.m_nHeight;
        view.nPanOriginX = frame.m_nPanX;
        view.nPanOriginY = frame.m_nPanY;
        layout = DrawBubble(project, frame, view, picture);
    }
    if (bHotspotOnTop && choice.bHotspot) {
        DrawHotspot(frame, picture);
    }
    return layout;
}
