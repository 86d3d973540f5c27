// Records what the capture tick asks of its window.
#pragma once

#include <vector>

#include "recording/GrabberHost.h"

class CTestGrabberHost : public IGrabberHost {
public:
    bool ArmTimer(uint32_t ms) override {
        m_Armed.push_back(ms);
        return m_bTimerWorks;
    }
    void KillTimer() override { ++m_nKills; }
    void PostStop(EStopReason reason) override { m_Stops.push_back(reason); }
    void PostPauseCommand() override { ++m_nPauseCommands; }
    void ShowPaused(bool paused) override { m_Shown.push_back(paused); }
    void PlaySnapshotSound() override { ++m_nSounds; }
    void CloseMainWindow() override { ++m_nCloses; }

    bool m_bTimerWorks = true;
    std::vector<uint32_t> m_Armed;
    std::vector<EStopReason> m_Stops;
    std::vector<bool> m_Shown;
    int m_nKills = 0;
    int m_nPauseCommands = 0;
    int m_nSounds = 0;
    int m_nCloses = 0;
};
