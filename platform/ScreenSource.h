// The screen as the recorder sees it: the virtual screen, its monitors, and copies of any
// rectangle of it as 32-bit pictures.
#pragma once

#include <cstdint>
#include <vector>

struct SScreenRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const SScreenRect&) const = default;
};

class IScreenSource {
public:
    virtual ~IScreenSource() = default;

    // The rectangle that holds every monitor.
    virtual SScreenRect VirtualScreen() = 0;
    // The monitors in the system's order; at least one.
    virtual std::vector<SScreenRect> Monitors() = 0;
    // Copies rect.width × rect.height pixels at (rect.x, rect.y) into `pixels` (0x00RRGGBB, top
    // row first, row stride rect.width). The part of the rectangle that lies off the screen reads
    // as black. False when the screen cannot be read at all.
    virtual bool Grab(const SScreenRect& rect, uint32_t* pixels) = 0;
};
