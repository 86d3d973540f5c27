// What the recording controller asks of the narration recorded with the screen. The program
// records no narration yet; CNoNarration keeps the calls in their places.
#pragma once

class INarration {
public:
    virtual ~INarration() = default;
    // Narration is being recorded with the screen.
    virtual bool Recording() const = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // The recording ended: the narration's file is finished.
    virtual void Finish() = 0;
};

class CNoNarration : public INarration {
public:
    bool Recording() const override { return false; }
    void Pause() override {}
    void Resume() override {}
    void Finish() override {}
};
