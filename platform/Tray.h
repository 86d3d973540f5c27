// The notification-area icon of a recording: one place that shows either the recording icon or
// the paused icon (never both), each with its tip. A left click on the recording icon stops the
// recording; the desktop program reports it to whoever owns the tray.
#pragma once

inline constexpr const char* kRecordingTrayTip = "Click to stop recording\nwith Quillo!";
inline constexpr const char* kPausedTrayTip = "Quillo\nrecording paused...";

enum class ETrayIcon { None, Recording, Paused };

class ITray {
public:
    virtual ~ITray() = default;
    // Replaces whatever icon is shown; ETrayIcon::None removes it.
    virtual void Show(ETrayIcon icon) = 0;
    virtual ETrayIcon Shown() const = 0;
};
