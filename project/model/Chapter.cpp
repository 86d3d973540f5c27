#include "project/model/Chapter.h"

#include <limits>
#include <utility>

std::optional<CChapter> CChapter::Of(const CFrameRecord& frame) {
    if (!frame.HasChapter()) {
        return std::nullopt;
    }
    return CChapter(frame);
}

void CChapter::Set(CFrameRecord& frame, std::optional<std::u16string> title) {
    constexpr std::size_t kMaxLength = std::numeric_limits<int16_t>::max();
    if (title && title->size() > kMaxLength) {
        title->resize(kMaxLength);
    }
    frame.m_pChapter = std::move(title);
    frame.m_nChapterLen = static_cast<int16_t>(frame.m_pChapter ? frame.m_pChapter->size() : 0);
}
