#include "editor/MouseEdits.h"

#include <tuple>

#include "project/model/Hotspot.h"

namespace {

auto MouseState(const CFrameRecord& f) {
    return std::tuple(f.m_bClickDown, f.m_bClickUp, f.m_bMouseHidden, f.m_bShowMouse, f.m_nCursorX,
                      f.m_nCursorY);
}

}  // namespace

bool ApplyMouseCommand(CFrameRecord& frame, EMouseCommand command) {
    const auto before = MouseState(frame);
    switch (command) {
        case EMouseCommand::kNone:
            frame.SetClickEffect(false, false);
            break;
        case EMouseCommand::kDownClick:
            frame.SetClickEffect(true, false);
            break;
        case EMouseCommand::kUpClick:
            frame.SetClickEffect(false, true);
            break;
        case EMouseCommand::kHide:
            CHotspot::SetShowMouse(frame, frame.m_bMouseHidden != 0);
            break;
        case EMouseCommand::kRestore: {
            const bool bMoved =
                frame.m_nRecCursorX != kCursorUnknown && (frame.m_nCursorX != frame.m_nRecCursorX ||
                                                          frame.m_nCursorY != frame.m_nRecCursorY);
            if (!frame.m_bClickEdited && !bMoved) {
                break;
            }
            if (frame.m_bClickEdited) {
                frame.m_bClickDown = frame.m_bRecClickDown;
                frame.m_bClickUp = frame.m_bRecClickUp;
                frame.m_bClickEdited = 0;
            }
            if (bMoved) {
                frame.m_nCursorX = frame.m_nRecCursorX;
                frame.m_nCursorY = frame.m_nRecCursorY;
            }
            CHotspot::SetShowMouse(frame, true);
            break;
        }
    }
    return MouseState(frame) != before;
}
