// The small dialogs of a recording: the stop dialog with its four answers, the hints with their
// "show again" check box, and the start-up notice about the desktop's colour depth.
#pragma once

#include <QString>

#include "recording/RecorderWindow.h"

class QWidget;

inline constexpr const char* kStopDialogTitle = "Quillo Recording - PAUSED";
inline constexpr const char* kRemindAgain = "Remind me again next time. ";

EStopAnswer AskStopAnswer(QWidget* pParent);

// Shows the hint; `bShowAgain` takes the check box's state.
void ShowHintDialog(QWidget* pParent, const QString& caption, const QString& text,
                    bool& bShowAgain);

enum class ETrueColourChoice { Ignore, ChangeDisplaySettings };
ETrueColourChoice AskTrueColourNotice(QWidget* pParent, bool& bRemindAgain);
