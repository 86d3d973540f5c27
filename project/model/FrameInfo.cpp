#include "project/model/FrameInfo.h"

#include <limits>

namespace {

// An item longer than its stored length field can count is cut to fit, so that the length
// written always matches the item written.
template <class TLen, class TItem>
TLen LengthOf(std::optional<TItem>& item) {
    if (!item) {
        return 0;
    }
    const std::size_t limit = static_cast<std::size_t>(std::numeric_limits<TLen>::max());
    if (item->size() > limit) {
        item->resize(limit);
    }
    return static_cast<TLen>(item->size());
}

}  // namespace

void CFrameRecord::RecomputeLengths() {
    m_nFormatLen = LengthOf<int32_t>(m_pFormat);
    m_nTextLen = LengthOf<int32_t>(m_pText);
    m_nChapterLen = LengthOf<int16_t>(m_pChapter);
    m_nHotspotImageLen = LengthOf<int16_t>(m_pszHotspotImage);
    m_nSoundLen = LengthOf<int32_t>(m_pszSound);
    m_nSoundRelLen = LengthOf<int32_t>(m_pszSoundRel);
    m_nHotspotUrlLen = LengthOf<uint16_t>(m_pszHotspotUrl);
    m_nHotspotTargetLen = LengthOf<uint16_t>(m_pszHotspotTarget);
    m_nFrameUrlLen = LengthOf<uint16_t>(m_pszFrameUrl);
    m_nFrameTargetLen = LengthOf<uint16_t>(m_pszFrameTarget);
}

void CFrameRecord::SetClickEffect(bool bDown, bool bUp) {
    if (!m_bClickEdited) {
        m_bRecClickDown = m_bClickDown;
        m_bRecClickUp = m_bClickUp;
        m_bClickEdited = 1;
    }
    m_bClickDown = bDown ? 1 : 0;
    m_bClickUp = bUp ? 1 : 0;
}
