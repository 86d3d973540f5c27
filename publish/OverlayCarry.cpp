#include "publish/OverlayCarry.h"

#include "publish/MovieSegments.h"
#include "swf/SwfMovie.h"

uint32_t CarryObject(CMovieSegments& segments, CSwfObject& object, uint32_t from, uint32_t until) {
    const uint32_t first = segments.SegmentOf(from);
    segments.Timeline(first).GetFrame(from - segments.StartOf(first)).AddObject(object);
    const uint32_t last = segments.SegmentOf(until);
    // The main timeline goes on showing the segments after its own frames, so an object it
    // hands on leaves it where the next segment takes over; a later segment's sprite is removed
    // with everything on it.
    if (first == 0 && last > 0) {
        segments.Timeline(0).GetFrame(segments.StartOf(1)).RemoveObject(object);
    }
    for (uint32_t k = first + 1; k <= last; ++k) {
        if (segments.StartOf(k) < until) {
            segments.Timeline(k).GetFrame(0).AddObject(object);
        }
    }
    segments.Timeline(last).GetFrame(until - segments.StartOf(last)).RemoveObject(object);
    return until;
}

uint32_t MovieFrameOf(const std::vector<uint32_t>& frameStarts, int64_t frame, uint32_t atLeast,
                      uint32_t movieEnd) {
    if (frame < 1) {
        return movieEnd;
    }
    for (size_t i = size_t(frame - 1); i < frameStarts.size(); ++i) {
        if (frameStarts[i] != 1 || atLeast <= 1) {
            return frameStarts[i];
        }
    }
    return movieEnd;
}
