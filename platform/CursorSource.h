// The mouse cursor: where it is and which shape it shows, and the pictures of those shapes.
#pragma once

#include <cstdint>
#include <vector>

struct SCursorReading {
    int32_t x = 0;  // hot spot, virtual-screen coordinates
    int32_t y = 0;
    uint32_t shape = 0;    // identity of the cursor picture; a new value means a new picture
    bool showing = false;  // the cursor has at least one visible pixel
};

struct SCursorPicture {
    uint32_t shape = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t hotX = 0;
    int32_t hotY = 0;
    // width × height pixels, top row first, 0xAARRGGBB with the colour premultiplied by alpha;
    // alpha 0 is transparent.
    std::vector<uint32_t> argb;
};

class ICursorSource {
public:
    virtual ~ICursorSource() = default;
    // One reading of the cursor; false when it cannot be read.
    virtual bool Read(SCursorReading& reading) = 0;
    // The picture of a shape that an earlier reading returned; false when it is unknown.
    virtual bool Picture(uint32_t shape, SCursorPicture& picture) = 0;
};
