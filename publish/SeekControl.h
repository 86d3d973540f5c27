// The scripts that carry out a seek to "/control:position": the seek script in the control
// sprite and the goto sprite of each movie segment, which jumps inside that segment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CSwfMovie;

// "movie%5.5d", "controlgoto%5.5d", "line%5.5d" and "flag%5.5d" for segment k.
std::string SegmentName(const char* prefix, uint32_t k);

// `starts[k - 1]` is the 0-based movie frame at which segment k starts; `firstSplit` (S1) is the
// main-timeline frame that shows the first segment's sprite. Positions are 1-based.
void AddSeekScript(CSwfMovie& timeline, uint32_t frame, const std::vector<uint32_t>& starts,
                   uint32_t firstSplit);

// The two frames of the goto sprite of segment k.
void BuildSegmentGoto(CSwfMovie& timeline, uint32_t k);
