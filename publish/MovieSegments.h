// The movie's timelines: the main one and the segments the movie is cut into when it grows too
// long for one timeline. Movie frames are numbered over the whole movie; new content goes into
// the segment opened last, whose frame numbers are the movie's minus its start.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/SwfMovie.h"

class CMovieSegments {
public:
    CMovieSegments();

    CSwfMovie& Main() { return m_main; }
    // Segment 0 is the main timeline.
    uint32_t Count() const { return uint32_t(m_segments.size()); }
    uint32_t StartOf(uint32_t k) const { return m_segments[k].nStart; }
    CSwfMovie& Current() { return *m_segments.back().pTimeline; }
    CSwfMovie& Timeline(uint32_t k) { return *m_segments[k].pTimeline; }
    // The segment that shows movie frame `absolute`.
    uint32_t SegmentOf(uint32_t absolute) const;
    uint32_t CurrentStart() const { return m_segments.back().nStart; }
    // The frame of the open segment that shows movie frame `absolute`.
    CSwfFrame& Frame(uint32_t absolute);

    // Opens the next segment, starting at movie frame `start`.
    CSwfMovie& Open(uint32_t start);
    // Segment k (1 or later) for the sprite that shows it.
    std::unique_ptr<CSwfMovie> Take(uint32_t k) { return std::move(m_segments[k].pOwned); }

private:
    struct SSegment {
        std::unique_ptr<CSwfMovie> pOwned;  // null for the main timeline
        CSwfMovie* pTimeline = nullptr;
        uint32_t nStart = 0;
    };

    CSwfMovie m_main;
    std::vector<SSegment> m_segments;
};
