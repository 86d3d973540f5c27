#include "publish/MovieSegments.h"

#include <utility>

CMovieSegments::CMovieSegments() {
    m_segments.push_back({nullptr, &m_main, 0});
}

CSwfFrame& CMovieSegments::Frame(uint32_t absolute) {
    const SSegment& segment = m_segments.back();
    return segment.pTimeline->GetFrame(absolute - segment.nStart);
}

CSwfMovie& CMovieSegments::Open(uint32_t start) {
    auto timeline = m_main.NewTimeline();
    CSwfMovie* pTimeline = timeline.get();
    m_segments.push_back({std::move(timeline), pTimeline, start});
    return *pTimeline;
}

uint32_t CMovieSegments::SegmentOf(uint32_t absolute) const {
    uint32_t k = 0;
    while (k + 1 < m_segments.size() && m_segments[k + 1].nStart <= absolute) {
        ++k;
    }
    return k;
}
