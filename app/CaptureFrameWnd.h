// The capture-area frame window: a borderless, always-on-top window shaped as a 3-pixel frame
// around the "Selected Area" or "Active Window" capture. Before a recording the user drags and
// resizes it (Shift, Ctrl or the right button move it); in "Active Window" mode it snaps to the
// active window every 50 ms. While recording it is fixed in size and deaf to the mouse, hidden
// while the grabber copies the screen under it, and moved by a pan or by following the active
// window.
#pragma once

#include <QTimer>
#include <QWidget>
#include <optional>

#include "imaging/Rect.h"
#include "recording/ActiveWindowFollower.h"
#include "recording/CaptureArea.h"
#include "recording/CaptureAreaTracker.h"
#include "recording/CaptureFrame.h"

class CCaptureFrameWnd : public QWidget, public ICaptureFrame, public ICaptureAreaTracker {
    Q_OBJECT
public:
    static constexpr int kTrackingMs = 50;

    // `pOwner` gets the title "Quillo WxH"; `pWindows` (may be null) tells the active window;
    // `bHidden` when the program runs hidden: the frame is then never painted.
    CCaptureFrameWnd(QWidget* pOwner, IWindowSource* pWindows, bool bHidden);

    void SetMode(ECaptureMode mode);
    ECaptureMode Mode() const { return m_mode; }
    // Sets the window's rectangle and shape, the owner's title and the tracking timer.
    void ApplyFrameRect(const SRect& rect);
    const SRect& FrameRect() const { return m_rcWindow; }
    SRect CaptureRect() const;
    void SetInteractive(bool bInteractive) { m_bInteractive = bInteractive; }
    bool Interactive() const { return m_bInteractive; }
    bool FixedSize() const { return m_bFixedSize; }
    bool TrackingActive() const { return m_trackTimer.isActive(); }
    // Places the frame on the active window as before a recording.
    void FollowActiveWindow();

    // The capture-area frame as the recording controller sees it.
    SScreenRect WindowRect() const override;
    void SetRecordingLook(bool bPaused) override;
    void StopTracking() override { m_trackTimer.stop(); }
    void ShowFrame() override;
    void HideFrame() override;
    bool RaiseTrackedWindow() override;

    // The capture area as the grabber sees it.
    SScreenRect FrameWindowRect() override { return WindowRect(); }
    void HideFrameWindow() override;
    void ShowFrameWindow() override;
    void PlaceFrameWindow(const SScreenRect& rect) override;
    bool FollowActiveWindow(int32_t& dx, int32_t& dy) override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    void UpdateTracking();
    void UpdateCursor(int32_t hit, bool moving);
    void PlaceWindow();
    // Waits until the X server has handled the frame's hiding, so a screen copy cannot see it.
    void SyncWithServer();
    SRect VirtualScreen() const;

    QWidget* m_pOwner;
    std::optional<CActiveWindowFollower> m_follower;
    bool m_bHidden;
    ECaptureMode m_mode = ECaptureMode::SelectedArea;
    bool m_bFixedSize = false;
    bool m_bRecording = false;
    bool m_bPaused = false;
    SRect m_rcWindow;
    bool m_bMoving = false;
    bool m_bResizing = false;
    QPoint m_lastPoint;
    QPoint m_resizeAnchor;
    SRect m_rcResizeStart;
    bool m_bInteractive = false;
    int32_t m_nHitCode = 0;
    QTimer m_trackTimer;
};
