// The dialog "Apply edit to following frames...": up to which frame the shown frame's edited
// picture also covers the following frames, and how transparent it is drawn there.
#pragma once

#include <QDialog>

#include "project/ops/FrameEdits.h"

class QSlider;
class QSpinBox;

class CApplyToFollowingDialog : public QDialog {
public:
    // `nFrameCount` bounds "Apply up to frame:"; `initial` holds the values shown first.
    CApplyToFollowingDialog(const SApplyToFollowing& initial, int32_t nFrameCount,
                            QWidget* pParent = nullptr);

    SApplyToFollowing Answer() const;
    QSpinBox* LastFrameEdit() const { return m_pLastFrame; }
    QSlider* TransparencySlider() const { return m_pTransparency; }

private:
    QSpinBox* m_pLastFrame = nullptr;
    QSlider* m_pTransparency = nullptr;
};
