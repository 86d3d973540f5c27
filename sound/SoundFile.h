// A frame's sound file in the editor: its duration, and playing it through the sound device layer
// with the frame's processing (noise profile, automatic gain) applied to every block.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/SoundDevice.h"
#include "sound/SoundPath.h"
#include "sound/SoundProfile.h"

class IPrompter;

// Milliseconds of sound in the file; 0 when it cannot be found or read.
int64_t GetSoundDurationMs(const std::string& relative, const std::string& absolute,
                           const SSoundSearch& where);
int64_t SoundFileDurationMs(const std::string& path);

// What one playback asks for. The blend, silence level and automatic-gain switch are read at
// every block, so that the frame's sound dialog changes a sound that is playing.
struct SPlayRequest {
    std::string relative;
    std::string absolute;
    std::optional<int64_t> nStartMs;  // nothing: from the beginning
    int32_t nLengthHundredths = 0;    // 0: to the end
    bool bLoop = false;
    int32_t nVolume = 32768;                         // 0 ... 32768
    float fGain = 1.0f;                              // D
    int32_t nZeroOffset = 0;                         // E
    const std::atomic<int32_t>* pBlend = nullptr;    // A; nothing: 1024
    const std::atomic<int32_t>* pSilence = nullptr;  // B; nothing: no gate
    const std::atomic<bool>* pAutoGain = nullptr;
};

class CSoundFilePlayer {
public:
    // `pPrompter` (may be null) gets the one warning per file name that cannot be opened.
    CSoundFilePlayer(ISoundDevices& devices, IPrompter* pPrompter, SSoundSearch where);
    ~CSoundFilePlayer();
    CSoundFilePlayer(const CSoundFilePlayer&) = delete;
    CSoundFilePlayer& operator=(const CSoundFilePlayer&) = delete;

    bool PlaySoundFile(const SPlayRequest& request);
    void Stop();
    bool IsPlaying() const;
    // The player's fade factor, 1.0 when no fade runs.
    void SetFade(float fFade);

    struct SSession;

private:
    ISoundDevices& m_devices;
    IPrompter* m_pPrompter;
    SSoundSearch m_where;
    std::set<std::string> m_warned;
    std::shared_ptr<SSession> m_pSession;
    std::unique_ptr<ISoundPlayback> m_pPlayback;
    std::atomic<float> m_fFade{1.0f};
};
