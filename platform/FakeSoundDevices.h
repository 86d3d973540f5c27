// A sound device layer over files, for tests of the code above the layer: each recording device
// plays back a file of raw PCM samples as its recorded blocks, and playback writes what it is
// given, scaled by its volume, to a file of raw PCM samples.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/SoundDevice.h"

class CFakeSoundDevices : public ISoundDevices {
public:
    struct SDevice {
        SSoundDeviceInfo info;
        std::vector<std::string> inputs;
        std::string recordedFile;  // raw PCM in the format the recording asks for
        std::string selectedInput;
    };

    // Blocks are `nBlockMs` long and delivered at that pace (0: as fast as they are taken).
    explicit CFakeSoundDevices(int nBlockMs = 0) : m_nBlockMs(nBlockMs) {}

    void AddDevice(SDevice device);
    // Where playback writes; each playback starts the file afresh.
    void SetPlaybackFile(std::string path) { m_playbackFile = std::move(path); }
    std::string SelectedInput(const std::string& device) const;

    std::vector<SSoundDeviceInfo> RecordingDevices() override;
    std::vector<std::string> Inputs(const std::string& device) override;
    bool SelectInput(const std::string& device, const std::string& input) override;
    std::unique_ptr<ISoundRecording> StartRecording(const std::string& device,
                                                    const SPcmFormat& format, bool bStartPaused,
                                                    SoundBlockFn onBlock,
                                                    std::string& why) override;
    std::unique_ptr<ISoundPlayback> StartPlayback(const SPcmFormat& format, double fVolume,
                                                  SoundFillFn fill, std::string& why) override;

private:
    const SDevice* Find(const std::string& id) const;

    int m_nBlockMs;
    mutable std::mutex m_mutex;
    std::vector<SDevice> m_devices;
    std::string m_playbackFile;
};
