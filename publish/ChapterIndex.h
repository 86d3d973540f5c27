// The chapter index over the movie: the chapter titles one under the other on a panel, each a
// button that seeks to its chapter. The index stays open while the movie is paused, shrinks to a
// corner while it plays and grows back when the pointer comes over it.
#pragma once

#include <cstdint>
#include <vector>

class CFrameInfo;
class CSwfMovie;
struct SPublishContext;

struct SChapterEntry {
    const CFrameInfo* pFrame = nullptr;
    uint32_t nMovieFrame = 0;  // where the chapter starts
};

inline constexpr uint16_t kLayerChapterIndex = 65501;
inline constexpr uint32_t kIndexOpenFrames = 6;
inline constexpr uint32_t kIndexColour = 0xF2EEE6;  // 0x00BBGGRR

// The sizes in percent the index passes through from `collapsed` up to 100: the steps grow from
// 6 by 1.5 a frame. Shrinking runs the same sizes backwards.
std::vector<double> IndexGrowth(double collapsed);

// Places the "chapterbox" sprite in the first frame of the control sprite's timeline.
void AddChapterIndexSprite(SPublishContext& context, CSwfMovie& control,
                           const std::vector<SChapterEntry>& chapters);
