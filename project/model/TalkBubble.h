// The talk bubble of a frame: not an object of its own but a view on the frame's fields. A
// frame has a bubble when it has laid-out text (`m_pFormat`).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/model/FrameInfo.h"

class CDemoProject;

// Units of the laid-out text: a line is its length followed by its characters.
inline constexpr char16_t kLineEmpty = 7999;
inline constexpr char16_t kLinesEnd = 8000;
inline constexpr char16_t kLinesUnlaid = 8001;
inline constexpr std::size_t kMaxLineLength = 7998;

class CTalkBubble {
public:
    explicit CTalkBubble(const CFrameRecord& frame) : m_frame(frame) {}
    // The bubble of a frame, or nothing when the frame has none.
    static std::optional<CTalkBubble> Of(const CFrameRecord& frame);

    const CFrameRecord& Frame() const { return m_frame; }
    std::u16string_view Text() const;
    std::size_t TextLength() const { return Text().size(); }
    // The font the bubble is drawn with: its own, or the project's current font.
    const CLogFont& Font(const CDemoProject& project) const;
    bool HasPointer() const { return m_frame.m_nPointerX != kNoPointer; }
    bool IsShownUntilFrame() const { return m_frame.m_bBubbleShowUntil != 0; }
    bool IsOnHover() const { return m_frame.m_bBubbleOnHover != 0; }
    // Shown for the frame's own time: neither until a later frame nor only on hover. Only such a
    // bubble lengthens its frame.
    bool IsTimed() const { return !IsShownUntilFrame() && !IsOnHover(); }
    bool IsAnimated() const {
        return m_frame.m_bBubbleAnimation != 0 && m_frame.m_pBubbleAnimation.has_value();
    }
    // The text waits for the editor to lay it out.
    bool NeedsLayout() const;
    // The laid-out lines, whichever of the two stored forms the frame holds.
    std::vector<std::u16string> Lines() const;

private:
    const CFrameRecord& m_frame;
};

// The counted form of laid-out lines: for each line its length (kLineEmpty for an empty line)
// and its characters, then kLinesEnd. A line longer than kMaxLineLength is split.
std::u16string EncodeBubbleLines(const std::vector<std::u16string>& lines);
// Reads either form: counted lines, or (bCounted clear) lines that each end at a control
// character, a CR LF pair counting as one end. A count that runs past the text ends the lines.
std::vector<std::u16string> DecodeBubbleLines(std::u16string_view format, bool bCounted);
// The form of text set without a layout: the editor lays it out when it next shows the frame.
std::u16string UnlaidBubbleLines();
