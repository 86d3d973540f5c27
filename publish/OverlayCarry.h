// Overlays that stay on screen over a span of movie frames, which may cross from one movie
// segment into the next, and the frame lookups that give those spans.
#pragma once

#include <cstdint>
#include <vector>

class CMovieSegments;
class CSwfObject;

// Places `object` at movie frame `from` and removes it at `until` (exclusive). Each later segment
// the span reaches places it again in its frame 0, since a segment starts with an empty display
// list; the main timeline gives it up where the first segment starts. Returns the last movie frame the object's timelines were given (`until`).
uint32_t CarryObject(CMovieSegments& segments, CSwfObject& object, uint32_t from, uint32_t until);

// The movie frame at which 1-based project frame `frame` starts. Entries still holding 1 belong
// to frames the walk never reached (when `atLeast` is past 1): the lookup moves on to the next
// frame that was reached. Frames past the project, or with no reached frame after them, give
// `movieEnd`.
uint32_t MovieFrameOf(const std::vector<uint32_t>& frameStarts, int64_t frame, uint32_t atLeast,
                      uint32_t movieEnd);
