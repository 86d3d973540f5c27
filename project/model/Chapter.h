// The chapter heading that begins at a frame: a view on the frame's `m_pChapter`.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "project/model/FrameInfo.h"

class CChapter {
public:
    explicit CChapter(const CFrameRecord& frame) : m_frame(frame) {}
    static std::optional<CChapter> Of(const CFrameRecord& frame);

    std::u16string_view Title() const { return *m_frame.m_pChapter; }
    const CFrameRecord& Frame() const { return m_frame; }

    // Gives a frame a chapter heading, or removes it with nullopt.
    static void Set(CFrameRecord& frame, std::optional<std::u16string> title);

private:
    const CFrameRecord& m_frame;
};
