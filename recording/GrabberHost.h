// What the screen grabber asks of the window that runs it: the capture timer, the messages it
// posts to the recording controller, the tray icons and the snapshot sound. The desktop program
// and the headless recorder each provide one.
#pragma once

#include <cstdint>

enum class EStopReason {
    User,      // the stop event, or the screen could not be read
    DiskFull,  // too little space left for the temporary files
};

class IGrabberHost {
public:
    virtual ~IGrabberHost() = default;

    // Arms the one-shot capture timer; false when no timer could be had.
    virtual bool ArmTimer(uint32_t ms) = 0;
    virtual void KillTimer() = 0;
    // Asks the controller to stop the recording once the tick is over.
    virtual void PostStop(EStopReason reason) = 0;
    // Asks the controller to toggle pause, as the pause hot key does.
    virtual void PostPauseCommand() = 0;
    // The paused state changed from outside (the pause event): show the matching tray icon.
    virtual void ShowPaused(bool paused) = 0;
    virtual void PlaySnapshotSound() = 0;
    // The recording cannot go on (its files or its timer failed).
    virtual void CloseMainWindow() = 0;
};
