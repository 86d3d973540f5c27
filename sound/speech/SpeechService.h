// Speaking talk bubbles: which text a frame speaks, rendering it into a WAV file for the
// soundtrack, and speaking it at once in the preview (asynchronously, cancelling earlier speech).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sound/speech/SpeechEngine.h"

struct CFrameRecord;

// The speech file names, made in the temporary folder of the settings.
inline constexpr const char* kSpeechFile = "QLtemptalkbubble.wav";
inline constexpr const char* kListenFile = "QLtemptalkbubble2.wav";
// Shown when the speech engine cannot start.
inline constexpr const char* kSpeechStartError = "Error to initialize COM";

// `name` in `tempFolder` (with or without a trailing '/').
std::string SpeechFilePath(const std::string& tempFolder, const char* name);

// The frame's alternate speech as marked-up text when it is to be spoken and not empty, else its
// bubble text as plain text.
SSpeechText SpeechTextOf(const CFrameRecord& frame);
// Typed text as plain text, or marked-up text, ready for the engine.
SSpeechText SpeechTextFrom(std::u16string_view text, bool bMarkup);

enum class ESpeechResult { kOk, kUnavailable, kFailed };

// Renders the speech into a 16-bit mono WAV file at `path` (created anew). On any failure no
// file is left at `path`, which callers take as no speech.
ESpeechResult RenderSpeechText(const SSpeechText& text, const std::string& path,
                               const std::string& voice = {});
ESpeechResult RenderSpeech(const CFrameRecord& frame, const std::string& path);

// Where spoken samples go while the preview speaks.
class ISpeechOutput {
public:
    virtual ~ISpeechOutput() = default;
    virtual bool Open(int nSampleRate) = 0;
    // Plays a block; may block while the output is full.
    virtual bool Write(const int16_t* samples, std::size_t count) = 0;
    // Waits until everything written has played, or until `bCancel` is set.
    virtual void Drain(const std::atomic<bool>& bCancel) = 0;
    // Ends a speech, dropping what has not played yet when `bDrop` is set.
    virtual void Close(bool bDrop) = 0;
};

// The preview's voice: one speech at a time, each new one cancelling the one before.
class CSpeechVoice {
public:
    explicit CSpeechVoice(std::unique_ptr<ISpeechOutput> pOutput);
    ~CSpeechVoice();
    CSpeechVoice(const CSpeechVoice&) = delete;
    CSpeechVoice& operator=(const CSpeechVoice&) = delete;

    // Starts speaking and returns at once; kUnavailable when the engine did not start.
    ESpeechResult Speak(const SSpeechText& text);
    ESpeechResult SpeakNow(const CFrameRecord& frame) { return Speak(SpeechTextOf(frame)); }
    // Stops the current speech; returns when it has stopped.
    void Cancel();
    bool IsSpeaking() const { return m_bSpeaking; }

private:
    void Run(SSpeechText text);

    std::unique_ptr<ISpeechOutput> m_pOutput;
    std::mutex m_mutex;
    std::thread m_worker;
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bSpeaking{false};
};

// The preview's speech when a bubble comes into view: the frame's bubble is spoken when the frame
// asks for it or the project speaks every bubble ("Speak annotated text"). Returns whether it
// started speaking.
bool SpeakBubble(CSpeechVoice& voice, const CFrameRecord& frame, bool bSpeakAnnotatedText);
