#include "sound/speech/SpeechEngine.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

namespace {

// Blocks of 50 ms keep a cancelled speech from running on for long.
constexpr int kBufferMs = 50;

}  // namespace

CSpeechEngine& CSpeechEngine::Instance() {
    static CSpeechEngine engine;
    return engine;
}

CSpeechEngine::CSpeechEngine() {
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    if (espeak_ng_Initialize(&context) != ENS_OK) {
        espeak_ng_ClearErrorContext(&context);
        return;
    }
    if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kBufferMs, nullptr) != ENS_OK) {
        return;
    }
    espeak_SetSynthCallback([](short* samples, int count, espeak_EVENT* events) {
        return CSpeechEngine::Callback(samples, count, events);
    });
    m_nSampleRate = espeak_ng_GetSampleRate();
    m_bStarted = espeak_ng_SetVoiceByName(kDefaultVoice) == ENS_OK && m_nSampleRate > 0;
    m_voice = kDefaultVoice;
}

int CSpeechEngine::Callback(short* samples, int count, void*) {
    CSpeechEngine& engine = Instance();
    if (engine.m_bStopped || engine.m_pSink == nullptr) {
        return 1;
    }
    if (samples != nullptr && count > 0 &&
        !(*engine.m_pSink)(samples, static_cast<std::size_t>(count))) {
        engine.m_bStopped = true;
        return 1;
    }
    return 0;
}

bool CSpeechEngine::Synthesize(const SSpeechText& text, const std::string& voice,
                               const TSampleSink& sink) {
    const std::lock_guard lock(m_mutex);
    if (!m_bStarted) {
        return false;
    }
    const std::string wanted = voice.empty() ? kDefaultVoice : voice;
    if (wanted != m_voice) {
        if (espeak_ng_SetVoiceByName(wanted.c_str()) != ENS_OK) {
            // Keep a known voice for the next caller.
            espeak_ng_SetVoiceByName(m_voice.c_str());
            return false;
        }
        m_voice = wanted;
    }
    m_pSink = &sink;
    m_bStopped = false;
    const unsigned flags = espeakCHARS_UTF8 | (text.bMarkup ? espeakSSML : 0);
    const espeak_ng_STATUS status = espeak_ng_Synthesize(text.utf8.c_str(), text.utf8.size() + 1, 0,
                                                         POS_CHARACTER, 0, flags, nullptr, nullptr);
    m_pSink = nullptr;
    return status == ENS_OK || m_bStopped;
}
