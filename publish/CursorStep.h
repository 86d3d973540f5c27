// Cursor effects in the movie: the cursor's motion between frames and the marks of clicks and
// key presses.
#pragma once

class CFrameInfo;
struct SPublishContext;

class CCursorStep {
public:
    explicit CCursorStep(SPublishContext& context);

    // Clicks and key presses at the frame's start.
    void AddInputEffects(const CFrameInfo& frame);
    // The cursor's way from this frame's position to the next one's.
    void AddCursorMotion(const CFrameInfo& frame);

private:
    [[maybe_unused]] SPublishContext& m_context;
};
