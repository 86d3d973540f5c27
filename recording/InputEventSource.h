// Switches the source of click and key events on and off for a recording. While it is active the
// source signals the named input events; when it cannot start, a recording goes on without
// click and key marks.
#pragma once

#include "platform/InputSource.h"

class CInputEventSource {
public:
    explicit CInputEventSource(IInputSource& source) : m_source(source) {}

    // True when the source now signals events.
    bool Start();
    void Stop();
    bool Active() const { return m_bActive; }

private:
    IInputSource& m_source;
    bool m_bActive = false;
};
