#include "app/CaptureFrameWnd.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <cstdlib>

#include "recording/FrameGeometry.h"

namespace {

const QColor kFrameColour(255, 100, 100);
// A paused recording's frame may be moved; its colour says so.
const QColor kPausedColour(255, 200, 60);

}  // namespace

CCaptureFrameWnd::CCaptureFrameWnd(QWidget* pOwner, IWindowSource* pWindows, bool bHidden)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_pOwner(pOwner),
      m_bHidden(bHidden) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle("Quillo capture area");
    setMouseTracking(true);
    if (pWindows != nullptr) {
        m_follower.emplace(*pWindows);
        pWindows->Ignore(static_cast<uint32_t>(winId()));
        if (pOwner != nullptr) {
            pWindows->Ignore(static_cast<uint32_t>(pOwner->winId()));
        }
    }
    m_trackTimer.setInterval(kTrackingMs);
    connect(&m_trackTimer, &QTimer::timeout, this, [this] { FollowActiveWindow(); });
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    ApplyFrameRect(InitialFrame(desktop.width(), desktop.height()));
}

SRect CCaptureFrameWnd::VirtualScreen() const {
    const QRect v = QGuiApplication::primaryScreen()->virtualGeometry();
    return {v.left(), v.top(), v.right() + 1, v.bottom() + 1};
}

SRect CCaptureFrameWnd::CaptureRect() const {
    return Inset(m_rcWindow, kFrameBorder);
}

void CCaptureFrameWnd::SetMode(ECaptureMode mode) {
    m_mode = mode;
    UpdateTracking();
}

void CCaptureFrameWnd::ApplyFrameRect(const SRect& rect) {
    m_rcWindow = rect;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    // Only the frame itself belongs to the window: the capture inside stays the screen's.
    setMask(QRegion(0, 0, w, h) -
            QRegion(kFrameBorder, kFrameBorder, w - 2 * kFrameBorder, h - 2 * kFrameBorder));
    if (m_pOwner != nullptr) {
        m_pOwner->setWindowTitle(
            QString::asprintf("Quillo %dx%d", w - 2 * kFrameBorder, h - 2 * kFrameBorder));
    }
    if (m_mode != ECaptureMode::FullScreen) {
        m_bInteractive = !m_bRecording || m_bPaused;
    }
    UpdateTracking();
    PlaceWindow();
}

void CCaptureFrameWnd::PlaceWindow() {
    setGeometry(m_rcWindow.left, m_rcWindow.top, m_rcWindow.right - m_rcWindow.left,
                m_rcWindow.bottom - m_rcWindow.top);
}

void CCaptureFrameWnd::UpdateTracking() {
    if (m_mode == ECaptureMode::ActiveWindow && !m_bRecording && !m_bPaused) {
        if (!m_trackTimer.isActive()) {
            m_trackTimer.start();
        }
    } else {
        m_trackTimer.stop();
    }
}

void CCaptureFrameWnd::FollowActiveWindow() {
    if (!m_follower) {
        return;
    }
    if (const std::optional<SRect> placed =
            m_follower->Follow(m_rcWindow, false, VirtualScreen(), kFrameBorder)) {
        ApplyFrameRect(*placed);
    }
}

bool CCaptureFrameWnd::FollowActiveWindow(int32_t& dx, int32_t& dy) {
    dx = 0;
    dy = 0;
    if (!m_follower) {
        return false;
    }
    const std::optional<SRect> moved =
        m_follower->Follow(m_rcWindow, true, VirtualScreen(), kFrameBorder);
    if (!moved) {
        return false;
    }
    dx = moved->left - m_rcWindow.left;
    dy = moved->top - m_rcWindow.top;
    m_rcWindow = *moved;
    move(m_rcWindow.left, m_rcWindow.top);
    return true;
}

SScreenRect CCaptureFrameWnd::WindowRect() const {
    return RectOf(m_rcWindow);
}

void CCaptureFrameWnd::SetRecordingLook(bool bPaused) {
    m_bRecording = true;
    m_bPaused = bPaused;
    m_bFixedSize = true;
    m_bInteractive = bPaused;
    m_trackTimer.stop();
    update();
}

