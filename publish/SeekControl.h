// The scripts that carry out a seek to "/control:position": the seek script in the control
// sprite and the goto sprite of each movie segment, which jumps inside that segment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CSwfMovie;

// "movie%5.5d", "controlgoto%5.5d", "line%5.5d" and "flag%5.5d" for segment k.
std::string SegmentName(const char* prefix, uint32_t k);

// The dragged thumb of the control bar: while it is dragged, the seek goes to the frame at its
// place on the track.
struct SSeekThumb {
    uint32_t nTotalFrames = 1;
    float fTravel = 100;  // the thumb's _x at the track's end
};

// `starts[k - 1]` is the 0-based movie frame at which segment k starts; `firstSplit` (S1) is the
// main-timeline frame that shows the first segment's sprite. Positions are 1-based.
void AddSeekScript(CSwfMovie& timeline, uint32_t frame, const std::vector<uint32_t>& starts,
                   uint32_t firstSplit, std::optional<SSeekThumb> thumb = std::nullopt);

// The two frames of the goto sprite of segment k.
void BuildSegmentGoto(CSwfMovie& timeline, uint32_t k);
