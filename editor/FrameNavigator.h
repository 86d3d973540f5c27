// The frame scroll bar's memory of where the user worked: the edit history, most recent first,
// with a short description of each edited frame's talk bubble. Frame numbers are 1-based
// positions in the frame list, deleted frames included; -1 is an empty entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct SEditHistoryEntry {
    int32_t nFrame = -1;
    std::string description;
    friend bool operator==(const SEditHistoryEntry&, const SEditHistoryEntry&) = default;
};

class CFrameNavigator {
public:
    static constexpr std::size_t kHistorySize = 8;
    static constexpr std::size_t kDescriptionLength = 30;

    // An edit of frame nFrame: it moves to the front; an entry already naming it is taken out,
    // otherwise the oldest entry falls off.
    void RecordEdit(int32_t nFrame, std::u16string_view bubbleText);
    // A frame was inserted at the 1-based position nInserted: entries naming it or a later
    // position move up by one.
    void RenumberAfterInsert(int32_t nInserted);

    const std::array<SEditHistoryEntry, kHistorySize>& History() const { return m_history; }

private:
    std::array<SEditHistoryEntry, kHistorySize> m_history{};
};

// The description of an edit: the first 30 characters of the bubble text as 8-bit text, every
// control character shown as a space.
std::string EditDescription(std::u16string_view bubbleText);

// The frame position display: the 1-based frame number and the frame's start time in the
// movie, in hundredths of a second.
std::string FramePositionText(int32_t nFrame, int32_t nStartHundredths);
