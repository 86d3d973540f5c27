// The speech engine (espeak-ng) shared by the whole program. The engine keeps one state per
// process, so every synthesis goes through this object, one at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

struct SSpeechText {
    std::string utf8;  // plain text, or an SSML document when bMarkup is set
    bool bMarkup = false;
};

class CSpeechEngine {
public:
    // Receives each block of 16-bit mono samples; returning false stops the synthesis.
    using TSampleSink = std::function<bool(const int16_t* samples, std::size_t count)>;

    static CSpeechEngine& Instance();

    // False when the engine or its data could not be started; nothing can be spoken then.
    bool Started() const { return m_bStarted; }
    int SampleRate() const { return m_nSampleRate; }

    // Synthesises `text` with the voice `voice` (empty: the default voice) into `sink`. Returns
    // false when the engine is not started, the voice is unknown or the synthesis failed; a
    // synthesis the sink stopped counts as done.
    bool Synthesize(const SSpeechText& text, const std::string& voice, const TSampleSink& sink);

private:
    CSpeechEngine();
    static int Callback(short* samples, int count, void* events);

    std::mutex m_mutex;
    bool m_bStarted = false;
    int m_nSampleRate = 0;
    std::string m_voice;
    const TSampleSink* m_pSink = nullptr;
    bool m_bStopped = false;
};

inline constexpr const char* kDefaultVoice = "en";
