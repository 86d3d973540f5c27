// Timeline planning: the order the frames play in, their durations and the movie frames they
// start and end at, the segments the movie is cut into, and the scripts at the movie's start and
// end that tie the segments together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CDemoProject;
class CFrameInfo;
class CSwfMovie;
struct SPublishContext;

// A frame's duration in 1/100 s as the movie plays it, before the playback speed.
int32_t PublishDuration(const CFrameInfo& frame, float swfDelayScale);

// The frames in the order the movie plays them: deleted frames left out, a linear-play go-to
// followed the first time it is met (0-based indexes).
std::vector<uint32_t> PlayOrder(const CDemoProject& project);

class CTimelineStep {
public:
    static constexpr uint32_t kFirstSegmentFrames = 12000;
    static constexpr uint32_t kSegmentFrames = 4000;
    static constexpr uint32_t kMinFrames = 5;

    explicit CTimelineStep(SPublishContext& context);

    // The main timeline's size, rate, opening script and first frame, and the video sync
    // marker.
    void StartMainTimeline();
    // The first frame of a timeline: the background over the whole picture.
    void AddFrameZero(CSwfMovie& timeline);

    // Lays the play order out in time. Start times are summed as doubles so that rounding never
    // adds up.
    void Plan();
    const std::vector<uint32_t>& Order() const { return m_order; }
    // Project frame `index` (0-based).
    CFrameInfo& ProjectFrame(uint32_t index) { return *m_frames[index]; }

    // Opens a new segment when the current one is full or a split was asked for; true when it
    // did.
    bool SplitIfDue();
    // A split before the next frame, counting `credit` movie frames as already laid out.
    void RequestSplit(uint32_t credit);
    // Asks for a split when a sound of `soundFrames` starting at the next frame would not fit
    // in the current segment.
    void FitSound(uint32_t soundFrames);

    // Project frame `index` starts at the current movie frame; deleted frames skipped on the
    // way there start there too.
    void NoteStart(uint32_t index);
    // The movie frame at which each project frame starts, 1 at least.
    std::vector<uint32_t> FrameStarts() const;

    // Frame timing counts from the movie frame the first picture's own time starts at.
    void SetTimingOrigin(uint32_t movieFrame) { m_nTimingOrigin = movieFrame; }
    // The movie frame at which the frame at place `j` of the play order ends, at least one after
    // the current movie frame.
    uint32_t EndFrame(size_t j) const;

    // A frame without a duration waits for the viewer: the movie stops in a frame of its own.
    void AddPause(const CFrameInfo& frame);
    // Video export: every movie frame before `end` tells the recorder its number.
    void NumberVideoFrames(uint32_t end);
    // The scripts that stop or loop the movie at its last frame.
    void EndOfMovie();
    // The sprites that show the segments in the main timeline and carry out seeks into them.
    void AddSegmentSprites();

private:
    SPublishContext& m_context;

    std::vector<CFrameInfo*> m_frames;  // the project's frames, deleted ones included
    std::vector<uint32_t> m_order;
    std::vector<int32_t> m_startTimes;  // 1/100 s, over the play order
    float m_fSpeed = 1.0f;
    uint32_t m_nTimingOrigin = 0;

    uint32_t m_nSplits = 0;
    uint32_t m_nSplitCredit = 0;
    bool m_bSplitRequested = false;

    std::vector<uint32_t> m_frameStarts;
    uint32_t m_nFirstUnstarted = 0;  // project frames before it have their start
    uint32_t m_nNextVideoFrame = 0;
};
