// The frame scroll bar: one step per frame, with the frames marked deleted drawn as red marks
// along its groove so that the user sees where they are.
#pragma once

#include <QScrollBar>
#include <vector>

class CFrameScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit CFrameScrollBar(QWidget* pParent = nullptr);

    // The 0-based indexes of the deleted frames and the number of frames.
    void SetDeletedFrames(std::vector<uint32_t> deleted, uint32_t nFrames);
    const std::vector<uint32_t>& DeletedFrames() const { return m_deleted; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    std::vector<uint32_t> m_deleted;
    uint32_t m_nFrames = 0;
};
