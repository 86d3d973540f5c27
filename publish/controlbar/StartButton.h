// The start button: a large play button in the middle of the picture that the movie waits on in
// its first frame, so that the viewer's first click starts the movie (and its sound).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "publish/controlbar/BarSizing.h"

class CSwfMovie;
class CSwfObject;

// The button's side s and the size of the picture family it is drawn from.
struct SStartButtonSize {
    int32_t nSide = 0;     // s, pixels
    int32_t nPicture = 0;  // 64, 128 or 256, 8 more for the round and bordered families
    int32_t nStep = 0;     // 0, 3 or 6
    int32_t nFamily = 0;   // 0 square, 30 round, 60 bordered, 90 plain
};

int32_t StartButtonFamily(EBarStyle style);
// `width` and `height` are the picture's (or the zoomed area's) size.
SStartButtonSize SizeStartButton(int32_t width, int32_t height, EBarStyle style);

class CStartButton {
public:
    CStartButton();
    ~CStartButton();

    // Places the button over the centre of a `width` x `height` picture in frame 0 of
    // `timeline`, removes it in frame 1 and makes frame 0 wait for the click.
    void Add(CSwfMovie& timeline, int32_t width, int32_t height, int32_t twips, EBarStyle style,
             const std::array<uint32_t, 6>& colors);

private:
    std::vector<std::unique_ptr<CSwfObject>> m_objects;
};
