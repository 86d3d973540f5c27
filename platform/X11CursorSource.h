// The cursor of an X display through XFixes: every reading fetches the cursor picture with its
// serial number, which is the shape's identity; pictures are kept by serial.
#pragma once

#include <map>
#include <mutex>

#include "platform/CursorSource.h"
#include "platform/X11Display.h"

class CX11CursorSource : public ICursorSource {
public:
    explicit CX11CursorSource(CX11Display& display);

    // The server offers XFixes 2 or later.
    bool Available() const { return m_bAvailable; }

    bool Read(SCursorReading& reading) override;
    bool Picture(uint32_t shape, SCursorPicture& picture) override;

private:
    CX11Display& m_display;
    bool m_bAvailable = false;
    std::mutex m_mutex;  // readings come from the sampling thread, pictures from the tick
    std::map<uint32_t, SCursorPicture> m_pictures;
    std::map<uint32_t, bool> m_showing;
};
