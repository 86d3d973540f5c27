// The movie's sound: the sounds frames start and the soundtrack they are mixed into.
#pragma once

#include <cstdint>

class CFrameInfo;
struct SPublishContext;

class CSoundtrackStep {
public:
    explicit CSoundtrackStep(SPublishContext& context);

    // Movie frames of the sound that the frame starts, 0 without one.
    uint32_t SoundFrames(const CFrameInfo& frame) const;
    void AddFrameSounds(const CFrameInfo& frame);
    // Writes the soundtrack and puts it into the movie, once every frame is laid out.
    void InsertSoundtrack();

private:
    SPublishContext& m_context;
};
