#include "editor/FrameEditCommand.h"

CFrameEditCommand::CFrameEditCommand(const QString& text, CFrameInfo& frame, CFrameRecord before,
                                     std::function<void(CFrameInfo&)> shown, int nMergeId)
    : QUndoCommand(text),
      m_frame(frame),
      m_before(std::move(before)),
      m_after(frame),
      m_shown(std::move(shown)),
      m_nMergeId(nMergeId) {}

void CFrameEditCommand::undo() {
    static_cast<CFrameRecord&>(m_frame) = m_before;
    if (m_shown) {
        m_shown(m_frame);
    }
}

void CFrameEditCommand::redo() {
    if (m_bApplied) {
        m_bApplied = false;
        return;
    }
    static_cast<CFrameRecord&>(m_frame) = m_after;
    if (m_shown) {
        m_shown(m_frame);
    }
}

bool CFrameEditCommand::mergeWith(const QUndoCommand* pOther) {
    const auto* pEdit = static_cast<const CFrameEditCommand*>(pOther);
    if (&pEdit->m_frame != &m_frame) {
        return false;
    }
    m_after = pEdit->m_after;
    return true;
}
