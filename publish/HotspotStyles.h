// The animated pictures of hotspots: each style draws its frames into the hotspot's own timeline,
// from frame `first` on, and loops, stops or stays as the style wants.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/Rect.h"

class CSwfMovie;
class CSwfObject;

struct SHotspotLook {
    uint8_t nStyle = 0;
    SRect rc;                // movie pixels
    int32_t nTwips = 20;     // units per pixel
    int32_t crColor = 0;     // 0x00BBGGRR
    int32_t nThickness = 5;  // band width wish of the oval and oblong styles
    int32_t nLevel = 80;     // strength of "Shade" and "Highlight", 1 to 100
    bool bExact = true;      // a ripple keeps to the rectangle rather than growing around it
    int32_t nFrameRate = 12;
    int32_t nPictureWidth = 0;  // the movie's picture, pixels
    int32_t nPictureHeight = 0;
    // The picture under the hotspot for "Pulse" and "Enlarge": 0xAARRGGBB pixels of a
    // nPictureWidth x nPictureHeight picture.
    const std::vector<uint32_t>* pPicture = nullptr;
};

// Keeps an object alive until the movie is written and returns it.
using KeepObject = std::function<CSwfObject&(std::unique_ptr<CSwfObject>)>;

// Draws the style's animation into `timeline` from frame `first`. Styles without a picture
// ("Mouse Hotspot", "Image", "Flash Movie") draw nothing here.
void DrawHotspotAnimation(const SHotspotLook& look, CSwfMovie& timeline, uint32_t first,
                          const KeepObject& keep);

// The width in pixels of the band that "Oval", "Oblong" and their zooming forms draw around a
// rectangle of w x h pixels (already shrunk): odd, and no wider than the rectangle allows.
int32_t HotspotBandWidth(int32_t w, int32_t h, int32_t thickness);
