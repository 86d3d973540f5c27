// The dialogs of recovery: "Quillo Recovery" with the recovery settings, and the question
// about a leftover capture file.
#pragma once

#include <string>

#include "project/file/Recovery.h"

class QWidget;

// Shows the recovery settings; false when the user cancelled.
bool AskRecoveryOptions(QWidget* pParent, SRecoveryOptions& options);

// Beeps and asks what to do with a leftover capture file (name without folder).
ELeftoverChoice AskLeftoverChoice(QWidget* pParent, const std::string& name);
