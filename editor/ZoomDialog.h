// The dialog "Zoom Settings": the current frame's zoom region and how the movie moves to it.
#pragma once

#include <QDialog>

#include "project/model/FrameInfo.h"

class QCheckBox;
class QSpinBox;

class CZoomDialog : public QDialog {
    Q_OBJECT
public:
    CZoomDialog(const CFrameRecord& frame, int32_t nWidth, int32_t nHeight,
                QWidget* pParent = nullptr);

    // Writes the dialog's values into the record.
    void Apply(CFrameRecord& frame) const;

private:
    QCheckBox* m_pZoom = nullptr;
    QSpinBox* m_pLeft = nullptr;
    QSpinBox* m_pTop = nullptr;
    QSpinBox* m_pWidth = nullptr;
    QSpinBox* m_pHeight = nullptr;
    QCheckBox* m_pFollow = nullptr;
    QCheckBox* m_pCut = nullptr;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
};