void CCaptureFrameWnd::ShowFrame() {
    if (!m_bHidden) {
        show();
    }
}

void CCaptureFrameWnd::HideFrame() {
    hide();
}

bool CCaptureFrameWnd::RaiseTrackedWindow() {
    return m_follower && m_follower->ActivateTracked();
}

void CCaptureFrameWnd::HideFrameWindow() {
    if (isVisible()) {
        hide();
        SyncWithServer();
    }
}

void CCaptureFrameWnd::ShowFrameWindow() {
    ShowFrame();
}

void CCaptureFrameWnd::PlaceFrameWindow(const SScreenRect& rect) {
    m_rcWindow = EdgesOf(rect);
    PlaceWindow();
    ShowFrame();
}

void CCaptureFrameWnd::SyncWithServer() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return;
    }
    xcb_connection_t* c = x11->connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

void CCaptureFrameWnd::paintEvent(QPaintEvent*) {
    if (m_bHidden) {
        return;
    }
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), m_bRecording && m_bPaused ? kPausedColour : kFrameColour);
    QPen dotted(Qt::black, kFrameBorder / 2, Qt::DotLine);
    painter.setPen(dotted);
    painter.drawRect(kFrameBorder / 2, kFrameBorder / 2, w - 1 - 2 * (kFrameBorder / 2),
                     h - 1 - 2 * (kFrameBorder / 2));
}

void CCaptureFrameWnd::UpdateCursor(int32_t hit, bool moving) {
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (moving) {
        shape = Qt::SizeAllCursor;
    } else if (hit == kHitLeft || hit == kHitRight) {
        shape = Qt::SizeHorCursor;
    } else if (hit == kHitTop || hit == kHitBottom) {
        shape = Qt::SizeVerCursor;
    } else if (hit == kHitTopLeft || hit == kHitBottomRight) {
        shape = Qt::SizeFDiagCursor;
    } else if (hit == kHitTopRight || hit == kHitBottomLeft) {
        shape = Qt::SizeBDiagCursor;
    }
    if (cursor().shape() != shape) {
        setCursor(shape);
    }
}

void CCaptureFrameWnd::mousePressEvent(QMouseEvent* pEvent) {
    if (!m_bInteractive) {
        return;
    }
    const QPoint p = pEvent->globalPosition().toPoint();
    const bool modifier = (pEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;
    m_lastPoint = p;
    if (pEvent->button() == Qt::RightButton ||
        (pEvent->button() == Qt::LeftButton && (m_bFixedSize || modifier))) {
        m_bMoving = true;
        UpdateCursor(0, true);
    } else if (pEvent->button() == Qt::LeftButton) {
        m_bResizing = true;
        m_nHitCode = FrameHitCode(p.x(), p.y(), m_rcWindow);
        m_resizeAnchor = p;
        m_rcResizeStart = m_rcWindow;
    }
}

void CCaptureFrameWnd::mouseMoveEvent(QMouseEvent* pEvent) {
    if (!m_bInteractive) {
        return;
    }
    const QPoint p = pEvent->globalPosition().toPoint();
    if (m_bMoving) {
        const QPoint d = p - m_lastPoint;
        m_rcWindow = {m_rcWindow.left + d.x(), m_rcWindow.top + d.y(), m_rcWindow.right + d.x(),
                      m_rcWindow.bottom + d.y()};
        PlaceWindow();
    } else if (m_bResizing) {
        const QPoint d = p - m_resizeAnchor;
        ApplyFrameRect(ResizeFrame(m_rcResizeStart, m_nHitCode, d.x(), d.y()));
    } else {
        const bool modifier =
            (pEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;
        UpdateCursor(FrameHitCode(p.x(), p.y(), m_rcWindow), m_bFixedSize || modifier);
    }
    m_lastPoint = p;
}

void CCaptureFrameWnd::mouseReleaseEvent(QMouseEvent*) {
    if (!m_bMoving && !m_bResizing) {
        return;
    }
    const int32_t hit = m_bResizing ? m_nHitCode : kHitInside;
    m_bMoving = false;
    m_bResizing = false;
    ApplyFrameRect(m_bFixedSize ? m_rcWindow : RoundFrameWidth(m_rcWindow, hit));
}
