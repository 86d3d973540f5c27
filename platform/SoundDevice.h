// The sound device layer: recording devices and their inputs, recording with a block callback,
// pause, a position, and playback with a volume. The desktop implementation talks to the sound
// server; tests of the code above it use a fake that reads and writes files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Interleaved PCM: 8-bit unsigned or 16-bit signed little-endian samples.
struct SPcmFormat {
    int nRate = 44100;
    int nChannels = 2;
    int nBits = 16;
    int BytesPerFrame() const { return nChannels * nBits / 8; }
};

struct SSoundDeviceInfo {
    std::string id;           // the server's name of the device
    std::string description;  // what the device list shows
};

// Called on the layer's own thread with each recorded block; returning false stops the recording.
using SoundBlockFn = std::function<bool(std::span<const uint8_t> block)>;
// Called on the layer's own thread to fill the next block of playback; returns the bytes filled
// (whole sample frames). Fewer than asked means the sound ends after them.
using SoundFillFn = std::function<size_t(std::span<uint8_t> block)>;

class ISoundRecording {
public:
    virtual ~ISoundRecording() = default;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual bool IsPaused() const = 0;
    // Stops for good; no block arrives after it returns.
    virtual void Stop() = 0;
    // The recorded time so far, including what waits in the server's buffer, in milliseconds.
    virtual int64_t PositionMs() const = 0;
};

class ISoundPlayback {
public:
    virtual ~ISoundPlayback() = default;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // 0.0 silent ... 1.0 as recorded.
    virtual void SetVolume(double fVolume) = 0;
    // Stops for good; the fill function is not called after it returns.
    virtual void Stop() = 0;
    // True once the fill function ended the sound and everything given was played.
    virtual bool HasEnded() const = 0;
};

class ISoundDevices {
public:
    virtual ~ISoundDevices() = default;

    // Devices that can record, in the server's order.
    virtual std::vector<SSoundDeviceInfo> RecordingDevices() = 0;
    // The inputs (ports) of a recording device; empty when it has none to choose.
    virtual std::vector<std::string> Inputs(const std::string& device) = 0;
    // Makes `input` the device's active input.
    virtual bool SelectInput(const std::string& device, const std::string& input) = 0;

    // Records from `device` (empty: the default). With `bStartPaused` no block arrives before
    // Resume. Nothing, with `why`, when the device cannot record.
    virtual std::unique_ptr<ISoundRecording> StartRecording(const std::string& device,
                                                            const SPcmFormat& format,
                                                            bool bStartPaused, SoundBlockFn onBlock,
                                                            std::string& why) = 0;

    // Plays what `fill` hands out on the default output.
    virtual std::unique_ptr<ISoundPlayback> StartPlayback(const SPcmFormat& format, double fVolume,
                                                          SoundFillFn fill, std::string& why) = 0;
};
