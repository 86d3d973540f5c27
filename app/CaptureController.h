// The capture choices of the main window: the three mode buttons, the monitor list, the "Pan"
// check box and the frame window with the connection it asks about the active window.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "app/CaptureFrameWnd.h"
#include "platform/X11Display.h"
#include "platform/X11WindowSource.h"
#include "recording/CaptureArea.h"

class CMainWindow;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
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

class CCaptureController : public QObject {
    Q_OBJECT
public:
    explicit CCaptureController(CMainWindow& window);
    ~CCaptureController() override;

    // Adds the choices to the capture panel's row.
    void BuildChoices(QHBoxLayout* pRow);
    // The choices of the program state file and the command line.
    void Restore();
    void Store();
    void SetMode(int nMode);
    // The frame window of the two window modes; null before the choices are built.
    CCaptureFrameWnd* Frame() const;
    SCaptureChoice Choice() const;

private:
    // The title "Quillo WxH" of the full screen mode.
    void ShowSize();

    CMainWindow& m_window;
    std::unique_ptr<SCaptureControls> m_pControls;
};
