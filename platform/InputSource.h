// A source of mouse-button and key events that signals the named input events while started.
#pragma once

class IInputSource {
public:
    virtual ~IInputSource() = default;
    // True when events will now be signalled.
    virtual bool Start() = 0;
    virtual void Stop() = 0;
};
