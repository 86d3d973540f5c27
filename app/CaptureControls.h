// The capture choices of the main window: the three mode buttons, the monitor list, the "Pan"
// check box and the frame window with the connection it asks about the active window.
#pragma once

#include <memory>
#include <vector>

#include "app/CaptureFrameWnd.h"
#include "platform/X11Display.h"
#include "platform/X11WindowSource.h"
#include "recording/CaptureArea.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;

struct SCaptureControls {
    QButtonGroup* pModes = nullptr;
    QPushButton* pModeButtons[3] = {nullptr, nullptr, nullptr};
    QComboBox* pMonitors = nullptr;
    QCheckBox* pPan = nullptr;
    std::unique_ptr<CX11Display> pDisplay;
    std::unique_ptr<CX11WindowSource> pWindows;
    std::unique_ptr<CCaptureFrameWnd> pFrame;
    SCaptureChoice choice;
    // The monitors and the virtual screen as the recording sees them, read at start-up.
    std::vector<SScreenRect> monitors;
    SScreenRect virtualScreen;
    int nMonitors = 1;
    // A mode press is being handled; a second one meanwhile is ignored.
    bool bBusy = false;
};
