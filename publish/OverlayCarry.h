// Overlays that stay on screen over several frames, also where the movie is cut into segments.
#pragma once

#include <cstdint>

class CMovieSegments;
class CSwfObject;

// Shows `object` from movie frame `from` until movie frame `until` (exclusive). In every later
// segment it reaches it is placed again at the segment's first frame. It leaves the main
// timeline where the first segment sprite takes over; a segment sprite takes its objects with
// it when the next one replaces it, so nothing is removed past a segment's last frame.
void CarryObject(CMovieSegments& segments, CSwfObject& object, uint32_t from, uint32_t until);
