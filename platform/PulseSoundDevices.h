// The sound device layer over the sound server's client library (PulseAudio, or PipeWire's
// server speaking its protocol): sources and their ports are the recording devices and inputs,
// corking pauses, and the stream's time is the position.
#pragma once

#include <memory>
#include <string>

#include "platform/SoundDevice.h"

class CPulseSoundDevices : public ISoundDevices {
public:
    CPulseSoundDevices();
    ~CPulseSoundDevices() override;
    CPulseSoundDevices(const CPulseSoundDevices&) = delete;
    CPulseSoundDevices& operator=(const CPulseSoundDevices&) = delete;

    // Connects to the server the environment names (PULSE_SERVER) or the user's own.
    bool Connect(std::string& why);

    std::vector<SSoundDeviceInfo> RecordingDevices() override;
    std::vector<std::string> Inputs(const std::string& device) override;
    bool SelectInput(const std::string& device, const std::string& input) override;
    std::unique_ptr<ISoundRecording> StartRecording(const std::string& device,
                                                    const SPcmFormat& format, bool bStartPaused,
                                                    SoundBlockFn onBlock,
                                                    std::string& why) override;
    std::unique_ptr<ISoundPlayback> StartPlayback(const SPcmFormat& format, double fVolume,
                                                  SoundFillFn fill, std::string& why) override;

    struct SConnection;

private:
    std::shared_ptr<SConnection> m_p;
};
