// The main window's capture choices: "Full Screen" with its monitor list, "Selected Area" with
// "Pan", and "Active Window", the frame window they show, and the title "Quillo WxH".
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

#include "app/CaptureController.h"
#include "app/MainWindow.h"
#include "platform/X11ScreenSource.h"
#include "recording/FrameGeometry.h"
#include "settings/SettingsFiles.h"

namespace {

// The buttons in the order of the stored capture mode.
const char* const kModeNames[] = {"Full Screen", "Selected Area", "Active Window"};

SScreenRect QtVirtualScreen() {
    const QRect v = QGuiApplication::primaryScreen()->virtualGeometry();
    return {v.x(), v.y(), v.width(), v.height()};
}

}  // namespace

CCaptureController::CCaptureController(CMainWindow& window) : m_window(window) {}

CCaptureController::~CCaptureController() = default;

void CCaptureController::BuildChoices(QHBoxLayout* pRow) {
    m_pControls = std::make_unique<SCaptureControls>();
    SCaptureControls& c = *m_pControls;
    QWidget* pPanel = pRow->parentWidget();
    c.pModes = new QButtonGroup(pPanel);
    for (int i = 0; i < 3; ++i) {
        c.pModeButtons[i] = new QPushButton(kModeNames[i], pPanel);
        c.pModeButtons[i]->setCheckable(true);
        c.pModes->addButton(c.pModeButtons[i], i);
        pRow->addWidget(c.pModeButtons[i]);
    }
    connect(c.pModes, &QButtonGroup::idClicked, this, [this](int id) { SetMode(id); });
    // The monitors are counted as the recording enumerates them.
    if (QGuiApplication::platformName() == "xcb") {
        c.pDisplay = std::make_unique<CX11Display>();
        if (c.pDisplay->IsOpen()) {
            c.pWindows = std::make_unique<CX11WindowSource>(*c.pDisplay);
            CX11ScreenSource screen(*c.pDisplay, false);
            c.monitors = screen.Monitors();
            c.virtualScreen = screen.VirtualScreen();
        }
    }
    if (c.monitors.empty()) {
        c.virtualScreen = QtVirtualScreen();
        c.monitors.push_back(c.virtualScreen);
    }
    c.pMonitors = new QComboBox(pPanel);
    c.pMonitors->setObjectName("monitorList");
    c.nMonitors = static_cast<int>(c.monitors.size());
    c.pMonitors->addItem("All");
    for (int i = 1; i <= c.nMonitors; ++i) {
        c.pMonitors->addItem(QString::number(i));
    }
    connect(c.pMonitors, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_pControls->choice.nMonitor = std::max(index, 0);
        ShowSize();
    });
    pRow->addWidget(c.pMonitors);
    c.pPan = new QCheckBox("Pan", pPanel);
    connect(c.pPan, &QCheckBox::toggled, this,
            [this](bool bOn) { m_pControls->choice.bPan = bOn; });
    pRow->addWidget(c.pPan);

    c.pFrame = std::make_unique<CCaptureFrameWnd>(&m_window, c.pWindows.get(),
                                                  m_window.CommandLine().bHidden);
}

void CCaptureController::Restore() {
    SCaptureControls& c = *m_pControls;
    const CProgramState& state = m_window.Settings().m_state;
    // Stored as left, right, top, bottom.
    const auto& r = state.m_rcCaptureFrame;
    if (r[1] > r[0] && r[3] > r[2]) {
        c.pFrame->ApplyFrameRect({r[0], r[2], r[1], r[3]});
    }
    c.choice.bPan = m_window.CommandLine().bPan;
    c.pPan->setChecked(c.choice.bPan);
    SetMode(std::clamp<int>(state.m_nCaptureMode, 0, 2));
}

void CCaptureController::Store() {
    if (!m_pControls) {
        return;
    }
    CProgramState& state = m_window.Settings().m_state;
    const SRect& r = m_pControls->pFrame->FrameRect();
    state.m_rcCaptureFrame = {r.left, r.right, r.top, r.bottom};
    state.m_nCaptureMode = static_cast<int32_t>(m_pControls->choice.mode);
}

void CCaptureController::SetMode(int nMode) {
    SCaptureControls& c = *m_pControls;
    const auto mode = static_cast<ECaptureMode>(nMode);
    if (mode != ECaptureMode::FullScreen && c.bBusy) {
        return;
    }
    c.bBusy = true;
    c.choice.mode = mode;
    m_window.Settings().m_state.m_nCaptureMode = nMode;
    c.pModeButtons[nMode]->setChecked(true);
    CCaptureFrameWnd& frame = *c.pFrame;
    frame.SetMode(mode);
    switch (mode) {
        case ECaptureMode::FullScreen:
            c.pMonitors->setVisible(c.nMonitors > 1);
            c.pPan->setVisible(false);
            frame.HideFrame();
            ShowSize();
            break;
        case ECaptureMode::SelectedArea: {
            c.pPan->setVisible(true);
            c.pPan->setEnabled(true);
            c.pMonitors->setVisible(false);
            const SRect clamped = ClampFrameToScreen(frame.FrameRect(), EdgesOf(c.virtualScreen));
            frame.ShowFrame();
            frame.ApplyFrameRect(clamped);
            m_window.RecordButton()->setFocus();
            break;
        }
        case ECaptureMode::ActiveWindow:
            c.pPan->setVisible(false);
            c.pMonitors->setVisible(false);
            frame.SetInteractive(true);
            frame.ShowFrame();
            frame.ApplyFrameRect(frame.FrameRect());
            frame.FollowActiveWindow();
            break;
    }
    c.bBusy = false;
}

void CCaptureController::ShowSize() {
    SCaptureControls& c = *m_pControls;
    if (c.choice.mode != ECaptureMode::FullScreen) {
        return;
    }
    const SScreenRect r = ScreenRectFor(c.choice, c.monitors, c.virtualScreen);
    m_window.setWindowTitle(QString::asprintf("Quillo %dx%d", r.width, r.height));
}

CCaptureFrameWnd* CCaptureController::Frame() const {
    return m_pControls ? m_pControls->pFrame.get() : nullptr;
}

SCaptureChoice CCaptureController::Choice() const {
    return m_pControls ? m_pControls->choice : SCaptureChoice{};
}
