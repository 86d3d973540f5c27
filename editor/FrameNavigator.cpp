#include "editor/FrameNavigator.h"

#include <algorithm>
#include <cstdio>

std::string EditDescription(std::u16string_view bubbleText) {
    std::string out;
    for (char16_t c : bubbleText.substr(0, CFrameNavigator::kDescriptionLength)) {
        // Characters outside the 8-bit range have no 8-bit form; they are shown as '?'.
        out.push_back(c < 32 ? ' ' : (c < 256 ? static_cast<char>(c) : '?'));
    }
    return out;
}

void CFrameNavigator::RecordEdit(int32_t nFrame, std::u16string_view bubbleText) {
    auto found = std::find_if(m_history.begin(), m_history.end(),
                              [nFrame](const SEditHistoryEntry& e) { return e.nFrame == nFrame; });
    // The entries before the one taken out (or all but the last) move down by one.
    auto end = found == m_history.end() ? m_history.end() - 1 : found;
    std::move_backward(m_history.begin(), end, end + 1);
    m_history[0] = {nFrame, EditDescription(bubbleText)};
}

void CFrameNavigator::RenumberAfterInsert(int32_t nInserted) {
    for (SEditHistoryEntry& entry : m_history) {
        if (entry.nFrame >= nInserted) {
            ++entry.nFrame;
        }
    }
}

std::string FramePositionText(int32_t nFrame, int32_t nStartHundredths) {
    const int32_t t = std::max(nStartHundredths, 0);
    const int32_t nHours = t / 360000;
    const int32_t nMinutes = t / 6000 % 60;
    const int32_t nSeconds = t / 100 % 60;
    const int32_t nHundredths = t % 100;
    char text[96];
    if (t < 6000) {
        std::snprintf(text, sizeof text, "Frame # %d   %d.%2.2d sec", nFrame, nSeconds,
                      nHundredths);
    } else if (t < 360000) {
        std::snprintf(text, sizeof text, "Frame # %d   %d min  :  %d.%2.2d sec", nFrame, nMinutes,
                      nSeconds, nHundredths);
    } else {
        std::snprintf(text, sizeof text, "Frame # %d   %d hr  :  %d min  :  %d.%2.2d sec", nFrame,
                      nHours, nMinutes, nSeconds, nHundredths);
    }
    return text;
}
