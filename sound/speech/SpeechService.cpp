#include "sound/speech/SpeechService.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/TextCodec.h"
#include "project/model/FrameInfo.h"
#include "sound/speech/SpeechMarkup.h"

namespace {

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
    PutU16(p, static_cast<uint16_t>(v));
    PutU16(p + 2, static_cast<uint16_t>(v >> 16));
}

// The 44-byte header of a 16-bit mono PCM WAV file.
std::array<uint8_t, 44> WavHeader(int nSampleRate, uint32_t nDataBytes) {
    std::array<uint8_t, 44> h{};
    std::copy_n("RIFF", 4, h.begin());
    PutU32(&h[4], 36 + nDataBytes);
    std::copy_n("WAVEfmt ", 8, h.begin() + 8);
    PutU32(&h[16], 16);
    PutU16(&h[20], 1);
    PutU16(&h[22], 1);
    PutU32(&h[24], static_cast<uint32_t>(nSampleRate));
    PutU32(&h[28], static_cast<uint32_t>(nSampleRate) * 2);
    PutU16(&h[32], 2);
    PutU16(&h[34], 16);
    std::copy_n("data", 4, h.begin() + 36);
    PutU32(&h[40], nDataBytes);
    return h;
}

bool WriteWav(const std::string& path, int nSampleRate, const std::vector<int16_t>& samples) {
    std::vector<uint8_t> data(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        PutU16(&data[i * 2], static_cast<uint16_t>(samples[i]));
    }
    const auto header = WavHeader(nSampleRate, static_cast<uint32_t>(data.size()));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
              std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    return ok;
}

}  // namespace

std::string SpeechFilePath(const std::string& tempFolder, const char* name) {
    if (tempFolder.empty()) {
        return name;
    }
    return tempFolder.back() == '/' ? tempFolder + name : tempFolder + "/" + name;
}

SSpeechText SpeechTextFrom(std::u16string_view text, bool bMarkup) {
    if (bMarkup) {
        return {SpeechMarkupToSsml(text), true};
    }
    return {Utf16ToUtf8(text), false};
}

SSpeechText SpeechTextOf(const CFrameRecord& frame) {
    if (frame.m_bSpeak != 0 && frame.m_pSpeech && !frame.m_pSpeech->empty()) {
        return SpeechTextFrom(*frame.m_pSpeech, true);
    }
    return SpeechTextFrom(frame.m_pText ? std::u16string_view(*frame.m_pText) : u"", false);
}

ESpeechResult RenderSpeechText(const SSpeechText& text, const std::string& path,
                               const std::string& voice) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    CSpeechEngine& engine = CSpeechEngine::Instance();
    if (!engine.Started()) {
        return ESpeechResult::kUnavailable;
    }
    // Plain text with nothing to say gives no file rather than a file of silence.
    if (!text.bMarkup && text.utf8.find_first_not_of(" \t\r\n") == std::string::npos) {
        return ESpeechResult::kFailed;
    }
    std::vector<int16_t> samples;
    const CSpeechEngine::TSampleSink sink = [&](const int16_t* block, std::size_t count) {
        samples.insert(samples.end(), block, block + count);
        return true;
    };
    if (!engine.Synthesize(text, voice, sink) || samples.empty()) {
        return ESpeechResult::kFailed;
    }
    return WriteWav(path, engine.SampleRate(), samples) ? ESpeechResult::kOk
                                                        : ESpeechResult::kFailed;
}

ESpeechResult RenderSpeech(const CFrameRecord& frame, const std::string& path) {
    return RenderSpeechText(SpeechTextOf(frame), path);
}

CSpeechVoice::CSpeechVoice(std::unique_ptr<ISpeechOutput> pOutput)
    : m_pOutput(std::move(pOutput)) {}

CSpeechVoice::~CSpeechVoice() {
    Cancel();
}

ESpeechResult CSpeechVoice::Speak(const SSpeechText& text) {
    const std::lock_guard lock(m_mutex);
    if (!CSpeechEngine::Instance().Started()) {
        return ESpeechResult::kUnavailable;
    }
    m_bCancel = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_bCancel = false;
    m_bSpeaking = true;
    m_worker = std::thread([this, text] { Run(text); });
    return ESpeechResult::kOk;
}

void CSpeechVoice::Cancel() {
    const std::lock_guard lock(m_mutex);
    m_bCancel = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CSpeechVoice::Run(SSpeechText text) {
    CSpeechEngine& engine = CSpeechEngine::Instance();
    if (m_pOutput && m_pOutput->Open(engine.SampleRate())) {
        const CSpeechEngine::TSampleSink sink = [this](const int16_t* block, std::size_t count) {
            return !m_bCancel && m_pOutput->Write(block, count) && !m_bCancel;
        };
        engine.Synthesize(text, {}, sink);
        if (!m_bCancel) {
            m_pOutput->Drain(m_bCancel);
        }
        m_pOutput->Close(m_bCancel);
    }
    m_bSpeaking = false;
}

bool SpeakBubble(CSpeechVoice& voice, const CFrameRecord& frame, bool bSpeakAnnotatedText) {
    if (!frame.HasTalkBubble() || (frame.m_bSpeak == 0 && !bSpeakAnnotatedText)) {
        return false;
    }
    return voice.SpeakNow(frame) == ESpeechResult::kOk;
}
