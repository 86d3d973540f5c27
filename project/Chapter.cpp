#include "project/Chapter.h"

#include <utility>

std::optional<CChapter> CChapter::Of(const CFrameRecord& frame) {
    if (!frame.HasChapter()) {
        return std::nullopt;
    }
    return CChapter(frame);
}

void CChapter::Set(CFrameRecord& frame, std::optional<std::u16string> title) {
    frame.m_pChapter = std::move(title);
    frame.m_nChapterLen = 0;
    if (frame.m_pChapter) {
        frame.RecomputeLengths();
    }
}
