// Plays the preview's speech on the sound server's default output. The stream is opened with the
// first speech and kept until the output is destroyed.
#pragma once

#include "sound/speech/SpeechService.h"

struct pa_simple;

class CPulseSpeechOutput : public ISpeechOutput {
public:
    ~CPulseSpeechOutput() override;
    bool Open(int nSampleRate) override;
    bool Write(const int16_t* samples, std::size_t count) override;
    void Drain(const std::atomic<bool>& bCancel) override;
    void Close(bool bDrop) override;

private:
    pa_simple* m_pStream = nullptr;
    int m_nSampleRate = 0;
};
