// Effects over the pictures: the movie's start and end effects, each frame's transition, and
// the fade-in length of the frames whose bitmaps cross-fade.
#pragma once

#include <cstdint>
#include <memory>

class CFrameInfo;
class CSwfBitmapRect;
class CSwfRectangle;
struct SPublishContext;

class CEffectsStep {
public:
    explicit CEffectsStep(SPublishContext& context);

    // Movie frames over which the frame's bitmaps fade in; 0 when they show at once.
    uint32_t FadeFrames(const CFrameInfo& frame) const;
    // "Zoom-in movie at start" on `pFirst` (the first picture, placed by no one else; null
    // without that effect) and "Fade-in movie at start"; the frame's own time starts 5 movie
    // frames after them.
    void AddStartEffects(CSwfBitmapRect* pFirst);
    // "Zoom-out movie at end" on `pFinal` (the final picture, placed by no one else; null
    // without that effect) and "Fade-out movie at end".
    void AddEndEffects(CSwfBitmapRect* pFinal);
    // The frame's transition between movie frames `first` and `end`.
    void AddTransition(const CFrameInfo& frame, uint32_t first, uint32_t end);

private:
    void AddSweep(const CFrameInfo& frame, uint32_t first, uint32_t end);
    // The recorded area as shown in this frame, in movie units.
    std::unique_ptr<CSwfRectangle> AreaRect() const;

    SPublishContext& m_context;
    bool m_bCrossFades = false;  // "Transitional Fades Start" is in force
};
