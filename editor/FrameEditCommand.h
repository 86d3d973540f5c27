// One step of the editor's history: a frame record before and after an edit. Undo puts the
// earlier record back, redo the later one.
#pragma once

#include <QUndoCommand>
#include <functional>

#include "project/model/FrameInfo.h"

class CFrameEditCommand : public QUndoCommand {
public:
    // `shown` runs after every undo and redo with the frame that changed.
    CFrameEditCommand(const QString& text, CFrameInfo& frame, CFrameRecord before,
                      std::function<void(CFrameInfo&)> shown, int nMergeId = -1);

    void undo() override;
    void redo() override;
    int id() const override { return m_nMergeId; }
    // Typing into the same frame's text is one step.
    bool mergeWith(const QUndoCommand* pOther) override;

    const CFrameRecord& Before() const { return m_before; }
    const CFrameRecord& After() const { return m_after; }

private:
    CFrameInfo& m_frame;
    CFrameRecord m_before;
    CFrameRecord m_after;
    std::function<void(CFrameInfo&)> m_shown;
    int m_nMergeId;
    // The edit is already in the frame when the command is pushed.
    bool m_bApplied = true;
};
